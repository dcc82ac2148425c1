#include "report/ReportFiles.h"

#include <algorithm>
#include <array>
#include <functional>
#include <ostream>
#include <streambuf>
#include <fstream>
#include <sstream>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "platform/Platform.h"
#include "report/Base64.h"
#include "report/HtmlReport.h"
#include "report/ReportJson.h"
#include "results/ResultWriters.h"
#include "util/Paths.h"

namespace stereolint::report {

namespace {

constexpr int kThumbnailColumns = 360;
constexpr int kJpegQuality = 82;
// The DEPTH block's picture of the window violations, as its file is named.
constexpr const char* kWindowPicture = "DEPTH_WINDOW";
// The EYES block's picture of what differs between the matched eyes.
constexpr const char* kDifferencePicture = "EYES_EYE_DIFFERENCE";

// An output stream that hands its bytes to a file being written, a buffer
// at a time.
class AppendBuffer : public std::streambuf {
 public:
  explicit AppendBuffer(const platform::FileAppend& append) : append(append) {
    setp(buffer.data(), buffer.data() + buffer.size());
  }
  ~AppendBuffer() override { sync(); }

 protected:
  int_type overflow(int_type c) override {
    sync();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override {
    if (pptr() > pbase()) append(pbase(), static_cast<size_t>(pptr() - pbase()));
    setp(buffer.data(), buffer.data() + buffer.size());
    return 0;
  }

 private:
  const platform::FileAppend& append;
  std::array<char, 1 << 16> buffer{};
};

// Writes the file made by `write`, whole or not at all; the path and the
// system's reason when it cannot be written.
std::optional<std::string> writeStreamed(const std::string& path,
                                         const std::function<void(std::ostream&)>& write) {
  const platform::FileOutcome outcome =
      platform::writeWholeFileFrom(path, [&](const platform::FileAppend& append) {
        AppendBuffer buffer(append);
        std::ostream out(&buffer);
        write(out);
        out.flush();
        return std::string();
      });
  if (outcome.done) return std::nullopt;
  return path + ": " + outcome.reason;
}

// `picture` reduced to at most kThumbnailColumns columns, as a JPEG data
// URI; "" when it cannot be encoded.
std::string thumbnailUri(cv::Mat picture, int columns = kThumbnailColumns) {
  if (picture.cols > columns) {
    const int rows = std::max(1, picture.rows * columns / picture.cols);
    cv::resize(picture, picture, cv::Size(columns, rows), 0, 0, cv::INTER_AREA);
  }
  std::vector<uchar> bytes;
  if (!cv::imencode(".jpg", picture, bytes, {cv::IMWRITE_JPEG_QUALITY, kJpegQuality})) return "";
  return "data:image/jpeg;base64," + base64Encode(bytes.data(), bytes.size());
}

// The red-cyan anaglyph of a frame's two views (left in red, right in green
// and blue), where a vertical offset shows as coloured fringes; empty when
// either view cannot be read or their sizes differ.
cv::Mat anaglyphOf(const std::string& leftPath, const std::string& rightPath) {
  if (!fileExists(leftPath) || !fileExists(rightPath)) return {};
  const cv::Mat left = cv::imread(leftPath, cv::IMREAD_GRAYSCALE);
  const cv::Mat right = cv::imread(rightPath, cv::IMREAD_GRAYSCALE);
  if (left.empty() || left.size() != right.size()) return {};
  cv::Mat anaglyph;
  cv::merge(std::vector<cv::Mat>{right, right, left}, anaglyph);
  return anaglyph;
}

// The page's view of the report pictures of a frame written under
// `prefix`: inline copies, and links relative to the page (which lies
// beside the pictures' folder).
WorstFrameView worstFrameView(const std::string& prefix, const WorstPictureFiles& files) {
  const std::string folder = worstPicturesFolder(prefix);
  const size_t slash = folder.find_last_of("/\\", folder.size() - 2);
  const std::string relative = slash == std::string::npos ? folder : folder.substr(slash + 1);
  WorstFrameView view;
  const auto load = [&](const std::string& name, std::string& uri, std::string& link) {
    if (name.empty()) return;
    try {
      const cv::Mat picture = cv::imread(folder + name, cv::IMREAD_COLOR);
      if (!picture.empty()) uri = thumbnailUri(picture, kWorstThumbnailColumns);
    } catch (const cv::Exception&) {
      return;
    }
    if (!uri.empty()) link = relative + name;
  };
  load(files.residuals, view.residualsUri, view.residualsLink);
  load(files.anaglyph, view.anaglyphUri, view.anaglyphLink);
  return view;
}

}  // namespace

std::string summaryThumbnail(const std::vector<std::string>& prefixes, int frame, int frameCount) {
  for (const std::string& prefix : prefixes) {
    const std::string base = prefix + std::to_string(frame) + "_" + std::to_string(frameCount) + "_";
    // A frame whose pictures were not written has none: asking the image
    // library would only make it complain on standard error.
    try {
      const cv::Mat anaglyph = anaglyphOf(base + "LEFT.png", base + "RIGHT.png");
      if (!anaglyph.empty()) return thumbnailUri(anaglyph);
      const std::string summary = base + "SUMMARY.png";
      if (!fileExists(summary)) continue;
      const cv::Mat picture = cv::imread(summary, cv::IMREAD_COLOR);
      if (!picture.empty()) return thumbnailUri(picture);
    } catch (const cv::Exception&) {
      // A damaged picture only costs the page its thumbnail.
      continue;
    }
  }
  return "";
}

std::string resultThumbnail(const std::vector<std::string>& prefixes, int frame, int frameCount,
                            const std::string& name) {
  for (const std::string& prefix : prefixes) {
    const std::string path = prefix + std::to_string(frame) + "_" + std::to_string(frameCount) +
                             "_" + name + ".png";
    if (!fileExists(path)) continue;
    try {
      const cv::Mat picture = cv::imread(path, cv::IMREAD_COLOR);
      if (!picture.empty()) return thumbnailUri(picture);
    } catch (const cv::Exception&) {
      continue;
    }
  }
  return "";
}

std::optional<std::string> writeReportFiles(const ReportContent& content,
                                            const std::string& outputPrefix,
                                            const std::vector<std::string>& picturePrefixes,
                                            const std::map<int, WorstPictureFiles>& worstPictures) {
  const auto byNumber = [](const qc::FrameRecord& a, const qc::FrameRecord& b) {
    return a.frame < b.frame;
  };
  // Content in frame order, as a run and a merge give it, is used where it
  // lies: a copy would double the memory of a long take.
  std::optional<ReportContent> sortedCopy;
  if (!std::is_sorted(content.frames.begin(), content.frames.end(), byNumber)) {
    sortedCopy = content;
    std::sort(sortedCopy->frames.begin(), sortedCopy->frames.end(), byNumber);
  }
  const ReportContent& sorted = sortedCopy ? *sortedCopy : content;
  makeDirectories(outputPrefix);
  std::vector<std::string> failed;
  const std::string jsonPath = outputPrefix + kReportJsonName;
  if (auto failure = writeStreamed(jsonPath, [&](std::ostream& out) { writeReportJson(out, sorted); }))
    failed.push_back(*failure);
  const std::string htmlPath = outputPrefix + kReportHtmlName;
  const FramePicture picture = [&](int frame) {
    return summaryThumbnail(picturePrefixes, frame, sorted.take.frameCount);
  };
  const FramePicture windowPicture = [&](int frame) {
    return resultThumbnail(picturePrefixes, frame, sorted.take.frameCount, kWindowPicture);
  };
  const FramePicture differencePicture = [&](int frame) {
    return resultThumbnail(picturePrefixes, frame, sorted.take.frameCount, kDifferencePicture);
  };
  WorstFramePictures worstViews;
  if (!worstPictures.empty())
    worstViews = [&](int frame) -> std::optional<WorstFrameView> {
      const auto found = worstPictures.find(frame);
      if (found == worstPictures.end()) return std::nullopt;
      WorstFrameView view = worstFrameView(outputPrefix, found->second);
      if (view.residualsUri.empty() && view.anaglyphUri.empty()) return std::nullopt;
      return view;
    };
  if (auto failure = writeStreamed(htmlPath, [&](std::ostream& out) {
        writeReportHtml(out, sorted, picture, windowPicture, differencePicture, worstViews);
      }))
    failed.push_back(*failure);
  if (failed.empty()) return std::nullopt;
  std::string message = "Cannot write the report";
  for (size_t i = 0; i < failed.size(); ++i) message += (i == 0 ? " " : " and ") + failed[i];
  return message;
}

Expected<ReportContent> readReportFile(const std::string& prefix) {
  const std::string path = prefix + kReportJsonName;
  std::ifstream file(path, std::ios::binary);
  if (!file) return Failure{"Cannot read " + path};
  std::ostringstream text;
  text << file.rdbuf();
  if (file.bad()) return Failure{"Cannot read " + path};
  return readReportJson(text.str(), path);
}

}  // namespace stereolint::report
