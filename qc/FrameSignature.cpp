#include "qc/FrameSignature.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include <opencv2/imgproc.hpp>

namespace stereolint::qc {

namespace {

constexpr int kContrastWidth = 256;

// The view reduced by a whole factor to at most kContrastWidth columns
// (the few columns and rows beyond a multiple of the factor left out): the
// image library's area reduction is several times faster by a whole factor,
// and all that follows works on the small picture.
cv::Mat reduced(const cv::Mat& view) {
  const int factor = (view.cols + kContrastWidth - 1) / kContrastWidth;
  if (factor <= 1) return view;
  const cv::Rect whole(0, 0, view.cols - view.cols % factor, view.rows - view.rows % factor);
  if (whole.height < factor) return view;
  const cv::Size size(whole.width / factor, whole.height / factor);
  cv::Mat small;
  if (factor < 4) {
    cv::resize(view(whole), small, size, 0, 0, cv::INTER_AREA);
    return small;
  }
  // From far larger views, bilinear sampling to twice the size and then
  // averaging by two costs a third of averaging all the way; the signature
  // does not need every pixel.
  cv::Mat twice;
  cv::resize(view(whole), twice, size * 2, 0, 0, cv::INTER_LINEAR);
  cv::resize(twice, small, size, 0, 0, cv::INTER_AREA);
  return small;
}

cv::Mat greyEightBit(const cv::Mat& view) {
  cv::Mat eight;
  if (view.depth() == CV_8U)
    eight = view;
  else if (view.depth() == CV_16U)
    view.convertTo(eight, CV_8U, 1.0 / 257.0);
  else
    return {};
  cv::Mat grey;
  switch (eight.channels()) {
    case 1: grey = eight; break;
    case 3: cv::cvtColor(eight, grey, cv::COLOR_BGR2GRAY); break;
    case 4: cv::cvtColor(eight, grey, cv::COLOR_BGRA2GRAY); break;
    default: return {};
  }
  return grey;
}

double contrastOf(const cv::Mat& grey) {
  cv::Scalar mean;
  cv::Scalar deviation;
  cv::meanStdDev(grey, mean, deviation);
  // Rounded so that the report holds a short number that reads back exactly.
  return std::round(deviation[0] * 100.0) / 100.0;
}

// Mean absolute difference over the overlap of `a` and `b` shifted by
// (dx, dy) thumbnail pixels.
double shiftedDifference(const FrameSignature& a, const FrameSignature& b, int dx, int dy) {
  long sum = 0;
  long count = 0;
  for (int y = std::max(0, -dy); y < kThumbnailHeight - std::max(0, dy); ++y)
    for (int x = std::max(0, -dx); x < kThumbnailWidth - std::max(0, dx); ++x) {
      const int first = a.thumbnail[static_cast<size_t>(y * kThumbnailWidth + x)];
      const int second = b.thumbnail[static_cast<size_t>((y + dy) * kThumbnailWidth + x + dx)];
      sum += std::abs(first - second);
      ++count;
    }
  return static_cast<double>(sum) / static_cast<double>(count);
}

}  // namespace

FrameSignature frameSignature(const cv::Mat& view) {
  FrameSignature signature;
  if (view.empty()) return signature;
  try {
    if (view.depth() != CV_8U && view.depth() != CV_16U) return signature;
    const cv::Mat grey = greyEightBit(reduced(view));
    if (grey.empty()) return signature;
    cv::Mat thumbnail;
    cv::resize(grey, thumbnail, cv::Size(kThumbnailWidth, kThumbnailHeight), 0, 0, cv::INTER_AREA);
    signature.thumbnail.assign(thumbnail.begin<std::uint8_t>(), thumbnail.end<std::uint8_t>());
    signature.contrast = contrastOf(grey);
  } catch (const cv::Exception&) {
    // A view the image library cannot reduce has no signature; its frame is
    // still judged by its measurements.
    return FrameSignature{};
  }
  return signature;
}

double FrameSignature::meanGrey() const {
  if (thumbnail.empty()) return 0;
  double sum = 0;
  for (std::uint8_t level : thumbnail) sum += level;
  return sum / static_cast<double>(thumbnail.size());
}

double signatureDistance(const FrameSignature& a, const FrameSignature& b) {
  if (!a.known() || !b.known()) return -1;
  double best = std::numeric_limits<double>::max();
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) best = std::min(best, shiftedDifference(a, b, dx, dy));
  return best;
}

bool isCut(const FrameSignature& before, const FrameSignature& after) {
  return signatureDistance(before, after) > kCutDistance;
}

}  // namespace stereolint::qc
