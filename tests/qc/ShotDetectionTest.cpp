#include <gtest/gtest.h>

#include <filesystem>

#include <opencv2/videoio.hpp>

#include "QcTestData.h"
#include "qc/ConsoleLines.h"
#include "qc/QcSession.h"

namespace stereolint::qc {
namespace {

using test::flatPicture;
using test::scenePicture;

TEST(FrameSignature, IsSmallAndTheSameForEveryDepthOfTheSamePicture) {
  const cv::Mat view = scenePicture(0, 0, cv::Size(640, 360));
  const FrameSignature signature = frameSignature(view);
  EXPECT_EQ(signature.thumbnail.size(), 32u * 18u);
  cv::Mat deep;
  view.convertTo(deep, CV_16U, 257.0);
  EXPECT_LT(signatureDistance(signature, frameSignature(deep)), 1.0);
  EXPECT_FALSE(frameSignature(cv::Mat()).known());
  EXPECT_FALSE(frameSignature(cv::Mat(10, 10, CV_32FC3)).known());
}

TEST(FrameSignature, TellsAPanFromACutAndAFlatViewFromAPicture) {
  const FrameSignature first = frameSignature(scenePicture(0, 0));
  EXPECT_FALSE(isCut(first, frameSignature(scenePicture(0, 1)))) << "a small pan";
  EXPECT_FALSE(isCut(first, frameSignature(scenePicture(0, 4)))) << "a faster pan";
  EXPECT_TRUE(isCut(first, frameSignature(scenePicture(1, 0))));
  EXPECT_TRUE(isCut(first, frameSignature(flatPicture(0))));
  EXPECT_FALSE(isCut(frameSignature(flatPicture(0)), frameSignature(flatPicture(2))));
  EXPECT_TRUE(frameSignature(flatPicture(0)).flat());
  EXPECT_TRUE(frameSignature(flatPicture(128)).flat());
  EXPECT_FALSE(first.flat());
  EXPECT_FALSE(isCut(first, FrameSignature{})) << "an unknown signature makes no cut";
}

TEST(FrameSignature, FindsTheCutsOfRealFootage) {
  // A trailer excerpt of the image library's samples: it opens on a black
  // frame and cuts between two characters in a dim restaurant (frames 2, 99,
  // 155 and 201, as seen by eye); the first
  // seconds of a surveillance clip of people walking have no cut.
  const std::string data = "/usr/share/doc/opencv-doc/examples/data/";
  if (!std::filesystem::exists(data + "Megamind.avi")) GTEST_SKIP() << "opencv-doc is not installed";
  auto cutsOf = [](const std::string& path, int frames) {
    cv::VideoCapture capture(path);
    std::vector<int> cuts;
    FrameSignature previous;
    cv::Mat frame;
    for (int number = 1; number <= frames && capture.read(frame); ++number) {
      const FrameSignature signature = frameSignature(frame);
      if (isCut(previous, signature)) cuts.push_back(number);
      previous = signature;
    }
    return cuts;
  };
  EXPECT_EQ(cutsOf(data + "Megamind.avi", 270), (std::vector<int>{2, 99, 155, 201}));
  EXPECT_EQ(cutsOf(data + "vtest.avi", 150), std::vector<int>{});
}

std::vector<Shot> shotsOfPlan(const std::vector<test::ShotPlan>& plan) {
  return shotsOf(test::plannedTake(plan), defaultLimits());
}

TEST(Shots, TwoScenesABlackAndAFlatShotAreFourShots) {
  std::vector<FrameRecord> frames = test::plannedTake({{0, 8, 0.5}, {1, 6, 5.0}});
  for (int i = 0; i < 5; ++i) {
    FrameRecord black = test::measuredFrame(15 + i, flatPicture(0), 0.2);
    frames.push_back(black);
  }
  for (int i = 0; i < 4; ++i) frames.push_back(test::measuredFrame(20 + i, flatPicture(160), 0.1));
  const std::vector<Shot> shots = shotsOf(frames, defaultLimits());
  ASSERT_EQ(shots.size(), 4u);
  EXPECT_EQ(shots[0].firstFrame, 1);
  EXPECT_EQ(shots[0].lastFrame, 8);
  EXPECT_EQ(shots[0].verdict, Verdict::Pass);
  EXPECT_EQ(shots[1].firstFrame, 9);
  EXPECT_EQ(shots[1].verdict, Verdict::Fix);
  EXPECT_EQ(shots[2].firstFrame, 15);
  EXPECT_EQ(shots[2].verdict, Verdict::Inconclusive) << "black, even with numbers measured";
  EXPECT_EQ(shots[2].reason, "BLACK VIEW");
  EXPECT_EQ(shots[3].firstFrame, 20);
  EXPECT_EQ(shots[3].verdict, Verdict::Inconclusive) << "evenly grey";
}

TEST(Shots, TheMedianDecidesAndASingleOddFrameIsListed) {
  // 6 rows of 1080 is FIX; frame 4 alone reads 14 rows (REJECT).
  const std::vector<Shot> shots = shotsOfPlan({{0, 9, 6.0, 0, 3, 14.0}});
  ASSERT_EQ(shots.size(), 1u);
  EXPECT_EQ(shots[0].verdict, Verdict::Fix);
  EXPECT_EQ(shots[0].outliers, std::vector<int>{4});
  EXPECT_EQ(shots[0].worstFrame, 4);
  ASSERT_FALSE(shots[0].measures.empty());
  EXPECT_EQ(shots[0].measures[0].measure, Measure::Vertical);
  EXPECT_NEAR(shots[0].measures[0].median, 6.0, 0.16);
  EXPECT_EQ(shots[0].measures[0].worst, 14.0);
}

TEST(Shots, MostlyUnmeasuredShotIsInconclusive) {
  std::vector<FrameRecord> frames = test::plannedTake({{0, 6, 0.5}});
  for (int i : {0, 2, 3, 5}) frames[static_cast<size_t>(i)].points = 2;
  const std::vector<Shot> shots = shotsOf(frames, defaultLimits());
  ASSERT_EQ(shots.size(), 1u);
  EXPECT_EQ(shots[0].verdict, Verdict::Inconclusive);
  EXPECT_EQ(shots[0].reason, "TOO FEW POINTS");
  EXPECT_EQ(shots[0].inconclusiveFrames, 4);
}

TEST(Shots, TheTakeIsItsWorstJudgedShot) {
  const std::vector<FrameRecord> frames = test::fourShotTake().frames;
  const std::vector<Shot> shots = shotsOf(frames, defaultLimits());
  ASSERT_EQ(shots.size(), 4u);
  const TakeSummary take = summarizeTake(shots, frames, defaultLimits());
  EXPECT_EQ(take.verdict, Verdict::Reject);
  EXPECT_EQ(take.shotsByVerdict[static_cast<size_t>(Verdict::Inconclusive)], 1);
  EXPECT_EQ(take.frameCount, 40);
}

// A shot FIX on five measures lists each with what corrects it, a colour
// difference and a highlight area by their whole size; eyes out of step
// make every judged shot REJECT.
TEST(Shots, EveryLimitBeyondPassIsNamedWithItsCorrection) {
  const cv::Mat view = test::scenePicture(0, 0);
  std::vector<FrameRecord> frames;
  for (int frame = 1; frame <= 5; ++frame) {
    // 1080 rows: a pass limit of 0.3 % is 3.24 rows.
    FrameRecord record = test::measuredFrame(frame, view, 5.0, 0.25, 1.0);
    record.values[measureIndex(Measure::NearParallax)] = -2.4;
    record.values[measureIndex(Measure::FarParallax)] = 0.5;
    record.values[measureIndex(Measure::Colour)] = 3.1;
    record.values[measureIndex(Measure::HighlightArea)] = 0.4;
    frames.push_back(record);
  }
  std::vector<Shot> shots = shotsOf(frames, defaultLimits());
  ASSERT_EQ(shots.size(), 1u);
  EXPECT_EQ(shots[0].verdict, Verdict::Fix);
  ASSERT_EQ(shots[0].findings.size(), 5u);
  EXPECT_EQ(shots[0].byLimit[measureIndex(Measure::Scale)], Verdict::Pass);
  EXPECT_EQ(correctionsText(shots[0].findings),
            "vertical offset: shift one view vertically by 5.00 rows; rotation: turn the right "
            "view by 0.25°; parallax outside the depth budget: move the eyes apart by 1.40 % of "
            "the width; colour difference: grade the right eye onto the left (a median "
            "difference of 3.10 ΔE2000); light in one eye only: paint out the one-eye highlights "
            "(0.40 % of the view)");
  EXPECT_EQ(exceededLimitText(shots[0].findings[0], defaultLimits(), 1080),
            "pass limit 0.3 % of the height (3.24 rows)");

  EyeSync late;
  late.status = EyeSyncStatus::Measured;
  late.offset = 2;
  late.confidence = 0.9;
  applyEyeSync(shots, late);
  EXPECT_EQ(shots[0].verdict, Verdict::Reject);
  EXPECT_EQ(eyesLine(shots),
            "Eyes REJECT: the right eye is 2 frames behind the left (confidence 0.90); every "
            "judged shot is REJECT");
}

// The dense parallax's shot measures: a depth jump is judged on the shot
// after its cut, from the frames each side of it, whichever way the shots
// are put together; a shot whose frames read the eyes swapped is REJECT.
TEST(Shots, ADepthJumpIsJudgedAfterItsCutAndSwappedEyesReject) {
  std::vector<FrameRecord> frames = test::plannedTake({{0, 6, 0.5}, {1, 6, 0.5}, {0, 6, 0.5}});
  for (FrameRecord& record : frames) {
    const int shot = (record.frame - 1) / 6;
    // The middle shot sits 2 % of the width deeper: FIX across both its cuts.
    record.values[measureIndex(Measure::MedianParallax)] = shot == 1 ? 2.4 : 0.4;
    record.values[measureIndex(Measure::EyeOrder)] = shot == 2 ? -0.3 : 0.25;
  }
  const std::vector<Shot> shots = shotsOf(frames, defaultLimits());
  ASSERT_EQ(shots.size(), 3u);
  const auto jumpVerdict = [](const Shot& shot) {
    return shot.byLimit[measureIndex(Measure::DepthJump)];
  };
  EXPECT_FALSE(jumpVerdict(shots[0])) << "no cut before the first shot";
  EXPECT_EQ(jumpVerdict(shots[1]), Verdict::Fix);
  EXPECT_EQ(shots[1].verdict, Verdict::Fix);
  EXPECT_EQ(shotLine(shots[1], Timecode()),
            "Shot 2 FIX: frames 7-12, worst DEPTH JUMP 2.00 % of width at the cut before frame 7")
      << "its frames pass: the jump decides";
  EXPECT_EQ(correctionsText(shots[1].findings),
            "depth jump at the cut: move the shot's views against each other by 1.00 % of the "
            "width");
  EXPECT_EQ(shots[2].verdict, Verdict::Reject);
  EXPECT_EQ(shots[2].byLimit[measureIndex(Measure::EyeOrder)], Verdict::Reject);
  EXPECT_EQ(swappedEyesLine(shots),
            "Eyes SWAPPED in shot 3: its left and right views are the wrong way round (a nearer "
            "surface shows what only a farther one can hide)");

  // The session that takes frames as they come closes the same shots.
  std::vector<int> numbers;
  for (const FrameRecord& record : frames) numbers.push_back(record.frame);
  QcSession session(defaultLimits(), numbers);
  for (const FrameRecord& record : frames) session.add(record);
  session.finish();
  ASSERT_EQ(session.shots().size(), 3u);
  EXPECT_EQ(jumpVerdict(session.shots()[2]), Verdict::Fix);
}

}  // namespace
}  // namespace stereolint::qc
