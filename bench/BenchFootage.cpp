#include "BenchFootage.h"

#include <algorithm>
#include <vector>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

namespace bench {

namespace {

const char* const kPhotoFolder = "/usr/share/doc/opencv-doc/examples/data/";
const char* const kPhotos[] = {"aloeL.jpg",   "building.jpg", "graf1.png", "leuvenA.jpg",
                               "starry_night.jpg", "baboon.jpg",   "fruits.jpg", "stuff.jpg",
                               "board.jpg",   "home.jpg",     "messi5.jpg"};
constexpr int kPanX = 7;
constexpr int kPanY = 3;
// Rows kept free above every window, so that a window can be moved up by
// that many rows for the worst case.
constexpr int kShiftedRows = 6;

cv::Mat syntheticTexture(cv::Size size) {
  cv::Mat texture(size, CV_8UC3);
  cv::RNG rng(1);
  rng.fill(texture, cv::RNG::UNIFORM, cv::Scalar::all(0), cv::Scalar::all(255));
  cv::GaussianBlur(texture, texture, cv::Size(0, 0), 2.0);
  return texture;
}

cv::Mat sideBySide(const cv::Mat& left, const cv::Mat& right) {
  cv::Mat both;
  cv::hconcat(left, right, both);
  return both;
}

cv::Rect panWindow(const cv::Mat& canvas, cv::Size viewSize, int index) {
  const int x = (kPanX * index) % std::max(1, canvas.cols - viewSize.width);
  const int y =
      kShiftedRows + (kPanY * index) % std::max(1, canvas.rows - viewSize.height - kShiftedRows);
  return {cv::Point(x, y), viewSize};
}

}  // namespace

cv::Mat photoCanvas(cv::Size size, std::string& source) {
  std::vector<cv::Mat> photos;
  for (const char* name : kPhotos) {
    cv::Mat photo = cv::imread(std::string(kPhotoFolder) + name, cv::IMREAD_COLOR);
    if (!photo.empty()) photos.push_back(photo);
  }
  if (photos.empty()) {
    source = "a synthetic texture (install opencv-doc for real photographs)";
    return syntheticTexture(size);
  }
  source = std::to_string(photos.size()) + " sample photographs of opencv-doc";
  cv::Mat canvas(size, CV_8UC3, cv::Scalar::all(0));
  size_t next = 0;
  for (int y = 0; y < size.height;) {
    int rowHeight = 0;
    for (int x = 0; x < size.width;) {
      const cv::Mat& photo = photos[next++ % photos.size()];
      const cv::Rect place(x, y, std::min(photo.cols, size.width - x),
                           std::min(photo.rows, size.height - y));
      photo(cv::Rect(0, 0, place.width, place.height)).copyTo(canvas(place));
      x += place.width;
      rowHeight = std::max(rowHeight, place.height);
    }
    y += rowHeight;
  }
  return canvas;
}

cv::Mat leftView(const cv::Mat& canvas, cv::Size viewSize, int index) {
  return canvas(panWindow(canvas, viewSize, index)).clone();
}

cv::Mat shiftedView(const cv::Mat& canvas, cv::Size viewSize, int index, int rows) {
  // The window `rows` higher: row r of this view is row r - rows of the left one.
  const cv::Rect window = panWindow(canvas, viewSize, index) - cv::Point(0, std::min(rows, kShiftedRows));
  return canvas(window).clone();
}

cv::Mat misaligned(const cv::Mat& left) {
  const cv::Point2f centre(static_cast<float>(left.cols) / 2, static_cast<float>(left.rows) / 2);
  cv::Mat transform = cv::getRotationMatrix2D(centre, 0.3, 1.01);
  transform.at<double>(1, 2) += 4;
  cv::Mat moved;
  cv::warpAffine(left, moved, transform, left.size(), cv::INTER_LINEAR, cv::BORDER_REFLECT);
  return moved;
}

bool writeSideBySideVideo(const std::string& path, const cv::Mat& canvas, cv::Size frameSize,
                          int frames) {
  cv::VideoWriter writer(path, cv::CAP_FFMPEG, cv::VideoWriter::fourcc('a', 'v', 'c', '1'), 24,
                         frameSize);
  if (!writer.isOpened()) return false;
  const cv::Size view(frameSize.width / 2, frameSize.height);
  for (int i = 0; i < frames; ++i) {
    const cv::Mat left = leftView(canvas, view, i);
    writer.write(sideBySide(left, misaligned(left)));
  }
  return true;
}

bool writeSideBySideStill(const std::string& path, const cv::Mat& canvas, cv::Size frameSize,
                          bool worstCase) {
  const cv::Size view(frameSize.width / 2, frameSize.height);
  const cv::Mat left = leftView(canvas, view, 0);
  const cv::Mat right = worstCase ? shiftedView(canvas, view, 0, kShiftedRows) : misaligned(left);
  return cv::imwrite(path, sideBySide(left, right));
}

std::vector<NamedPair> fullHdPairs(const cv::Mat& aloeLeft, const cv::Mat& aloeRight) {
  const cv::Size size(1920, 1080);
  NamedPair aloe{"the aloe pair enlarged (parallax -17 % to -3 %)", {}, {}};
  cv::resize(aloeLeft, aloe.left, size, 0, 0, cv::INTER_CUBIC);
  cv::resize(aloeRight, aloe.right, size, 0, 0, cv::INTER_CUBIC);
  std::string source;
  const cv::Mat photo = leftView(photoCanvas(cv::Size(4600, 2800), source), size, 0);
  return {aloe, {"a photograph, right view misaligned (one depth)", photo, misaligned(photo)}};
}

}  // namespace bench
