// The alignment measurement on real photographs (opencv-doc's samples)
// whose right view is moved, turned, scaled or bent by known amounts, and on
// views it must refuse to measure. Bounds are loose against the method's
// figures (scripts/bench --alignment) but tight against a wrong model.
#include <gtest/gtest.h>

#include <opencv2/core/utility.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "AlignmentTestViews.h"
#include "checkers/RotationStereolint.h"
#include "checkers/alignment/AlignmentMeasurement.h"
#include "checkers/alignment/AlignmentStereolint.h"
#include "support/SyntheticViews.h"

namespace stereolint {
namespace {

const cv::Size kSize(1280, 720);

class AlignmentAccuracy : public ::testing::Test {
 protected:
  void SetUp() override {
    photo = test::samplePhoto("building.jpg", kSize);
    if (photo.empty()) GTEST_SKIP() << "opencv-doc's sample photographs are not installed";
  }

  AlignmentMeasurement measured(double rows, double degrees, double scale) const {
    const AlignmentMeasurement m =
        measureAlignment(photo, test::misalign(photo, rows, degrees, scale), AlignmentOptions{});
    EXPECT_EQ(m.statusText(), "OK");
    return m;
  }

  cv::Mat photo;
};

TEST_F(AlignmentAccuracy, SubPixelVerticalShifts) {
  for (double rows : {0.25, -0.5, 1.75, -3.4}) {
    const AlignmentMeasurement m = measured(rows, 0, 1);
    EXPECT_NEAR(m.vertical, -rows, 0.05) << rows;
    EXPECT_NEAR(m.rotationDegrees, 0, 0.01) << rows;
    EXPECT_NEAR(m.scale, 1, 0.0002) << rows;
  }
}

// A turn reads as its negative (the angle that turns the view back) and
// moves nothing at the centre.
TEST_F(AlignmentAccuracy, RotationsWithoutCrossTalk) {
  for (double degrees : {0.2, -1.0}) {
    const AlignmentMeasurement m = measured(0, degrees, 1);
    EXPECT_NEAR(m.rotationDegrees, -degrees, 0.03) << degrees;
    EXPECT_NEAR(m.vertical, 0, 0.05) << degrees;
    EXPECT_NEAR(m.scale, 1, 0.0005) << degrees;
  }
}

TEST_F(AlignmentAccuracy, ScalesWithoutCrossTalk) {
  for (double scale : {1.02, 0.995}) {
    const AlignmentMeasurement m = measured(0, 0, scale);
    EXPECT_NEAR(m.scale, 1 / scale, 0.0005) << scale;
    EXPECT_NEAR(m.rotationDegrees, 0, 0.01) << scale;
    EXPECT_NEAR(m.vertical, 0, 0.05) << scale;
  }
}

TEST_F(AlignmentAccuracy, EverythingAtOnceAndATrapezoid) {
  const AlignmentMeasurement m = measured(-2.0, 0.6, 1.012);
  EXPECT_NEAR(m.vertical, 2.0 * std::cos(0.6 * CV_PI / 180) / 1.012, 0.05);
  EXPECT_NEAR(m.rotationDegrees, -0.6, 0.03);
  EXPECT_NEAR(m.scale, 1 / 1.012, 0.0005);

  const AlignmentMeasurement bent =
      measureAlignment(photo, test::keystoned(photo, 2.0), AlignmentOptions{});
  EXPECT_EQ(bent.statusText(), "OK");
  EXPECT_NEAR(bent.keystone, 2.0, 0.1);
  EXPECT_NEAR(bent.vertical, 0, 0.05);
  EXPECT_NEAR(bent.rotationDegrees, 0, 0.01);
}

// Content moved right in the right view is behind the screen: positive.
TEST_F(AlignmentAccuracy, ParallaxSignAndSize) {
  const AlignmentMeasurement m =
      measureAlignment(photo, test::movedRight(photo, 32), AlignmentOptions{});
  EXPECT_EQ(m.statusText(), "OK");
  EXPECT_NEAR(m.nearParallax, 2.5, 0.05);
  EXPECT_NEAR(m.farParallax, 2.5, 0.05);
}

// A real stereo pair has parallax everywhere: turning its right view must
// still read the turn and leave the centre's offset where it was.
TEST_F(AlignmentAccuracy, RealStereoPairTurned) {
  const cv::Mat left = test::samplePhoto("aloeL.jpg", kSize);
  const cv::Mat right = test::samplePhoto("aloeR.jpg", kSize);
  ASSERT_FALSE(left.empty() || right.empty());
  const AlignmentMeasurement base = measureAlignment(left, right, AlignmentOptions{});
  const AlignmentMeasurement turned =
      measureAlignment(left, test::misalign(right, 0, 1.0, 1), AlignmentOptions{});
  EXPECT_EQ(turned.statusText(), "OK");
  EXPECT_LT(base.farParallax, 0);  // a parallel rig: everything in front of the screen
  EXPECT_NEAR(turned.rotationDegrees - base.rotationDegrees, -1.0, 0.03);
  EXPECT_NEAR(turned.vertical, base.vertical, 0.1);
}

// The same sign as the ROTATION step of the existing method.
TEST_F(AlignmentAccuracy, RotationSignAgreesWithTheRotationStep) {
  const test::StereoPair pair = test::rotatedPair(cv::Size(640, 480), 1.5);
  const Results steps =
      RotationStereolint("WIDTH:10,HEIGHT:10,DETECTOR:ORB,EXTRACTOR:ORB,MATCHER:BruteForce-Hamming")
          .compute(nullptr, pair.left, pair.right);
  double median = 0;
  for (const Result::KeyValue* value : steps.at(0)->getKeyValues()) {
    if (value->getKey() == "MEDIAN") median = value->getValue();
  }
  const AlignmentMeasurement m = measureAlignment(pair.left, pair.right, AlignmentOptions{});
  EXPECT_LT(median, -1.0);
  EXPECT_NEAR(m.rotationDegrees, -1.5, 0.03);
}

TEST_F(AlignmentAccuracy, SameNumbersEveryTimeAndOnAnyNumberOfThreads) {
  const cv::Mat right = test::misalign(photo, 1.3, 0.4, 1.007);
  const int threads = cv::getNumThreads();
  cv::setNumThreads(1);
  const AlignmentMeasurement one = measureAlignment(photo, right, AlignmentOptions{});
  cv::setNumThreads(4);
  const AlignmentMeasurement four = measureAlignment(photo, right, AlignmentOptions{});
  const AlignmentMeasurement again = measureAlignment(photo, right, AlignmentOptions{});
  cv::setNumThreads(threads);
  for (const AlignmentMeasurement* other : {&four, &again}) {
    EXPECT_EQ(other->vertical, one.vertical);
    EXPECT_EQ(other->rotationDegrees, one.rotationDegrees);
    EXPECT_EQ(other->scale, one.scale);
    EXPECT_EQ(other->keystone, one.keystone);
    EXPECT_EQ(other->points, one.points);
  }

  // The whole frame, depth and eyes included, measured on views cut from
  // one side-by-side picture (as a worker gets them, unpacked) and on the
  // same views in pixels of their own: the same lines but for the times.
  cv::Mat sideBySide;
  cv::hconcat(photo, right, sideBySide);
  const AlignmentStereolint method("");
  const auto lines = [&method](const cv::Mat& left, const cv::Mat& rightView) {
    std::vector<std::string> text;
    for (const auto& result : method.measureFrame(left, rightView).results)
      for (const Result::KeyValue* entry : result->getKeyValues())
        if (entry->getKey() != "TIME")
          text.push_back(result->getName() + " " + entry->getKey() + " " +
                         (entry->hasText() ? entry->getText() : cv::format("%.17g", entry->getValue())));
    return text;
  };
  const cv::Rect leftHalf(0, 0, photo.cols, photo.rows), rightHalf = leftHalf + cv::Point(photo.cols, 0);
  const std::vector<std::string> cut = lines(sideBySide(leftHalf), sideBySide(rightHalf));
  EXPECT_EQ(cut, lines(photo.clone(), right.clone()));
  EXPECT_GT(cut.size(), 30u) << "the ALIGNMENT, DEPTH and EYES blocks";
}

TEST_F(AlignmentAccuracy, ViewsItCannotMeasureSaySo) {
  const AlignmentOptions options;
  EXPECT_EQ(measureAlignment(photo, photo, options).statusText(), "IDENTICAL");
  // Two copies of one picture coded apart (JPEG at two qualities) are still
  // one picture; a quarter of a row between them is a misalignment.
  const auto coded = [](const cv::Mat& picture, int quality) {
    std::vector<uchar> bytes;
    cv::imencode(".jpg", picture, bytes, {cv::IMWRITE_JPEG_QUALITY, quality});
    return cv::imdecode(bytes, cv::IMREAD_COLOR);
  };
  EXPECT_EQ(measureAlignment(coded(photo, 50), coded(photo, 25), options).statusText(),
            "IDENTICAL");
  EXPECT_EQ(measureAlignment(photo, test::misalign(photo, 0.25, 0, 1), options).statusText(), "OK");
  const cv::Mat black(kSize, CV_8UC3, cv::Scalar::all(0));
  const cv::Mat grey(kSize, CV_8UC3, cv::Scalar::all(128));
  EXPECT_EQ(measureAlignment(photo, black, options).statusText(), "INCONCLUSIVE BLACK VIEW");
  EXPECT_EQ(measureAlignment(grey, photo, options).statusText(), "INCONCLUSIVE FLAT VIEW");
  EXPECT_EQ(measureAlignment(photo(cv::Rect(0, 0, 40, 30)), photo(cv::Rect(0, 0, 40, 30)), options)
                .statusText(),
            "INCONCLUSIVE VIEW TOO SMALL");
  EXPECT_EQ(measureAlignment(photo, photo(cv::Rect(0, 0, 640, 360)), options).statusText(),
            "INCONCLUSIVE VIEWS DIFFER IN SIZE");
  EXPECT_EQ(measureAlignment(cv::Mat(), photo, options).statusText(), "INCONCLUSIVE EMPTY VIEW");
  // Two different pictures have nothing in common.
  const cv::Mat other = test::samplePhoto("fruits.jpg", kSize);
  const AlignmentMeasurement unrelated = measureAlignment(photo, other, options);
  EXPECT_EQ(unrelated.status, FrameStatus::Inconclusive);
  EXPECT_NE(unrelated.statusText(), "INCONCLUSIVE OFFSET BEYOND BAND");
  // 36 rows are 5 % of the height, beyond the default band of 3 %: the
  // status says to widen it, and a band of 8 % measures the offset.
  const cv::Mat far = test::misalign(photo, 36, 0, 1);
  EXPECT_EQ(measureAlignment(photo, far, options).statusText(), "INCONCLUSIVE OFFSET BEYOND BAND");
  AlignmentOptions wider;
  wider.bandPercent = 8;
  const AlignmentMeasurement widened = measureAlignment(photo, far, wider);
  EXPECT_EQ(widened.statusText(), "OK");
  EXPECT_NEAR(widened.vertical, -36, 0.1);
}

// A regular pattern of identical marks, shifted by exactly one period: every
// mark looks like its neighbours, so no answer may be confidently wrong.
TEST_F(AlignmentAccuracy, RepetitivePatternGivesNoConfidentWrongAnswer) {
  cv::Mat pattern(kSize, CV_8UC3, cv::Scalar::all(200));
  for (int y = 10; y < kSize.height; y += 24) {
    for (int x = 10; x < kSize.width; x += 24) {
      cv::rectangle(pattern, cv::Rect(x, y, 9, 9), cv::Scalar::all(30), cv::FILLED);
    }
  }
  const AlignmentMeasurement m =
      measureAlignment(pattern, test::misalign(pattern, 3.0, 0, 1), AlignmentOptions{});
  if (m.status == FrameStatus::Ok) {
    EXPECT_NEAR(m.vertical, -3.0, 0.1);
  }
  EXPECT_NE(m.status, FrameStatus::Identical);
}

// The image library's calibration pairs: one rig, a chessboard with
// 20-30 % horizontal parallax. Pairs that read OK agree with each other as
// pairs of one rig must; the others say they are unsure.
TEST(AlignmentOnARig, PairsOfOneRigAgreeOrSayTheyAreUnsure) {
  const std::string folder = "/usr/share/doc/opencv-doc/examples/data/";
  std::vector<std::pair<std::string, AlignmentMeasurement>> confident;
  int pairs = 0;
  for (const char* number : {"01", "02", "03", "04", "05", "06", "07", "08", "09", "11", "12",
                             "13", "14"}) {
    const cv::Mat left = cv::imread(folder + "left" + number + ".jpg", cv::IMREAD_COLOR);
    const cv::Mat right = cv::imread(folder + "right" + number + ".jpg", cv::IMREAD_COLOR);
    if (left.empty() || right.empty()) continue;
    ++pairs;
    const AlignmentMeasurement m = measureAlignment(left, right, AlignmentOptions{});
    if (m.status == FrameStatus::Ok) confident.emplace_back(number, m);
  }
  if (pairs == 0) GTEST_SKIP() << "opencv-doc's calibration pairs are not installed";
  for (const auto& [first, a] : confident) {
    for (const auto& [second, b] : confident) {
      EXPECT_NEAR(a.vertical, b.vertical, 0.3) << "pairs " << first << " and " << second;
      EXPECT_NEAR(a.rotationDegrees, b.rotationDegrees, 0.05) << "pairs " << first << " and "
                                                              << second;
    }
  }
}

}  // namespace
}  // namespace stereolint
