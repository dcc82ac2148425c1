// Synthetic pairs with a known misalignment, measured with every detector:
// the medians must come out right within each detector's tolerance.
#include <gtest/gtest.h>

#include "checkers/Stereolint.h"
#include "support/SyntheticViews.h"

namespace stereolint {
namespace {

// Tolerances: the vertical shift copies whole pixels, so keypoints of both
// views coincide and the median must be exact. Rotation and scale resample
// the right view, which moves corners by fractions of a pixel; over the few
// hundred pixels between features that is within 0.2 degree and 1% of scale.
// Dense keypoints sit on the same fixed grid in both views and cannot follow
// a rotation or a scale: only the direction of the misalignment shows.
struct Algorithms {
  const char* detector;
  const char* extractor;
  const char* matcher;
  double verticalTolerance;  // rows
  double rotationTolerance;  // degrees
  double scaleTolerance;     // ratio
};

std::string parameters(const Algorithms& a, const char* step) {
  return std::string("WIDTH:10,HEIGHT:10,DETECTOR:") + a.detector + ",EXTRACTOR:" + a.extractor +
         ",MATCHER:" + a.matcher + ",HIERARCHY:" + step;
}

double medianOf(const Results& results) {
  EXPECT_EQ(results.size(), 1u);
  for (const auto* entry : results.at(0)->getKeyValues()) {
    if (entry->getKey() == "MEDIAN") return entry->getValue();
  }
  ADD_FAILURE() << "no points were measured";
  return std::nan("");
}

class Accuracy : public ::testing::TestWithParam<Algorithms> {};

const cv::Size kViewSize(480, 360);

TEST_P(Accuracy, VerticalShift) {
  const auto pair = test::verticallyShiftedPair(kViewSize, 6);
  const Results results =
      Stereolint(parameters(GetParam(), "VERTICAL")).compute(nullptr, pair.left, pair.right);
  EXPECT_NEAR(medianOf(results), 6.0, GetParam().verticalTolerance);
}

// A view turned anticlockwise measures a negative angle: the amount that
// turns it back.
TEST_P(Accuracy, Rotation) {
  const auto pair = test::rotatedPair(kViewSize, 1.5);
  const Results results =
      Stereolint(parameters(GetParam(), "ROTATION")).compute(nullptr, pair.left, pair.right);
  EXPECT_NEAR(medianOf(results), -1.5, GetParam().rotationTolerance);
}

TEST_P(Accuracy, Scale) {
  const auto pair = test::scaledPair(kViewSize, 1.04);
  const Results results =
      Stereolint(parameters(GetParam(), "SCALE")).compute(nullptr, pair.left, pair.right);
  EXPECT_NEAR(medianOf(results), 1.04, GetParam().scaleTolerance);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(EveryDetector, Accuracy, ::testing::Values(
    Algorithms{"ORB",        "ORB",         "BruteForce-Hamming", 0.0, 0.2, 0.01},
    Algorithms{"FAST",       "ORB",         "BruteForce-Hamming", 0.0, 0.2, 0.01},
    Algorithms{"AGAST",      "ORB",         "BruteForce-Hamming", 0.0, 0.2, 0.01},
    Algorithms{"GFTT",       "ORB",         "BruteForce-Hamming", 0.0, 0.2, 0.01},
    Algorithms{"HARRIS",     "ORB",         "BruteForce-Hamming", 0.0, 0.2, 0.01},
    Algorithms{"BRISK",      "BRISK",       "BruteForce-Hamming", 0.0, 0.2, 0.01},
    Algorithms{"MSER",       "ORB",         "BruteForce-Hamming", 0.0, 0.2, 0.01},
    Algorithms{"SimpleBlob", "ORB",         "BruteForce-Hamming", 0.0, 0.2, 0.01},
    Algorithms{"Dense",      "ORB",         "BruteForce-Hamming", 0.0, 1.3, 0.03},
    Algorithms{"SIFT",       "SIFT",        "BruteForce",         0.0, 0.2, 0.01},
    Algorithms{"AKAZE",      "AKAZE",       "BruteForce-Hamming", 0.0, 0.2, 0.01},
    Algorithms{"KAZE",       "KAZE",        "BruteForce",         0.0, 0.2, 0.01},
    Algorithms{"GridFAST",   "ORB",         "BruteForce-Hamming", 0.0, 0.2, 0.01},
    Algorithms{"PyramidORB", "ORB",         "BruteForce-Hamming", 0.0, 0.2, 0.01},
    Algorithms{"ORB",        "OpponentORB", "BruteForce-Hamming", 0.0, 0.2, 0.01}),
    [](const ::testing::TestParamInfo<Algorithms>& param) {
      return std::string(param.param.detector) + "_" + param.param.extractor;
    });
// clang-format on

}  // namespace
}  // namespace stereolint
