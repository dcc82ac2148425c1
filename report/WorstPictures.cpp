#include "report/WorstPictures.h"

#include <algorithm>
#include <cmath>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "platform/Platform.h"
#include "results/ResultWriters.h"
#include "results/ViewPixels.h"

namespace stereolint::report {

namespace {

constexpr int kJpegQuality = 90;

// `view` as 8-bit blue, green, red, in pixels of its own: dots are drawn
// on it.
cv::Mat eightBitColour(const cv::Mat& view) {
  const cv::Mat colour = toColour(view);
  return colour.data == view.data ? colour.clone() : colour;
}

// The factor that brings `columns` to at most kWorstPictureColumns.
double reduction(int columns) {
  return columns > kWorstPictureColumns ? static_cast<double>(kWorstPictureColumns) / columns : 1.0;
}

cv::Mat reduced(const cv::Mat& picture) {
  const double factor = reduction(picture.cols);
  if (factor >= 1.0) return picture;
  cv::Mat small;
  const cv::Size size(kWorstPictureColumns, std::max(1, cvRound(picture.rows * factor)));
  cv::resize(picture, small, size, 0, 0, cv::INTER_AREA);
  return small;
}

cv::Scalar dotColour(double rows) {
  const double size = std::fabs(rows);
  if (size <= kGreenRows) return cv::Scalar(62, 142, 30);   // #1e8e3e
  if (size <= kRedRows) return cv::Scalar(0, 116, 227);     // #e37400
  return cv::Scalar(37, 48, 217);                           // #d93025
}

std::optional<std::string> writeJpeg(const std::string& path, const cv::Mat& picture) {
  std::vector<uchar> bytes;
  try {
    if (picture.empty() ||
        !cv::imencode(".jpg", picture, bytes, {cv::IMWRITE_JPEG_QUALITY, kJpegQuality}))
      return path + ": the picture cannot be encoded";
  } catch (const cv::Exception& error) {
    return path + ": " + error.what();
  }
  const platform::FileOutcome outcome = platform::writeWholeFile(path, bytes.data(), bytes.size());
  if (outcome.done) return std::nullopt;
  return path + ": " + outcome.reason;
}

}  // namespace

std::string worstPicturesFolder(const std::string& prefix) { return prefix + "report/"; }
std::string residualsPictureName(int frame) { return std::to_string(frame) + "_RESIDUALS.jpg"; }
std::string anaglyphPictureName(int frame) { return std::to_string(frame) + "_ANAGLYPH.jpg"; }

cv::Mat residualsPicture(const cv::Mat& left, const std::vector<InlierResidual>& inliers) {
  if (left.empty()) return {};
  const double factor = reduction(left.cols);
  cv::Mat picture = reduced(eightBitColour(left));
  const int radius = std::max(3, picture.cols / 240);
  for (const InlierResidual& inlier : inliers) {
    const cv::Point at(cvRound(inlier.left.x * factor), cvRound(inlier.left.y * factor));
    cv::circle(picture, at, radius + 1, cv::Scalar(20, 20, 20), cv::FILLED, cv::LINE_AA);
    cv::circle(picture, at, radius, dotColour(inlier.rows), cv::FILLED, cv::LINE_AA);
  }
  return picture;
}

cv::Mat viewsAnaglyph(const cv::Mat& left, const cv::Mat& right) {
  if (left.empty() || left.size() != right.size()) return {};
  cv::Mat leftGrey, rightGrey;
  cv::cvtColor(reduced(eightBitColour(left)), leftGrey, cv::COLOR_BGR2GRAY);
  cv::cvtColor(reduced(eightBitColour(right)), rightGrey, cv::COLOR_BGR2GRAY);
  cv::Mat anaglyph;
  cv::merge(std::vector<cv::Mat>{rightGrey, rightGrey, leftGrey}, anaglyph);
  return anaglyph;
}

std::optional<std::string> writeWorstPictures(const std::string& prefix, int frame,
                                              const cv::Mat& left, const cv::Mat& right,
                                              const std::vector<InlierResidual>& inliers,
                                              WorstPictureFiles& written) {
  written = {};
  const std::string folder = worstPicturesFolder(prefix);
  const WriteFailures made = makeDirectories(folder);
  if (!made.folders.empty())
    return made.folders.front().path + ": " + made.folders.front().reason;
  std::string problems;
  const auto write = [&](const std::string& name, const cv::Mat& picture, std::string& into) {
    if (picture.empty()) return;
    if (const auto problem = writeJpeg(folder + name, picture)) {
      problems += (problems.empty() ? "" : "; ") + *problem;
    } else {
      into = name;
    }
  };
  write(residualsPictureName(frame), residualsPicture(left, inliers), written.residuals);
  write(anaglyphPictureName(frame), viewsAnaglyph(left, right), written.anaglyph);
  if (problems.empty()) return std::nullopt;
  return problems;
}

}  // namespace stereolint::report
