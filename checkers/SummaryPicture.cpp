#include "checkers/SummaryPicture.h"

#include <string>

#include <opencv2/imgproc.hpp>

#include "checkers/Stereolint.h"
#include "results/ResultKeys.h"

namespace stereolint {

namespace {

constexpr int kFont = cv::FONT_HERSHEY_DUPLEX;

cv::Mat messagePicture() {
  cv::Mat picture(600, 800, CV_8UC3, cv::Scalar(255, 255, 255));
  const std::string message = "Wrong application arguments ...";
  int baseline = 0;
  const cv::Size text = cv::getTextSize(message, kFont, 1.0, 1, &baseline);
  cv::putText(picture, message, cv::Point(400 - text.width / 2, 300 + text.height / 2), kFont, 1.0,
              cv::Scalar(0, 0, 0), 1, cv::LINE_8);
  return picture;
}

struct Tile {
  const char* key;
  std::vector<const char*> names;  // result names tried in order; first non-empty wins
  int x, y, width, height;         // in tiles of C x R; the 2 x 2 tile is scaled to fit
  const char* label;
};

const std::vector<Tile>& tiles() {
  static const std::vector<const char*> lastFirst = {keys::kScale, keys::kRotation,
                                                     keys::kVertical};
  static const std::vector<Tile> list = {
      {keys::kCircles, {keys::kVertical}, 0, 0, 1, 1, "VERTICAL"},
      {keys::kCircles, {keys::kRotation}, 1, 0, 1, 1, "ROTATION"},
      {keys::kCircles, {keys::kScale}, 2, 0, 1, 1, "SCALE"},
      {keys::kAnaglyphAfter, lastFirst, 0, 1, 2, 2, "ANAGLYPH"},
      {keys::kCorrectLeft, lastFirst, 2, 1, 1, 1, "LEFT"},
      {keys::kCorrectRight, lastFirst, 2, 2, 1, 1, "RIGHT"},
  };
  return list;
}

// The result whose picture fills `tile`, or null when none has it.
const char* tileSource(const Results& results, const Tile& tile) {
  for (const char* name : tile.names) {
    if (!findImage(results, tile.key, name).empty()) return name;
  }
  return nullptr;
}

// The name of the result whose CORRECT_LEFT sets the tile size.
std::string baseSource(const Results& results) {
  for (const auto& result : results) {
    for (const Result::KeyImage* image : result->getKeyImages()) {
      if (image->getKey() == keys::kCorrectLeft) return result->getName();
    }
  }
  return {};
}

}  // namespace

std::vector<PictureName> summarySources(const Results& results) {
  std::vector<PictureName> sources;
  const std::string base = baseSource(results);
  if (!base.empty()) sources.push_back({base, keys::kCorrectLeft});
  for (const Tile& tile : tiles()) {
    if (const char* name = tileSource(results, tile)) sources.push_back({name, tile.key});
  }
  return sources;
}

cv::Mat summaryPicture(const Results& results) {
  if (results.empty()) return messagePicture();

  const cv::Mat base = findImage(results, keys::kCorrectLeft, "");
  const int R = base.rows;
  const int C = base.cols;
  cv::Mat grid(3 * R, 3 * C, base.type(), cv::Scalar(240, 240, 240));

  for (const Tile& tile : tiles()) {
    const char* name = tileSource(results, tile);
    if (name == nullptr) continue;
    cv::Mat source = findImage(results, tile.key, name);
    const cv::Rect area(tile.x * C, tile.y * R, tile.width * C, tile.height * R);
    if (tile.width == 2) {
      cv::Mat resized;
      cv::resize(source, resized, area.size(), 0, 0, cv::INTER_LINEAR);
      source = resized;
    }
    CV_Assert(source.size() == area.size() && source.type() == grid.type());
    source.copyTo(grid(area));

    int baseline = 0;
    const cv::Size text = cv::getTextSize(tile.label, kFont, 6.0, 6, &baseline);
    const cv::Point origin(static_cast<int>(area.x + area.width - 1.5 * text.width),
                           static_cast<int>(area.y + area.height - 1.5 * text.height));
    cv::putText(grid, tile.label, origin, kFont, 6.0, cv::Scalar(255, 255, 255), 6, cv::LINE_AA);
  }

  const cv::Scalar black(0, 0, 0);
  cv::line(grid, {0, R}, {3 * C, R}, black, 15, cv::LINE_8);
  cv::line(grid, {2 * C, 2 * R}, {3 * C, 2 * R}, black, 15, cv::LINE_8);
  cv::line(grid, {C, 0}, {C, R}, black, 15, cv::LINE_8);
  cv::line(grid, {2 * C, 0}, {2 * C, 3 * R}, black, 15, cv::LINE_8);
  return grid;
}

}  // namespace stereolint
