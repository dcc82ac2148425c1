// A colour decision applied to a picture: every pixel gets the code values
// the decision gives its own, whichever way the grade is computed (a table
// per channel when the saturation is 1, pixel by pixel otherwise).
#include <gtest/gtest.h>

#include <array>
#include <opencv2/core.hpp>

#include "checkers/eyes/CdlFit.h"

namespace stereolint {
namespace {

TEST(ColourGrade, EveryPixelGetsTheDecisionsCodeValues) {
  // Each channel moved differently, so a channel read from another's table
  // shows; a picture cut from a wider frame, as a view is.
  ColourDecision decision;
  decision.slope = {0.9, 1.05, 1.1};
  decision.offset = {0.02, -0.02, 0.01};
  decision.power = {0.95, 1.0, 1.08};
  cv::Mat frame(37, 2 * 53, CV_8UC3);
  cv::randu(frame, cv::Scalar::all(0), cv::Scalar::all(256));
  const cv::Mat picture = frame.colRange(53, 2 * 53);
  for (const double saturation : {1.0, 0.9}) {
    decision.saturation = saturation;
    const cv::Mat graded = ColourGrade(decision)(picture);
    int wrong = 0;
    for (int y = 0; y < picture.rows; ++y)
      for (int x = 0; x < picture.cols; ++x) {
        const cv::Vec3b p = picture.at<cv::Vec3b>(y, x);
        const auto rgb = applyColourDecision(
            decision, std::array<double, 3>{p[2] / 255.0, p[1] / 255.0, p[0] / 255.0});
        const cv::Vec3b expected(cv::saturate_cast<uchar>(rgb[2] * 255.0),
                                 cv::saturate_cast<uchar>(rgb[1] * 255.0),
                                 cv::saturate_cast<uchar>(rgb[0] * 255.0));
        wrong += graded.at<cv::Vec3b>(y, x) == expected ? 0 : 1;
      }
    EXPECT_EQ(wrong, 0) << "pixels off the decision at saturation " << saturation;
  }
}

}  // namespace
}  // namespace stereolint
