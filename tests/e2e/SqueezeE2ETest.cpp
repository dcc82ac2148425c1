// Frame-compatible stereo at half resolution through the real binary: a
// half side-by-side and a half over-under picture, made from a full pair
// with a known rotation or scale, read with --squeeze 2 as the full pair
// does; and the option's refusals.
#include <gtest/gtest.h>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "support/Process.h"
#include "support/SyntheticViews.h"
#include "support/TempFolder.h"

namespace stereolint {
namespace {

using test::ProcessResult;
using test::StereoPair;

const std::string kParameters =
    "WIDTH:5,HEIGHT:5,DETECTOR:GridFAST,EXTRACTOR:ORB,MATCHER:BruteForce-Hamming,"
    "RECURRENCY:TRUE,HIERARCHY:VERTICAL;ROTATION;SCALE";
const cv::Size kView(640, 360);

// Each view halved in width (side by side) or height (over-under), as
// frame-compatible delivery does.
cv::Mat halved(const StereoPair& pair, bool sideBySide) {
  const cv::Size half = sideBySide ? cv::Size(kView.width / 2, kView.height)
                                   : cv::Size(kView.width, kView.height / 2);
  StereoPair small;
  cv::resize(pair.left, small.left, half, 0, 0, cv::INTER_AREA);
  cv::resize(pair.right, small.right, half, 0, 0, cv::INTER_AREA);
  return sideBySide ? test::sideBySide(small) : test::overUnder(small);
}

// The right view turned 1 degree anticlockwise and enlarged 2 % about the
// centre: ROTATION reads -1, SCALE 1.02.
StereoPair turnedAndEnlargedPair() {
  const int margin = 64;
  const cv::Mat canvas = test::texturedPicture(kView + cv::Size(2 * margin, 2 * margin));
  const cv::Point2f centre(static_cast<float>(canvas.cols) / 2,
                           static_cast<float>(canvas.rows) / 2);
  cv::Mat turned;
  cv::warpAffine(canvas, turned, cv::getRotationMatrix2D(centre, 1.0, 1.0 / 1.02), canvas.size(),
                 cv::INTER_LINEAR, cv::BORDER_REFLECT);
  const cv::Rect area(margin, margin, kView.width, kView.height);
  return {canvas(area).clone(), turned(area).clone()};
}

// The MEDIAN of the step's block in the console text.
double median(const std::string& out, const std::string& step) {
  const size_t block = out.find(" " + step + "\n");
  const size_t line = out.find("MEDIAN : ", block);
  if (block == std::string::npos || line == std::string::npos) return NAN;
  return std::stod(out.substr(line + 9));
}

class Squeeze : public ::testing::Test {
 protected:
  ProcessResult run(const cv::Mat& picture, const std::string& orientation,
                    std::vector<std::string> more = {}) {
    const std::string name = "take" + std::to_string(++runs) + ".png";
    EXPECT_TRUE(cv::imwrite(folder.file(name), picture));
    std::vector<std::string> arguments = {
        "-m", "CONSOLE",   "-d", "Stereolint",
        "-t", "1",         "-r", "out" + std::to_string(runs) + "/",
        "-p", kParameters, "-i", name,
        "-o", orientation};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return test::runProcess(STEREOLINT_BINARY, arguments, {folder.path(), {}, {}});
  }
  test::TempFolder folder;
  int runs = 0;
};

TEST_F(Squeeze, HalfSideBySideAndOverUnderReadAsTheFullPairAndWriteTheUnsqueezedViews) {
  const StereoPair pair = turnedAndEnlargedPair();
  const ProcessResult original = run(test::sideBySide(pair), "VERTICALLY");
  ASSERT_EQ(original.exitCode, 0) << original.err;
  EXPECT_NEAR(median(original.out, "ROTATION"), -1.0, 0.1) << original.out;
  EXPECT_NEAR(median(original.out, "SCALE"), 1.02, 0.005) << original.out;
  for (const bool sideBySide : {true, false}) {
    const std::string orientation = sideBySide ? "VERTICALLY" : "HORIZONTALLY";
    const ProcessResult squeezed = run(halved(pair, sideBySide), orientation, {"--squeeze", "2"});
    ASSERT_EQ(squeezed.exitCode, 0) << squeezed.err;
    EXPECT_NEAR(median(squeezed.out, "ROTATION"), -1.0, 0.1) << orientation << squeezed.out;
    EXPECT_NEAR(median(squeezed.out, "SCALE"), 1.02, 0.005) << orientation << squeezed.out;
    const std::string written = "out" + std::to_string(runs) + "/1_1_LEFT.png";
    EXPECT_EQ(cv::imread(folder.file(written)).size(), kView) << "the unsqueezed view";
  }
  // Quality control says when the views look squeezed and no --squeeze
  // undoes it.
  const ProcessResult unsqueezed = run(halved(pair, true), "VERTICALLY", {"--qc"});
  EXPECT_NE(unsqueezed.err.find("The frames give views of 320 x 360, a shape no picture is "
                                "delivered in: they look squeezed to half width; --squeeze 2 "
                                "gives views of 640 x 360"),
            std::string::npos)
      << unsqueezed.err;
}

TEST_F(Squeeze, AFactorOutsideTheListAndASqueezeWithoutOrientationAreRefused) {
  const ProcessResult wrong =
      run(test::sideBySide(test::rotatedPair(kView, 1.0)), "VERTICALLY", {"--squeeze", "3"});
  EXPECT_EQ(wrong.exitCode, 255);
  EXPECT_EQ(wrong.err,
            "--squeeze: \"3\" is no squeeze factor; valid: 1, 2\nHELP: Stereolint -h\n\n");
  const StereoPair pair = test::rotatedPair(kView, 1.0);
  ASSERT_TRUE(cv::imwrite(folder.file("l.png"), pair.left));
  ASSERT_TRUE(cv::imwrite(folder.file("r.png"), pair.right));
  const ProcessResult whole =
      test::runProcess(STEREOLINT_BINARY,
                       {"-m", "CONSOLE", "-d", "Stereolint", "-t", "1", "-r", "out/", "-p",
                        kParameters, "-i", "l.png", "r.png", "--squeeze", "2"},
                       {folder.path(), {}, {}});
  EXPECT_EQ(whole.exitCode, 255);
  EXPECT_NE(whole.err.find("--squeeze: needs -o"), std::string::npos) << whole.err;
}

}  // namespace
}  // namespace stereolint
