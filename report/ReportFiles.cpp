#include "report/ReportFiles.h"

#include <algorithm>
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

// The path and the system's reason when the text cannot be written.
std::optional<std::string> writeText(const std::string& path, const std::string& text) {
  const platform::FileOutcome outcome = platform::writeWholeFile(path, text.data(), text.size());
  if (outcome.done) return std::nullopt;
  return path + ": " + outcome.reason;
}

}  // namespace

std::string summaryThumbnail(const std::vector<std::string>& prefixes, int frame, int frameCount) {
  for (const std::string& prefix : prefixes) {
    const std::string path = prefix + std::to_string(frame) + "_" + std::to_string(frameCount) +
                             "_SUMMARY.png";
    // A frame whose pictures were not written has no summary: asking the
    // image library would only make it complain on standard error.
    if (!fileExists(path)) continue;
    try {
      cv::Mat picture = cv::imread(path, cv::IMREAD_COLOR);
      if (picture.empty()) continue;
      if (picture.cols > kThumbnailColumns) {
        const int rows = std::max(1, picture.rows * kThumbnailColumns / picture.cols);
        cv::resize(picture, picture, cv::Size(kThumbnailColumns, rows), 0, 0, cv::INTER_AREA);
      }
      std::vector<uchar> bytes;
      if (!cv::imencode(".jpg", picture, bytes, {cv::IMWRITE_JPEG_QUALITY, kJpegQuality})) continue;
      return "data:image/jpeg;base64," + base64Encode(bytes.data(), bytes.size());
    } catch (const cv::Exception&) {
      // A damaged picture only costs the page its thumbnail.
      continue;
    }
  }
  return "";
}

std::optional<std::string> writeReportFiles(const ReportContent& content,
                                            const std::string& outputPrefix,
                                            const std::vector<std::string>& picturePrefixes) {
  ReportContent sorted = content;
  std::sort(sorted.frames.begin(), sorted.frames.end(),
            [](const qc::FrameRecord& a, const qc::FrameRecord& b) { return a.frame < b.frame; });
  makeDirectories(outputPrefix);
  std::vector<std::string> failed;
  const std::string jsonPath = outputPrefix + kReportJsonName;
  if (auto failure = writeText(jsonPath, reportJson(sorted))) failed.push_back(*failure);
  const std::string htmlPath = outputPrefix + kReportHtmlName;
  const FramePicture picture = [&](int frame) {
    return summaryThumbnail(picturePrefixes, frame, sorted.take.frameCount);
  };
  if (auto failure = writeText(htmlPath, reportHtml(sorted, picture))) failed.push_back(*failure);
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
