#include <gtest/gtest.h>

#include <opencv2/imgproc.hpp>

#include "results/ViewPixels.h"

namespace stereolint {
namespace {

// samePixels stops at the first row that differs; it must agree with the
// image library's whole-picture comparison wherever the difference lies,
// and on views cut from a wider picture (rows not contiguous).
TEST(ViewPixels, SamePixelsAgreesWithAWholeComparison) {
  cv::Mat wide(120, 321, CV_8UC3);
  cv::randu(wide, cv::Scalar::all(0), cv::Scalar::all(256));
  const cv::Mat left = wide(cv::Rect(0, 0, 160, 120));
  cv::Mat right = wide(cv::Rect(0, 0, 160, 120)).clone();
  const auto wholeComparison = [&] { return cv::norm(left, right, cv::NORM_INF) == 0; };
  EXPECT_TRUE(samePixels(left, right));
  EXPECT_EQ(samePixels(left, right), wholeComparison());
  for (const cv::Point at : {cv::Point(159, 119), cv::Point(0, 0), cv::Point(80, 60)}) {
    cv::Mat changed = right.clone();
    changed.at<cv::Vec3b>(at)[2] ^= 1;
    EXPECT_FALSE(samePixels(left, changed)) << at;
    EXPECT_TRUE(samePixels(changed, changed.clone())) << at;
  }
  // The column past the view's right edge differs; the view itself does not.
  const cv::Mat shifted = wide(cv::Rect(1, 0, 160, 120));
  EXPECT_EQ(samePixels(left, shifted), cv::norm(left, shifted, cv::NORM_INF) == 0);
  EXPECT_FALSE(samePixels(left, left(cv::Rect(0, 0, 159, 120))));
  cv::Mat grey;
  left.reshape(1).copyTo(grey);
  EXPECT_FALSE(samePixels(left, grey));
}

// The block means are a shortcut for the image library's area resize: the
// same pixels, whatever the factor, channels or depth.
TEST(ViewPixels, ShrinkingGivesTheAreaResizesPixels) {
  struct Case {
    cv::Size size;
    int type;
    double scale;
  };
  const Case cases[] = {{{1920, 1080}, CV_8UC3, 640.0 / 1920},  // blocks of 3 x 3
                        {{642, 363}, CV_8UC3, 1.0 / 3},  // a row not a multiple of 16 values
                        {{1000, 500}, CV_8UC1, 0.2},  // the rest: the library's own
                        {{1280, 720}, CV_8UC3, 0.5},
                        {{2048, 858}, CV_8UC3, 640.0 / 2048},
                        {{960, 540}, CV_16UC3, 1.0 / 3}};
  for (const Case& c : cases) {
    cv::Mat view(c.size, c.type);
    cv::randu(view, cv::Scalar::all(0), cv::Scalar::all(c.type == CV_16UC3 ? 65536 : 256));
    // A view cut from a wider frame, as a side-by-side input gives it.
    cv::Mat frame(c.size.height, 2 * c.size.width, c.type, cv::Scalar::all(7));
    view.copyTo(frame.colRange(c.size.width, 2 * c.size.width));
    cv::Mat expected;
    cv::resize(view, expected, cv::Size(), c.scale, c.scale, cv::INTER_AREA);
    const cv::Mat shrunk = shrinkByArea(frame.colRange(c.size.width, 2 * c.size.width), c.scale);
    ASSERT_EQ(shrunk.size(), expected.size()) << c.size;
    EXPECT_TRUE(samePixels(shrunk, expected)) << c.size << " at " << c.scale;
  }
}

}  // namespace
}  // namespace stereolint
