#include <gtest/gtest.h>

#include "QcTestData.h"
#include "checkers/Stereolint.h"
#include "qc/FailOn.h"
#include "qc/FrameAssessment.h"
#include "qc/Shot.h"
#include "support/SyntheticViews.h"

namespace stereolint::qc {
namespace {

FrameRecord frameOf(const std::vector<std::pair<Measure, double>>& values, int height = 1000) {
  FrameRecord record;
  record.frame = 1;
  record.viewSize = cv::Size(2 * height, height);
  for (const auto& [measure, value] : values) record.values[measureIndex(measure)] = value;
  return record;
}

Verdict verdictOf(const std::vector<std::pair<Measure, double>>& values,
                  const std::string& limits = "") {
  const QcLimits chosen = limits.empty() ? defaultLimits() : parseLimits(limits).value();
  return assessFrame(frameOf(values), chosen).verdict;
}

TEST(FrameVerdict, VerticalOffsetCrossesThePassAndFixLimitsInPercentOfHeight) {
  // 0.3 % / 1 % of 1000 rows: 3 and 10 rows, either sign.
  EXPECT_EQ(verdictOf({{Measure::Vertical, 2.9}}), Verdict::Pass);
  EXPECT_EQ(verdictOf({{Measure::Vertical, -3.0}}), Verdict::Pass) << "at the limit is within";
  EXPECT_EQ(verdictOf({{Measure::Vertical, 3.2}}), Verdict::Fix);
  EXPECT_EQ(verdictOf({{Measure::Vertical, -10.0}}), Verdict::Fix);
  EXPECT_EQ(verdictOf({{Measure::Vertical, 10.5}}), Verdict::Reject);
  EXPECT_EQ(verdictOf({{Measure::Vertical, 4}}, "VERTICAL:5/8"), Verdict::Pass) << "rows";
}

TEST(FrameVerdict, RotationScaleAndKeystoneUseTheirOwnUnits) {
  EXPECT_EQ(verdictOf({{Measure::Rotation, 0.05}}), Verdict::Pass);
  EXPECT_EQ(verdictOf({{Measure::Rotation, -0.3}}), Verdict::Fix);
  EXPECT_EQ(verdictOf({{Measure::Rotation, 0.6}}), Verdict::Reject);
  EXPECT_EQ(verdictOf({{Measure::Scale, 1.002}}), Verdict::Pass) << "0.2 %";
  EXPECT_EQ(verdictOf({{Measure::Scale, 0.995}}), Verdict::Fix) << "0.5 %";
  EXPECT_EQ(verdictOf({{Measure::Scale, 1.02}}), Verdict::Reject) << "2 %";
  EXPECT_EQ(verdictOf({{Measure::Keystone, 5}}), Verdict::Fix) << "0.5 % of 1000 rows";
}

TEST(FrameVerdict, TheMostSevereMeasureDecides) {
  const FrameAssessment assessment =
      assessFrame(frameOf({{Measure::Vertical, 1}, {Measure::Rotation, 0.7}, {Measure::Scale, 1.005}}),
                  defaultLimits());
  EXPECT_EQ(assessment.verdict, Verdict::Reject);
  ASSERT_TRUE(assessment.worstLimit);
  EXPECT_EQ(*assessment.worstLimit, Measure::Rotation);
}

TEST(FrameVerdict, ParallaxOutsideTheBudgetIsFixableWhenItsRangeFits) {
  // Budget -1 % .. 2 %: a range of 3 %.
  EXPECT_EQ(verdictOf({{Measure::NearParallax, -0.8}, {Measure::FarParallax, 1.5}}), Verdict::Pass);
  EXPECT_EQ(verdictOf({{Measure::NearParallax, -2.0}, {Measure::FarParallax, 0.5}}), Verdict::Fix)
      << "a shift of 1 % brings both in";
  EXPECT_EQ(verdictOf({{Measure::NearParallax, -2.0}, {Measure::FarParallax, 1.5}}),
            Verdict::Reject)
      << "3.5 % of depth does not fit a 3 % budget";
}

TEST(FrameVerdict, FramesThatCannotBeTrustedAreInconclusiveWithTheirReason) {
  FrameRecord fewPoints = frameOf({{Measure::Vertical, 0.5}});
  fewPoints.points = 3;
  EXPECT_EQ(assessFrame(fewPoints, defaultLimits()).reason, "TOO FEW POINTS");

  FrameRecord black = frameOf({{Measure::Vertical, 0.5}});
  black.signature = frameSignature(test::flatPicture(0));
  EXPECT_EQ(assessFrame(black, defaultLimits()).reason, "BLACK VIEW");
  FrameRecord grey = frameOf({{Measure::Vertical, 0.5}});
  grey.signature = frameSignature(test::flatPicture(128));
  EXPECT_EQ(assessFrame(grey, defaultLimits()).reason, "FLAT VIEW");

  const FrameAssessment nothing = assessFrame(frameOf({}), defaultLimits());
  EXPECT_EQ(nothing.verdict, Verdict::Inconclusive);
  EXPECT_EQ(assessFrame(failedFrameRecord(4, "the picture cannot be read"), defaultLimits()).reason,
            "the picture cannot be read");
}

TEST(FrameVerdict, AFrameWhoseFitIsUncertainIsJudgedOnItsDepthAndEyesAlone) {
  // A vertical offset far beyond the limits, as a loose fit gives it.
  const auto uncertain = [](double colour) {
    FrameRecord record = frameOf({{Measure::Vertical, 12}, {Measure::Colour, colour}});
    record.inconclusiveReason = "FIT UNCERTAIN";
    return record;
  };
  const FrameRecord matching = uncertain(1.0), graded = uncertain(3.0);
  const FrameAssessment passing = assessFrame(matching, defaultLimits());
  EXPECT_EQ(passing.verdict, Verdict::Inconclusive) << "its geometry was not checked";
  EXPECT_EQ(passing.reason, "FIT UNCERTAIN");
  const FrameAssessment found = assessFrame(graded, defaultLimits());
  EXPECT_EQ(found.verdict, Verdict::Fix) << "a colour difference found stands";
  EXPECT_FALSE(found.byLimit[measureIndex(Measure::Vertical)]);

  // A shot of such frames is judged by their colour; their vertical offset
  // stays out of its medians.
  const Shot shot = summarizeShot(1, {{&graded, found}, {&graded, found}}, defaultLimits(), nullptr);
  EXPECT_EQ(shot.verdict, Verdict::Fix);
  for (const MeasureSummary& summary : shot.measures)
    EXPECT_NE(summary.measure, Measure::Vertical);
}

TEST(RecordFromOutcome, TheStereolintCheckerOnAPairWithAKnownShift) {
  const std::string parameters = "WIDTH:10,HEIGHT:10,DETECTOR:ORB,EXTRACTOR:ORB,"
                                 "MATCHER:BruteForce-Hamming,HIERARCHY:VERTICAL;ROTATION;SCALE";
  const test::StereoPair pair = test::verticallyShiftedPair({320, 240}, 4);
  const FrameRecord record = recordFromOutcome(
      1, Stereolint(parameters).measureFrame(pair.left, pair.right), pair.left.size(),
      frameSignature(pair.left));
  EXPECT_EQ(record.values[measureIndex(Measure::Vertical)], 4.0);
  EXPECT_FALSE(record.values[measureIndex(Measure::Keystone)]) << "the steps give no keystone";
  ASSERT_TRUE(record.points);
  EXPECT_GE(*record.points, kMinimumPoints);
  // 4 rows of 240 is 1.7 %: beyond 1 %, within 2 %.
  EXPECT_EQ(assessFrame(record, defaultLimits()).verdict, Verdict::Reject);
  EXPECT_EQ(assessFrame(record, parseLimits("VERTICAL:1%/2%").value()).verdict, Verdict::Fix);

  const cv::Mat black(240, 320, CV_8UC3, cv::Scalar::all(0));
  const FrameOutcome nothing = Stereolint(parameters).measureFrame(black, black);
  EXPECT_EQ(nothing.featureless, "both views are black");
  const FrameAssessment assessment =
      assessFrame(recordFromOutcome(2, nothing, black.size(), frameSignature(black)), defaultLimits());
  EXPECT_EQ(assessment.verdict, Verdict::Inconclusive);
  EXPECT_EQ(assessment.reason, "BLACK VIEW") << "the cause, before its effect";
  EXPECT_EQ(assessFrame(recordFromOutcome(2, nothing, black.size(), {}), defaultLimits()).reason,
            "VERTICAL: no matched points");
  EXPECT_EQ(assessFrame(recordFromOutcome(3, Stereolint("HIERARCHY:").measureFrame(black, black),
                                          black.size(), {}),
                        defaultLimits())
                .reason,
            "no measurement");
}

FrameOutcome alignmentOutcome(FrameStatus status, double vertical) {
  FrameOutcome outcome;
  outcome.status = status;
  const std::pair<Measure, double> numbers[] = {
      {Measure::Vertical, vertical}, {Measure::Rotation, 0.01},   {Measure::Scale, 1.0005},
      {Measure::Keystone, 0.4},      {Measure::NearParallax, -0.6}, {Measure::FarParallax, 2.3}};
  for (const auto& [measure, value] : numbers) outcome.values[measureIndex(measure)] = value;
  outcome.points = 400;
  return outcome;
}

TEST(RecordFromOutcome, EveryMeasureIsJudgedAndAnInconclusiveOrIdenticalStatusIsNot) {
  const FrameRecord record =
      recordFromOutcome(3, alignmentOutcome(FrameStatus::Ok, 1.0), cv::Size(1920, 1080), {});
  const FrameAssessment assessment = assessFrame(record, defaultLimits());
  EXPECT_EQ(assessment.verdict, Verdict::Fix) << "far parallax 2.3 % beyond a 2 % budget, a range that fits";
  EXPECT_EQ(decidingMeasure(*assessment.worstLimit, record, defaultLimits()), Measure::FarParallax);

  FrameOutcome doubtful = alignmentOutcome(FrameStatus::Inconclusive, 1.0);
  doubtful.reason = Inconclusive::MatchesAmbiguous;
  EXPECT_EQ(assessFrame(recordFromOutcome(3, doubtful, cv::Size(1920, 1080), {}), defaultLimits()).reason,
            "MATCHES AMBIGUOUS");

  // A 2D frame: its zero parallax and perfect geometry pass nothing.
  const FrameAssessment flat = assessFrame(
      recordFromOutcome(3, alignmentOutcome(FrameStatus::Identical, 0.0), cv::Size(1920, 1080), {}),
      defaultLimits());
  EXPECT_EQ(flat.verdict, Verdict::Inconclusive);
  EXPECT_EQ(flat.reason, "IDENTICAL");
}

TEST(FailOn, ShotsAtOrBeyondTheLevelFailTheRun) {
  ASSERT_FALSE(parseFailLevel("warn").ok());
  EXPECT_NE(parseFailLevel("warn").error().find("fix, reject"), std::string::npos);
  std::vector<Shot> shots(2);
  shots[0].verdict = Verdict::Pass;
  shots[1].verdict = Verdict::Fix;
  EXPECT_TRUE(failsAt(parseFailLevel("fix").value(), shots));
  EXPECT_FALSE(failsAt(parseFailLevel("reject").value(), shots));
  shots[1].verdict = Verdict::Inconclusive;
  EXPECT_FALSE(failsAt(Verdict::Fix, shots)) << "what cannot be judged does not fail";
}

}  // namespace
}  // namespace stereolint::qc
