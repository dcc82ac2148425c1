#include "results/ViewPixels.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <opencv2/core/hal/intrin.hpp>
#include <opencv2/imgproc.hpp>
#include <vector>

namespace stereolint {

namespace {

// Sums `Rows` rows of `count` 8-bit values into `sum`, value by value.
template <int Rows>
void sumRows(const uchar* const* rows, int count, uint16_t* sum) {
  int i = 0;
#if CV_SIMD128
  for (; i + 16 <= count; i += 16) {
    cv::v_uint16x8 low, high;
    cv::v_expand(cv::v_load(rows[0] + i), low, high);
    for (int k = 1; k < Rows; ++k) {
      cv::v_uint16x8 l, h;
      cv::v_expand(cv::v_load(rows[k] + i), l, h);
      low += l;
      high += h;
    }
    cv::v_store(sum + i, low);
    cv::v_store(sum + i + 8, high);
  }
#endif
  for (; i < count; ++i) {
    unsigned s = 0;
    for (int k = 0; k < Rows; ++k) s += rows[k][i];
    sum[i] = static_cast<uint16_t>(s);
  }
}

// The mean of each `Factor` x `Factor` block of an 8-bit view of
// `Channels` channels whose sides are multiples of `Factor`, rounded to
// nearest. With an odd block area no mean lies half-way between two
// values, so the rounding agrees with the image library's float product by
// 1/area, which rounds to nearest too. The rows of a block are summed first,
// many values at once, then the columns.
template <int Factor, int Channels>
cv::Mat blockMeans(const cv::Mat& view) {
  static_assert(Factor % 2 == 1, "an even block area has means half-way between two values");
  static_assert(Factor * 255 <= 65535, "a column of a block must sum within 16 bits");
  constexpr unsigned kArea = Factor * Factor;
  CV_Assert(view.channels() == Channels);
  cv::Mat out(view.rows / Factor, view.cols / Factor, view.type());
  const int inValues = out.cols * Factor * Channels;
  std::vector<uint16_t> columns(static_cast<size_t>(inValues));
  for (int y = 0; y < out.rows; ++y) {
    const uchar* rows[Factor];
    for (int k = 0; k < Factor; ++k) rows[k] = view.ptr<uchar>(y * Factor + k);
    sumRows<Factor>(rows, inValues, columns.data());
    const uint16_t* column = columns.data();
    uchar* o = out.ptr<uchar>(y);
    for (int x = 0; x < out.cols; ++x, column += Factor * Channels, o += Channels)
      for (int c = 0; c < Channels; ++c) {
        unsigned sum = 0;
        for (int i = 0; i < Factor; ++i) sum += column[i * Channels + c];
        o[c] = static_cast<uchar>((sum + kArea / 2) / kArea);
      }
  }
  return out;
}

}  // namespace

cv::Mat toEightBit(const cv::Mat& view) {
  if (view.depth() == CV_8U) return view;
  cv::Mat eight;
  view.convertTo(eight, CV_8U, view.depth() == CV_16U ? 1.0 / 256 : 1.0, 0);
  return eight;
}

cv::Mat toGrey(const cv::Mat& view) {
  const cv::Mat eight = toEightBit(view);
  cv::Mat grey;
  switch (eight.channels()) {
    case 3:
      cv::cvtColor(eight, grey, cv::COLOR_BGR2GRAY);
      break;
    case 4:
      cv::cvtColor(eight, grey, cv::COLOR_BGRA2GRAY);
      break;
    default:
      grey = eight.channels() == 1 ? eight : cv::Mat();
      break;
  }
  if (grey.empty() && !eight.empty()) cv::extractChannel(eight, grey, 0);
  return grey;
}

cv::Mat toThreeChannels(const cv::Mat& view) {
  cv::Mat colour;
  switch (view.channels()) {
    case 1:
      cv::cvtColor(view, colour, cv::COLOR_GRAY2BGR);
      break;
    case 4:
      cv::cvtColor(view, colour, cv::COLOR_BGRA2BGR);
      break;
    case 3:
      colour = view;
      break;
    default: {
      cv::Mat first;
      cv::extractChannel(view, first, 0);
      cv::cvtColor(first, colour, cv::COLOR_GRAY2BGR);
      break;
    }
  }
  return colour;
}

cv::Mat shrinkByArea(const cv::Mat& view, double scale) {
  if (scale >= 1.0) return view;
  const int width = cv::saturate_cast<int>(view.cols * scale);
  const int height = cv::saturate_cast<int>(view.rows * scale);
  const int factor = width > 0 ? view.cols / width : 0;
  // A colour view 1920 pixels wide matched at 640: the case met most.
  if (view.type() == CV_8UC3 && factor == 3 && width * factor == view.cols &&
      height * factor == view.rows)
    return blockMeans<3, 3>(view);
  cv::Mat small;
  cv::resize(view, small, cv::Size(), scale, scale, cv::INTER_AREA);
  return small;
}

bool samePixels(const cv::Mat& a, const cv::Mat& b) {
  if (a.size() != b.size() || a.type() != b.type()) return false;
  const size_t rowBytes = static_cast<size_t>(a.cols) * a.elemSize();
  for (int y = 0; y < a.rows; ++y)
    if (std::memcmp(a.ptr(y), b.ptr(y), rowBytes) != 0) return false;
  return true;
}

cv::Mat toColour(const cv::Mat& view) { return toThreeChannels(toEightBit(view)); }

}  // namespace stereolint
