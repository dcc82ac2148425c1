// The geometry of a shot's correction: the right eye's homography agrees
// with the alignment method's own model of the misalignment, half of it on
// each eye makes the same correction, and the crop takes only what the warp
// leaves empty. A shot's floating window is what its frames need once the
// warp has moved and zoomed their parallax, and reaches corrections.json
// and correct.sh, with a warp or alone. A warp worked out once per shot
// gives what the perspective warp gives.
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <opencv2/imgproc.hpp>

#include "checkers/alignment/AlignmentFit.h"
#include "corrections/CorrectScript.h"
#include "corrections/CorrectionsJson.h"
#include "corrections/CropFit.h"
#include "corrections/EyeWarp.h"
#include "corrections/ShotCorrection.h"
#include "corrections/WarpMaps.h"

namespace stereolint::corrections {
namespace {

const cv::Size kView(1920, 1080);

// The model the alignment method fits for a right view moved down `rows`,
// turned `degrees` anticlockwise on screen and enlarged `scale` times about
// its centre (see DisparityModel).
DisparityModel modelOf(double rows, double degrees, double scale) {
  const double t = degrees * 3.14159265358979323846 / 180;
  DisparityModel model;
  model.centre = {kView.width / 2.0, kView.height / 2.0};
  model.roll = std::sin(t) / scale;
  model.scale = std::cos(t) / scale - 1;
  model.offset = -rows * std::cos(t) / scale;
  return model;
}

TEST(Corrections, TheRightEyesWarpIsTheAlignmentMethodsCorrection) {
  const DisparityModel model = modelOf(6, 0.4, 1.01);
  ASSERT_NEAR(model.rotationDegrees(), -0.4, 1e-9) << "as the alignment method reads it";
  const Misalignment measured{model.offset, model.rotationDegrees(), model.scaleRatio(), 0};
  const cv::Matx33d warp = rightCorrection(measured, kView);
  for (const cv::Point2d right : {cv::Point2d(0, 0), cv::Point2d(1919, 0), cv::Point2d(960, 540),
                                  cv::Point2d(100, 1000), cv::Point2d(1800, 900)}) {
    const cv::Point2d expected = model.aligned(right);
    const cv::Point2d corrected = applyWarp(warp, right);
    EXPECT_NEAR(corrected.x, expected.x, 1e-9);
    EXPECT_NEAR(corrected.y, expected.y, 1e-9);
  }
  const WarpReading reading = readWarp(warp, kView);
  EXPECT_NEAR(reading.clockwise, 0.4, 1e-9) << "a view turned anticlockwise is turned back";
  EXPECT_NEAR(reading.scale, 1 / 1.01, 1e-9);
}

TEST(Corrections, HalfOnEachEyeMakesTheSameCorrection) {
  const cv::Matx33d whole = rightCorrection({-3, 0.3, 1.008, 1.5}, kView);
  const cv::Matx33d half = halfWarp(whole);
  // The left eye takes the inverse half: right eye through `half` meets the
  // left eye through its inverse exactly where `whole` puts the right eye.
  const cv::Matx33d sameFrame = half * half;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(sameFrame(r, c) / sameFrame(2, 2), whole(r, c), 1e-9);
}

TEST(Corrections, TheCropTakesTheRowsAVerticalMoveEmpties) {
  const cv::Matx33d down = rightCorrection({-6, 0, 1, 0}, kView);
  const Crop crop =
      fitCrop({warpedOutline(cv::Matx33d::eye(), kView), warpedOutline(down, kView)}, kView, 0);
  EXPECT_NEAR(crop.fraction, (1080.0 - 6) / 1080, 1e-6);
  EXPECT_NEAR(crop.centre.x, (1920 - 1) / 2.0, 1e-6) << "no reason to prefer a side";
  EXPECT_NEAR(crop.centre.y, (1080 - 1) / 2.0 - 3, 1e-6) << "the rows both eyes fill";
  const Crop none = fitCrop({warpedOutline(cv::Matx33d::eye(), kView)}, kView, 0);
  EXPECT_DOUBLE_EQ(none.fraction, 1);
}

// A shot of frames `first` to `first + 7` judged `verdict`, FIX under each
// of `fix`, with the medians `medians`; its frames' records, each of
// `kView`'s size with a dense map whose FLOATING WINDOW is `windows[i]`.
struct JudgedShot {
  qc::Shot shot;
  std::vector<qc::FrameRecord> frames;
};

JudgedShot judgedShot(int number, int first, qc::Verdict verdict, std::vector<Measure> fix,
                      std::vector<std::pair<Measure, double>> medians, std::vector<int> windows) {
  JudgedShot judged;
  qc::Shot& shot = judged.shot;
  shot.number = number;
  shot.firstFrame = first;
  shot.lastFrame = first + 7;
  shot.frameCount = 8;
  shot.verdict = verdict;
  for (const Measure owner : limitOwners()) shot.byLimit[measureIndex(owner)] = qc::Verdict::Pass;
  for (const Measure measure : fix) shot.byLimit[measureIndex(measure)] = qc::Verdict::Fix;
  for (const auto& [measure, median] : medians) shot.measures.push_back({measure, median});
  for (size_t i = 0; i < windows.size(); ++i) {
    qc::FrameRecord record;
    record.frame = first + static_cast<int>(i);
    record.viewSize = kView;
    record.depth = DepthDetail{};
    record.depth->floatingWindowPixels = windows[i];
    record.depth->windowLeftPercent = windows[i] > 0 ? 100 : 0;
    judged.frames.push_back(record);
  }
  return judged;
}

// The parallax (pixels of the corrected full view) of content that lies
// `asShot` pixels in front of the screen at the left edge of row 540,
// through the eyes' whole warps.
double correctedParallax(const ShotCorrection& c, double asShot) {
  const cv::Point2d left(40, 540);
  return applyWarp(c.eyes[1].warp, left - cv::Point2d(asShot, 0)).x -
         applyWarp(c.eyes[0].warp, left).x;
}

TEST(Corrections, AFloatingWindowMasksWhatTheCorrectedPictureStillCuts) {
  const qc::QcLimits limits = qc::defaultLimits();
  // Moved down 6 rows (the warp moves no column) and 1.8 % of the width in
  // front of the screen, beyond the budget's -1 %, its range fitting: the
  // eyes move apart and the crop zooms; its frames cut content at an edge,
  // 60 pixels in front at the most. A frame of the next shot needs more.
  JudgedShot warped = judgedShot(
      1, 1, qc::Verdict::Fix, {Measure::Vertical, Measure::NearParallax, Measure::Window},
      {{Measure::Vertical, 6}, {Measure::NearParallax, -1.8}, {Measure::FarParallax, 0.4}},
      {30, 60, 0, 45});
  const JudgedShot next = judgedShot(2, 9, qc::Verdict::Fix, {Measure::Window}, {}, {200});
  warped.frames.push_back(next.frames[0]);
  EXPECT_EQ(largestFloatingWindow(warped.shot, warped.frames), 60);
  for (const CorrectedEyes eyes : {CorrectedEyes::Right, CorrectedEyes::Both}) {
    const ShotCorrection c = correctShot(warped.shot, warped.frames, limits, eyes);
    ASSERT_TRUE(c.applies);
    ASSERT_GT(c.shiftPercent, 0.5) << "the eyes move apart";
    ASSERT_LT(c.crop.fraction, 0.995) << "the crop zooms";
    // The mask puts the window in front of the content as the corrected
    // picture shows it, by less than a pixel more than it needs.
    const double needed = -correctedParallax(c, 60);
    ASSERT_GT(needed, 1) << "the shift alone does not take it behind the screen";
    EXPECT_LT(needed, 50) << "the shift helps more than the zoom costs";
    EXPECT_GE(c.floatingWindow, needed);
    EXPECT_LT(c.floatingWindow, needed + 1);
    const std::string mask = "; floating window " + std::to_string(c.floatingWindow) + " px";
    EXPECT_NE(c.words.find(mask), std::string::npos) << c.words;
    EXPECT_LT(c.words.find("crop "), c.words.find(mask)) << c.words;
  }

  // A warped shot whose frames cut nothing, and a passing shot whose frames
  // cut a sliver, get no mask; their words stay as they were.
  const JudgedShot clean = judgedShot(3, 17, qc::Verdict::Fix, {Measure::Vertical},
                                      {{Measure::Vertical, 6}}, {0, 0});
  const ShotCorrection noMask = correctShot(clean.shot, clean.frames, limits, CorrectedEyes::Right);
  EXPECT_TRUE(noMask.applies);
  EXPECT_EQ(noMask.floatingWindow, 0);
  EXPECT_EQ(noMask.words.find("floating"), std::string::npos) << noMask.words;
  const JudgedShot sliver = judgedShot(4, 25, qc::Verdict::Pass, {}, {}, {20});
  const ShotCorrection passes =
      correctShot(sliver.shot, sliver.frames, limits, CorrectedEyes::Right);
  EXPECT_EQ(passes.floatingWindow, 0);
  EXPECT_EQ(passes.words, "none: the shot passes");

  // Beyond WINDOW alone: the mask with no warp, in the files.
  const JudgedShot cut = judgedShot(5, 33, qc::Verdict::Fix, {Measure::Window}, {}, {25, 19});
  const ShotCorrection maskOnly = correctShot(cut.shot, cut.frames, limits, CorrectedEyes::Right);
  EXPECT_FALSE(maskOnly.applies);
  EXPECT_EQ(maskOnly.floatingWindow, 25);
  EXPECT_EQ(maskOnly.words, "floating window 25 px");
  CorrectionsContent content;
  content.take = {"take.avi", {"/footage/take.avi"}, "VERTICALLY", 2, 40, 1, kView};
  content.shots = {passes, maskOnly};
  const nlohmann::json json = nlohmann::json::parse(correctionsJson(content));
  EXPECT_EQ(json["schema_version"], 1);
  EXPECT_EQ(json["shots"][0]["floating_window"], 0) << "written for every shot";
  EXPECT_EQ(json["shots"][1]["floating_window"], 25);
  EXPECT_EQ(json["shots"][1]["corrected"], false);
  EXPECT_EQ(json["shots"][1]["correction"], "floating window 25 px");
  // The script masks the shot's frames (counted from 0) in file columns:
  // 25 display pixels of a view squeezed to half its width reach into 13.
  const std::string script = correctScript(content, "/out/");
  const std::string frames = ":mode=fixed:color=black:enable='between(n,32,39)'";
  const size_t rightEye = script.find("[second]crop=");
  const size_t leftMask = script.find(",fillborders=left=13" + frames);
  const size_t rightMask = script.find(",fillborders=right=13" + frames);
  ASSERT_NE(rightEye, std::string::npos) << script;
  EXPECT_LT(leftMask, rightEye) << script;
  EXPECT_NE(rightMask, std::string::npos) << script;
  EXPECT_GT(rightMask, rightEye) << script;
  EXPECT_EQ(script.find("perspective"), std::string::npos) << "no warp: " << script;
}

TEST(Corrections, AWarpWorkedOutOnceGivesWhatThePerspectiveWarpGives) {
  // Every kind of picture the renderer warps, and warps of every part a
  // correction has: a turn with a shift, a zoom into a crop, a keystone,
  // and a half-sized plane's.
  cv::RNG random(7);
  std::vector<cv::Mat> pictures;
  for (const int type : {CV_8UC1, CV_8UC3, CV_16UC3, CV_32FC3}) {
    cv::Mat picture(97, 131, type);
    random.fill(picture, cv::RNG::UNIFORM, 0, type == CV_32FC3 ? 1 : 255);
    pictures.push_back(picture);
  }
  const cv::Point2f centre(65, 48);
  cv::Matx33d turned = cv::Matx33d::eye();
  cv::Mat(cv::getRotationMatrix2D(centre, 0.4, 1.0)).copyTo(cv::Mat(turned).rowRange(0, 2));
  turned(1, 2) += 2.6;
  const cv::Matx33d zoom(1.031, 0, -2.2, 0, 1.031, -1.7, 0, 0, 1);
  const cv::Matx33d keystone(1, 0.002, 0, 0.0004, 1, -0.3, 0.00003, 0.00001, 1);
  for (const cv::Matx33d& warp : {turned, zoom, keystone, zoom * keystone * turned})
    for (const cv::Mat& picture : pictures) {
      cv::Mat expected;
      cv::warpPerspective(picture, expected, warp, picture.size(), cv::INTER_CUBIC,
                          cv::BORDER_REPLICATE);
      cv::Mat warped;
      WarpMaps(warp, picture.size()).apply(picture, warped);
      EXPECT_EQ(cv::norm(expected, warped, cv::NORM_INF), 0)
          << "type " << picture.type() << ", warp " << warp;
    }
}

}  // namespace
}  // namespace stereolint::corrections
