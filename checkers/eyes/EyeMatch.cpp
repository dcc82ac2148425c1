#include "checkers/eyes/EyeMatch.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "checkers/eyes/CdlFit.h"
#include "checkers/eyes/Ciede2000.h"

namespace stereolint {

namespace {

// Linear luminance (0 to 1) of a CIELAB lightness.
double luminanceOf(double lightness) {
  const double f = (lightness + 16.0) / 116.0;
  return lightness > 8.0 ? f * f * f : lightness / 903.3;
}

double percentile(std::vector<double>& values, double p) {
  const auto at = static_cast<std::ptrdiff_t>(p * static_cast<double>(values.size() - 1));
  std::nth_element(values.begin(), values.begin() + at, values.end());
  return values[static_cast<size_t>(at)];
}

// The left pixels compared, on a grid of kEyeMatchStep: those with a
// parallax and none missing within kEyeMatchEdgeMargin. Each one's own
// position and where its match lies in the right view.
struct Samples {
  cv::Mat left;    // N x 1, CV_8UC3
  cv::Mat rightX;  // N x 1, CV_32F
  cv::Mat rightY;
  std::vector<bool> smooth;
};

Samples samplesOf(const cv::Mat& map, const cv::Mat& leftColour, const cv::Mat& leftGrey) {
  cv::Mat valid(map.size(), CV_8U);
  for (int y = 0; y < map.rows; ++y)
    for (int x = 0; x < map.cols; ++x)
      valid.at<uchar>(y, x) = std::isnan(map.at<float>(y, x)) ? 0 : 255;
  const int size = 2 * kEyeMatchEdgeMargin + 1;
  cv::erode(valid, valid, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(size, size)));
  // Where the grey level changes steeply, a tenth of a pixel of
  // misregistration reads as a colour difference: only the smoother pixels
  // are compared.
  cv::Mat range;
  cv::morphologyEx(leftGrey, range, cv::MORPH_GRADIENT, cv::Mat());
  const cv::Mat smooth = range <= kEyeMatchSteepest;
  std::vector<cv::Vec3b> left;
  std::vector<float> xs, ys;
  std::vector<bool> smoothSamples;
  for (int y = 0; y < map.rows; y += kEyeMatchStep)
    for (int x = 0; x < map.cols; x += kEyeMatchStep) {
      if (valid.at<uchar>(y, x) == 0) continue;
      left.push_back(leftColour.at<cv::Vec3b>(y, x));
      xs.push_back(static_cast<float>(x) + map.at<float>(y, x));
      ys.push_back(static_cast<float>(y));
      smoothSamples.push_back(smooth.at<uchar>(y, x) != 0);
    }
  return {cv::Mat(left, true), cv::Mat(xs, true), cv::Mat(ys, true), smoothSamples};
}

bool clipped(const cv::Vec3b& pixel) {
  for (int c = 0; c < 3; ++c)
    if (pixel[c] <= kEyeMatchDarkest || pixel[c] >= kEyeMatchBrightest) return true;
  return false;
}

// The image library fills its CIELAB tables on the first conversion,
// without a lock: two workers converting their first frames at once would
// both fill them, and one set would be lost. One conversion, once, first.
void fillLabTables() {
  static std::once_flag once;
  std::call_once(once, [] {
    cv::Mat pixel(1, 1, CV_32FC3, cv::Scalar::all(0.5)), lab;
    cv::cvtColor(pixel, lab, cv::COLOR_BGR2Lab);
  });
}

cv::Mat toLab(const cv::Mat& bgr) {
  fillLabTables();
  cv::Mat unit, lab;
  bgr.convertTo(unit, CV_32FC3, 1.0 / 255.0);
  cv::cvtColor(unit, lab, cv::COLOR_BGR2Lab);
  return lab;
}

}  // namespace

std::optional<EyeMatchFigures> eyeMatch(const cv::Mat& leftColour, const cv::Mat& leftGrey,
                                        const cv::Mat& rightColour, const cv::Mat& map) {
  const Samples samples = samplesOf(map, leftColour, leftGrey);
  if (samples.left.empty()) return std::nullopt;
  cv::Mat matched;
  cv::remap(rightColour, matched, samples.rightX, samples.rightY, cv::INTER_LINEAR,
            cv::BORDER_CONSTANT, cv::Scalar::all(0));
  // Only the pixels no channel of which is clipped in either eye. The means
  // take them all (misregistration moves them both ways and cancels); the
  // colour differences and the colour decision only the smooth ones.
  std::vector<cv::Vec3b> leftKept, rightKept, leftSmooth, rightSmooth;
  std::vector<bool> smooth;
  for (int i = 0; i < samples.left.rows; ++i) {
    if (clipped(samples.left.at<cv::Vec3b>(i)) || clipped(matched.at<cv::Vec3b>(i))) continue;
    leftKept.push_back(samples.left.at<cv::Vec3b>(i));
    rightKept.push_back(matched.at<cv::Vec3b>(i));
    smooth.push_back(samples.smooth[static_cast<size_t>(i)]);
    if (!smooth.back()) continue;
    leftSmooth.push_back(leftKept.back());
    rightSmooth.push_back(rightKept.back());
  }
  if (leftKept.empty()) return std::nullopt;
  const cv::Mat leftLab = toLab(cv::Mat(leftKept, false));
  const cv::Mat rightLab = toLab(cv::Mat(rightKept, false));
  std::vector<double> differences;
  double leftLight = 0, rightLight = 0, castA = 0, castB = 0;
  for (int i = 0; i < leftLab.rows; ++i) {
    const cv::Vec3f l = leftLab.at<cv::Vec3f>(i), r = rightLab.at<cv::Vec3f>(i);
    if (smooth[static_cast<size_t>(i)]) differences.push_back(ciede2000(l, r));
    leftLight += luminanceOf(l[0]);
    rightLight += luminanceOf(r[0]);
    castA += r[1] - l[1];
    castB += r[2] - l[2];
  }
  if (differences.empty() || leftLight <= 0 || rightLight <= 0) return std::nullopt;
  const auto count = static_cast<double>(leftKept.size());
  EyeMatchFigures figures;
  figures.luminanceStops = std::log2(rightLight / leftLight);
  figures.castA = castA / count;
  figures.castB = castB / count;
  figures.matchedPercent = 100.0 * count * kEyeMatchStep * kEyeMatchStep /
                          static_cast<double>(map.total());
  figures.colourMedian = percentile(differences, 0.5);
  figures.colour95 = percentile(differences, 0.95);
  figures.decision =
      fitColourDecision(cv::Mat(rightSmooth, false), cv::Mat(leftSmooth, false));
  return figures;
}

namespace {

// One row of the map with its gaps filled (see DenseMatch); `kept` marks
// the pixels compared.
void fillRow(const float* map, int cols, float* filled, uchar* kept) {
  int x = 0;
  while (x < cols) {
    if (!std::isnan(map[x])) {
      filled[x] = map[x];
      kept[x] = 255;
      ++x;
      continue;
    }
    const int start = x;
    while (x < cols && std::isnan(map[x])) ++x;
    const bool hasLeft = start > 0, hasRight = x < cols;
    if (!hasLeft && !hasRight) {
      for (int i = start; i < x; ++i) filled[i] = 0, kept[i] = 0;
      continue;
    }
    const float before = hasLeft ? map[start - 1] : map[x];
    const float after = hasRight ? map[x] : map[start - 1];
    const float farther = std::max(before, after);
    const bool hidden = hasLeft && hasRight && before > after + 1.0f;
    for (int i = start; i < x; ++i) {
      filled[i] = farther;
      kept[i] = hidden ? 0 : 255;
    }
  }
}

}  // namespace

DenseMatch denseMatch(const cv::Mat& rightColour, const cv::Mat& map) {
  cv::Mat filled(map.size(), CV_32F), kept(map.size(), CV_8U);
  cv::Mat mapX(map.size(), CV_32F), mapY(map.size(), CV_32F);
  for (int y = 0; y < map.rows; ++y) {
    fillRow(map.ptr<float>(y), map.cols, filled.ptr<float>(y), kept.ptr<uchar>(y));
    for (int x = 0; x < map.cols; ++x) {
      const float source = static_cast<float>(x) + filled.at<float>(y, x);
      mapX.at<float>(y, x) = source;
      mapY.at<float>(y, x) = static_cast<float>(y);
      if (source < 0 || source > static_cast<float>(map.cols - 1)) kept.at<uchar>(y, x) = 0;
    }
  }
  // Where the parallax steps by more than two pixels within two pixels, the
  // match of an edge may have landed on the wrong side of it.
  const cv::Mat around = cv::getStructuringElement(cv::MORPH_RECT, {5, 5});
  cv::Mat highest, lowest;
  cv::dilate(filled, highest, around);
  cv::erode(filled, lowest, around);
  kept.setTo(0, highest - lowest > 2.0f);
  DenseMatch match;
  cv::remap(rightColour, match.right, mapX, mapY, cv::INTER_LINEAR, cv::BORDER_CONSTANT,
            cv::Scalar::all(0));
  // The black the correction of the right view left at its edges.
  cv::Mat black;
  cv::inRange(match.right, cv::Scalar::all(0), cv::Scalar::all(0), black);
  cv::dilate(black, black, cv::Mat());
  match.compared = kept & ~black;
  return match;
}

}  // namespace stereolint
