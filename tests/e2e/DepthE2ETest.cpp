// The alignment method's DEPTH block through the real binary, on the real
// aloe pair of opencv-doc whose true disparity ships with it: the depth
// budget it reads, the divergence on a named screen, the window violation
// and the floating window that mends it, the eye order of the pair as shot
// and swapped, the EYES block's brightness and colour, a swapped shot
// judged by quality control with the report's depth sections, and the
// screen options refused at start-up.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <nlohmann/json.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "support/FootageFiles.h"
#include "support/Process.h"
#include "support/TempFolder.h"

namespace stereolint {
namespace {

namespace fs = std::filesystem;
using test::ProcessResult;

const std::string kData = "/usr/share/doc/opencv-doc/examples/data/";

// The number after "KEY : " in the block `name` (DEPTH unless named), or NaN.
double depthValue(const std::string& out, const std::string& key,
                  const std::string& name = "DEPTH") {
  const size_t block = out.find(" " + name + "\n");
  const size_t at = out.find("\n" + key + " : ", block);
  if (block == std::string::npos || at == std::string::npos) return std::nan("");
  return std::stod(out.substr(at + key.size() + 4));
}

std::string depthText(const std::string& out, const std::string& key,
                      const std::string& name = "DEPTH") {
  const size_t block = out.find(" " + name + "\n");
  const size_t at = out.find("\n" + key + " : ", block);
  if (block == std::string::npos || at == std::string::npos) return "";
  const size_t start = at + key.size() + 4;
  return out.substr(start, out.find('\n', start) - start);
}

// The parallax of the true disparity at percentile `p`, % of the width
// (xR - xL = -disparity), over the upper `share` of the rows.
double trueParallax(double p, double share = 1.0) {
  const cv::Mat truth = cv::imread(kData + "aloeGT.png", cv::IMREAD_GRAYSCALE);
  std::vector<double> values;
  for (int y = 0; y < static_cast<int>(truth.rows * share); ++y)
    for (int x = 0; x < truth.cols; ++x)
      if (truth.at<uchar>(y, x) > 0) values.push_back(-truth.at<uchar>(y, x) * 100.0 / truth.cols);
  std::sort(values.begin(), values.end());
  return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1))];
}

class DepthRun : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kData + "aloeGT.png")) GTEST_SKIP() << "opencv-doc is not installed";
  }
  ProcessResult run(const std::vector<std::string>& arguments) {
    std::vector<std::string> all = {"-m", "CONSOLE", "-d", "Alignment", "-t", "2"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return test::runProcess(STEREOLINT_BINARY, all, {folder.path(), {}, {}});
  }
  test::TempFolder folder;
};

TEST_F(DepthRun, TheAloePairReadsItsTrueDepthAndEyeOrderAndItsWindowIsMended) {
  const ProcessResult shot = run({"-i", kData + "aloeL.jpg", kData + "aloeR.jpg", "-r",
                                  "shot/", "--screen", "cinema"});
  ASSERT_EQ(shot.exitCode, 0) << shot.err;
  EXPECT_EQ(depthText(shot.out, "STATUS"), "OK") << shot.out;
  EXPECT_NEAR(depthValue(shot.out, "MEDIAN"), trueParallax(0.5), 0.5) << shot.out;
  EXPECT_NEAR(depthValue(shot.out, "NEAR"), trueParallax(0.02), 1.0) << shot.out;
  EXPECT_NEAR(depthValue(shot.out, "FAR"), trueParallax(0.98), 0.5) << shot.out;
  // The map reaches the left edge: only the strip whose match lies beyond
  // the right view's edge (the nearest content's parallax, about 4 % of the
  // width) goes without, not one as wide as the whole search.
  EXPECT_GT(depthValue(shot.out, "COVERAGE"), 80) << shot.out;
  // 12 m wide: 1 % of the width is 120 mm.
  EXPECT_NEAR(depthValue(shot.out, "DIVERGENCE"), depthValue(shot.out, "FAR") * 120, 0.5);
  EXPECT_EQ(depthText(shot.out, "EYE ORDER"), "OK");
  // All of the aloe pair is in front of the screen: both edges cut it.
  EXPECT_GT(depthValue(shot.out, "WINDOW LEFT"), 50);
  EXPECT_GT(depthValue(shot.out, "WINDOW RIGHT"), 50);
  const std::vector<std::string> table = test::readLines(folder.file("shot/DEPTH.csv"));
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table[0],
            ",ID,SIZE,NEAR,MEDIAN,FAR,COVERAGE,WINDOW LEFT,WINDOW RIGHT,FLOATING WINDOW,"
            "DIVERGENCE,EYE ORDER,EYE ORDER SCORE,STATUS,TIME");

  // The floating window it names, applied, brings the window in front.
  const int mask = static_cast<int>(depthValue(shot.out, "FLOATING WINDOW"));
  ASSERT_GT(mask, 0);
  cv::Mat left = cv::imread(kData + "aloeL.jpg"), right = cv::imread(kData + "aloeR.jpg");
  left.colRange(0, mask).setTo(cv::Scalar::all(0));
  right.colRange(right.cols - mask, right.cols).setTo(cv::Scalar::all(0));
  cv::imwrite(folder.file("maskedL.png"), left);
  cv::imwrite(folder.file("maskedR.png"), right);
  const ProcessResult masked = run({"-i", "maskedL.png", "maskedR.png", "-r", "masked/"});
  ASSERT_EQ(masked.exitCode, 0) << masked.err;
  EXPECT_EQ(depthValue(masked.out, "WINDOW LEFT"), 0) << masked.out;
  EXPECT_EQ(depthValue(masked.out, "WINDOW RIGHT"), 0) << masked.out;

  // The eyes swapped: the parallax changes sign, the occlusions tell.
  const ProcessResult swapped =
      run({"-i", kData + "aloeR.jpg", kData + "aloeL.jpg", "-r", "swapped/"});
  ASSERT_EQ(swapped.exitCode, 0) << swapped.err;
  EXPECT_NEAR(depthValue(swapped.out, "MEDIAN"), -trueParallax(0.5), 0.5);
  EXPECT_EQ(depthText(swapped.out, "EYE ORDER"), "SWAPPED") << swapped.out;
  EXPECT_TRUE(std::isnan(depthValue(swapped.out, "DIVERGENCE"))) << "only with --screen";

  // Its upper part swapped: the leaves nearest the camera, now the farthest
  // content, lie beyond every matched feature; the search widens to them.
  const cv::Rect upper(0, 0, left.cols, left.rows * 7 / 10);
  cv::imwrite(folder.file("upperL.png"), cv::imread(kData + "aloeR.jpg")(upper));
  cv::imwrite(folder.file("upperR.png"), cv::imread(kData + "aloeL.jpg")(upper));
  const ProcessResult part = run({"-i", "upperL.png", "upperR.png", "-r", "upper/"});
  ASSERT_EQ(part.exitCode, 0) << part.err;
  EXPECT_NEAR(depthValue(part.out, "FAR"), -trueParallax(0.02, 0.7), 0.5) << part.out;
  EXPECT_EQ(depthText(part.out, "EYE ORDER"), "SWAPPED") << part.out;
}

// The EYES block: the same photograph twice, the second moved by a
// fraction of a pixel (the method's own error), then brightened by a known
// amount of linear light, then blurred and lit by a spot of light.
TEST_F(DepthRun, TheEyesAreComparedInLinearLightWhereTheyMatch) {
  const cv::Mat left = cv::imread(kData + "aloeL.jpg");
  cv::Mat moved;
  const cv::Mat shift = (cv::Mat_<double>(2, 3) << 1, 0, -20.4, 0, 1, 0);
  cv::warpAffine(left, moved, shift, left.size(), cv::INTER_CUBIC, cv::BORDER_REFLECT);
  cv::imwrite(folder.file("left.png"), left);
  cv::imwrite(folder.file("moved.png"), moved);
  const ProcessResult same = run({"-i", "left.png", "moved.png", "-r", "same/"});
  ASSERT_EQ(same.exitCode, 0) << same.err;
  EXPECT_LE(depthValue(same.out, "COLOUR", "EYES"), 0.5) << same.out;
  EXPECT_NEAR(depthValue(same.out, "LUMINANCE", "EYES"), 0.0, 0.01) << same.out;
  EXPECT_NEAR(depthValue(same.out, "SHARPNESS", "EYES"), 1.0, 0.03) << same.out;
  EXPECT_EQ(depthText(same.out, "BLUR", "EYES"), "NONE") << same.out;
  EXPECT_EQ(depthValue(same.out, "HIGHLIGHTS", "EYES"), 0) << same.out;

  // 12 % more light in the right eye: log2(1.12) = 0.1635 stops. In sRGB
  // code values that is a gain of 1.12^(1/2.4) away from the darkest
  // tones, so the test grades in linear light.
  cv::Mat linear;
  moved.convertTo(linear, CV_32FC3, 1.0 / 255.0);
  cv::pow(linear, 2.2, linear);
  linear *= 1.12;
  cv::pow(linear, 1.0 / 2.2, linear);
  cv::Mat brighter;
  linear.convertTo(brighter, CV_8UC3, 255.0);
  cv::imwrite(folder.file("brighter.png"), brighter);
  const ProcessResult graded = run({"-i", "left.png", "brighter.png", "-r", "graded/"});
  ASSERT_EQ(graded.exitCode, 0) << graded.err;
  EXPECT_NEAR(depthValue(graded.out, "LUMINANCE", "EYES"), 0.1635, 0.02) << graded.out;
  EXPECT_GT(depthValue(graded.out, "COLOUR", "EYES"), 1.0);
  // The decision that maps the right eye back: a gain below 1 on every channel.
  std::istringstream decision(depthText(graded.out, "CDL", "EYES"));
  double numbers[10] = {};
  for (double& number : numbers) decision >> number;
  for (int c = 0; c < 3; ++c)
    EXPECT_LT(std::pow(0.5 * numbers[c] + numbers[3 + c], numbers[6 + c]), 0.49) << graded.out;
  const std::vector<std::string> table = test::readLines(folder.file("graded/EYES.csv"));
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table[0],
            ",ID,SIZE,LUMINANCE,COLOUR,COLOUR 95,CAST A,CAST B,CDL,SHARPNESS,BLUR,HIGHLIGHTS,"
            "HIGHLIGHT AREA,MATCHED,STATUS,TIME");

  // The right eye blurred by 3 pixels and a spot of light on the dark pot
  // that only it sees. The blur lowers the contrast of the detail that the
  // colour decision is fitted on; the blur read must not follow it.
  cv::Mat soft;
  cv::GaussianBlur(moved, soft, cv::Size(), 3.0);
  cv::circle(soft, {640, 900}, 30, cv::Scalar::all(255), cv::FILLED, cv::LINE_AA);
  cv::imwrite(folder.file("soft.png"), soft);
  const ProcessResult blurred = run({"-i", "left.png", "soft.png", "-r", "soft/"});
  ASSERT_EQ(blurred.exitCode, 0) << blurred.err;
  const std::string blur = depthText(blurred.out, "BLUR", "EYES");
  ASSERT_EQ(blur.rfind("RIGHT ", 0), 0u) << blurred.out;
  EXPECT_NEAR(std::stod(blur.substr(6)), 3.0, 0.15) << blurred.out;
  EXPECT_LT(depthValue(blurred.out, "SHARPNESS", "EYES"), 0.8);
  EXPECT_EQ(depthValue(blurred.out, "HIGHLIGHTS", "EYES"), 1) << blurred.out;

  // Quality control grades the brighter eye: its shot's .cube, applied to
  // the right eye by FFmpeg, gives a pair whose eyes match again.
  const ProcessResult judged = run({"-i", "left.png", "brighter.png", "-r", "qc/", "--qc",
                                    "--quiet", "--corrections", "right"});
  ASSERT_EQ(judged.exitCode, 0) << judged.err;
  ASSERT_TRUE(std::filesystem::exists(folder.file("qc/shot1.cdl"))) << judged.out;
  const ProcessResult lut = test::runProcess("/usr/bin/ffmpeg",
                                             {"-y", "-v", "error", "-i", "brighter.png", "-vf",
                                              "lut3d=file=qc/shot1.cube", "regraded.png"},
                                             {folder.path(), {}, {}});
  ASSERT_EQ(lut.exitCode, 0) << lut.err;
  const ProcessResult again = run({"-i", "left.png", "regraded.png", "-r", "again/"});
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_NEAR(depthValue(again.out, "LUMINANCE", "EYES"), 0.0, 0.02) << again.out;
  EXPECT_LE(depthValue(again.out, "COLOUR", "EYES"), 0.6) << again.out;

  // The real right view through a lens that bends its corners by 2 % of
  // the half diagonal: the fit cannot pin the rig's geometry down, but the
  // right view still lines up row by row, so the depth, the eye order and
  // the eyes are read and judged.
  const cv::Mat aloeR = cv::imread(kData + "aloeR.jpg");
  cv::Mat mapX(aloeR.size(), CV_32F), mapY(aloeR.size(), CV_32F);
  const double cx = aloeR.cols / 2.0, cy = aloeR.rows / 2.0;
  for (int y = 0; y < aloeR.rows; ++y)
    for (int x = 0; x < aloeR.cols; ++x) {
      const double bend = 1 + 0.02 * ((x - cx) * (x - cx) + (y - cy) * (y - cy)) / (cx * cx + cy * cy);
      mapX.at<float>(y, x) = static_cast<float>(cx + (x - cx) * bend);
      mapY.at<float>(y, x) = static_cast<float>(cy + (y - cy) * bend);
    }
  cv::Mat bent;
  cv::remap(aloeR, bent, mapX, mapY, cv::INTER_CUBIC, cv::BORDER_REFLECT);
  cv::imwrite(folder.file("bent.png"), bent);
  const ProcessResult uncertain = run({"-i", "left.png", "bent.png", "-r", "bent/", "--qc"});
  ASSERT_EQ(uncertain.exitCode, 0) << uncertain.err;
  EXPECT_EQ(depthText(uncertain.out, "STATUS", "ALIGNMENT"), "INCONCLUSIVE FIT UNCERTAIN")
      << uncertain.out;
  EXPECT_EQ(depthText(uncertain.out, "EYE ORDER"), "OK") << uncertain.out;
  EXPECT_NE(uncertain.out.find("Shot 1 REJECT: frame 1, worst NEAR PARALLAX -11."),
            std::string::npos)
      << uncertain.out;
  std::ifstream file(folder.file("bent/report.json"));
  const nlohmann::json verdicts = nlohmann::json::parse(file)["frames"][0]["verdicts"];
  for (const char* measure : {"EYE ORDER", "COLOUR", "SHARPNESS"})
    EXPECT_EQ(verdicts[measure], "PASS") << verdicts.dump();
  EXPECT_FALSE(verdicts.contains("VERTICAL")) << verdicts.dump();
}

std::string wholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

size_t count(const std::string& text, const std::string& what) {
  size_t found = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++found;
  return found;
}

TEST_F(DepthRun, QualityControlRejectsSwappedEyesAndReportsTheDepthOfEachShot) {
  // Four frames panning over the pair with the eyes swapped (its content
  // behind the screen), then three of its mirror image, the eyes swapped
  // back by the mirror (in front of the screen, cut by both edges): a cut
  // with a large depth jump.
  const cv::Mat aloeL = cv::imread(kData + "aloeL.jpg"), aloeR = cv::imread(kData + "aloeR.jpg");
  for (int i = 0; i < 7; ++i) {
    const cv::Rect crop(8 * i, 4 * i, 1200, 1040);
    cv::Mat left = aloeR(crop).clone(), right = aloeL(crop).clone();
    if (i >= 4) {
      cv::flip(aloeR(crop), left, 1);
      cv::flip(aloeL(crop), right, 1);
    }
    char name[32];
    std::snprintf(name, sizeof name, "L.%03d.png", i + 1);
    cv::imwrite(folder.file(name), left);
    std::snprintf(name, sizeof name, "R.%03d.png", i + 1);
    cv::imwrite(folder.file(name), right);
  }
  // A wide depth budget: the second shot's frames are judged by their
  // window alone (FIX), so only its worst frame keeps its pictures; it
  // gets the method's depth and eye pictures without PICTURES:TRUE.
  const ProcessResult result =
      run({"-i", "L.%03d.png", "R.%03d.png", "-r", "out/", "--qc", "--quiet", "--pictures",
           "flagged", "--limits", "PARALLAX:-20%/20%"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("Eyes SWAPPED in shot 1: its left and right views are the wrong way "
                            "round"),
            std::string::npos)
      << result.out;
  std::ifstream file(folder.file("out/report.json"));
  const nlohmann::json report = nlohmann::json::parse(file);
  ASSERT_EQ(report["shots"].size(), 2u) << result.out;
  EXPECT_EQ(report["shots"][0]["verdict"], "REJECT");
  EXPECT_EQ(report["shots"][0]["verdicts"]["EYE ORDER"], "REJECT") << report["shots"][0].dump();

  // Each shot's histogram is its worst frame's: behind the screen, then in
  // front of it; the shares add up to the whole.
  const nlohmann::json& second = report["shots"][1];
  for (const nlohmann::json& shot : report["shots"]) {
    ASSERT_TRUE(shot.contains("depth")) << shot.dump();
    EXPECT_EQ(shot["depth"]["frame"], shot["worst_frame"]);
    ASSERT_EQ(shot["depth"]["percent"].size(), 40u);
    double total = 0, weighted = 0;
    const double from = shot["depth"]["from"], width = shot["depth"]["bin_width"];
    for (size_t i = 0; i < 40; ++i) {
      total += shot["depth"]["percent"][i].get<double>();
      const double share = shot["depth"]["percent"][i];
      weighted += share * (from + (static_cast<double>(i) + 0.5) * width);
    }
    EXPECT_NEAR(total, 100.0, 0.5);
    EXPECT_GT(weighted / total * (shot["shot"] == 1 ? 1 : -1), 0.5) << shot["depth"].dump();
  }
  const double jump = second["measures"]["DEPTH JUMP"]["median"];
  EXPECT_GT(jump, 3.0) << "beyond the fix limit";

  // The second shot's frames cut content at both edges, with the floating
  // window that mends them; its worst frame alone keeps its pictures, the
  // DEPTH and EYES blocks' among them.
  const int worst = second["worst_frame"];
  for (const nlohmann::json& frame : report["frames"]) {
    if (frame["frame"].get<int>() < 5) continue;
    EXPECT_GT(frame["depth"]["window_left"].get<double>(), 50) << frame.dump();
    EXPECT_GT(frame["depth"]["floating_window"].get<int>(), 0);
    const std::string stem = folder.file("out/" + frame["frame"].dump() + "_7_");
    const bool kept = frame["frame"] == worst;
    EXPECT_EQ(fs::exists(stem + "LEFT.png"), kept) << stem;
    EXPECT_EQ(fs::exists(stem + "DEPTH_PARALLAX_MAP.png"), kept) << stem;
    EXPECT_EQ(fs::exists(stem + "DEPTH_WINDOW.png"), kept) << stem;
    EXPECT_EQ(fs::exists(stem + "EYES_EYE_DIFFERENCE.png"), kept) << stem;
    EXPECT_FALSE(fs::exists(stem + "ALIGNMENT_ANAGLYPH_AFTER.png")) << stem;
  }
  // Drawn again for the worst frame, they are the pictures the frame gets
  // when every frame draws its own.
  ASSERT_EQ(run({"-i", "L.%03d.png", "R.%03d.png", "-r", "every/", "-p", "PICTURES:TRUE"})
                .exitCode,
            0);
  for (const std::string name : {"DEPTH_PARALLAX_MAP.png", "DEPTH_WINDOW.png",
                                 "EYES_EYE_DIFFERENCE.png", "EYES_SHARPNESS.png"}) {
    const std::string picture = std::to_string(worst) + "_7_" + name;
    EXPECT_EQ(wholeFile(folder.file("out/" + picture)),
              wholeFile(folder.file("every/" + picture)))
        << picture;
  }

  // The page: a histogram per shot, the jump marked at the cut in the
  // colour of a REJECT, the violations listed with the worst frame's
  // WINDOW picture.
  const std::string page = wholeFile(folder.file("out/report.html"));
  EXPECT_EQ(count(page, "<svg class=\"plot histogram\""), 2u);
  EXPECT_EQ(count(page, "<g class=\"jump beyond\">"), 1u);
  EXPECT_NE(page.find("stroke=\"#d93025\" stroke-width=\"3\""), std::string::npos);
  EXPECT_NE(page.find("Depth jump at the cut before shot 2: "), std::string::npos);
  // The second shot's three frames cut content at the left edge: one run.
  EXPECT_EQ(count(page, "<td>left</td>"), 1u);
  EXPECT_NE(page.find("<td class=\"num\" rowspan=\"2\">5–7 (3)</td>"), std::string::npos);
  const std::string picture = "alt=\"WINDOW picture of frame " + std::to_string(worst) + "\" src";
  EXPECT_EQ(count(page, picture + "=\"data:image/jpeg;base64,"), 1u);
}

TEST_F(DepthRun, ScreenOptionsAreCheckedAtStartUpAndDepthCanBeLeftOut) {
  const std::vector<std::string> pair = {"-i", kData + "aloeL.jpg", kData + "aloeR.jpg",
                                         "-r", "out/"};
  const auto with = [&](std::vector<std::string> extra) {
    extra.insert(extra.begin(), pair.begin(), pair.end());
    return run(extra);
  };
  const ProcessResult big = with({"--screen", "big"});
  EXPECT_NE(big.exitCode, 0);
  EXPECT_NE(big.err.find("--screen: \"big\" is no screen size; write e.g. 12m, 55in, 1200mm or "
                         "tv, cinema, imax"),
            std::string::npos)
      << big.err;
  const ProcessResult eyes = with({"--interocular", "65"});
  EXPECT_NE(eyes.err.find("--interocular works with --screen"), std::string::npos) << eyes.err;
  const ProcessResult child = with({"--screen", "55in", "--interocular", "two"});
  EXPECT_NE(child.err.find("--interocular: \"two\""), std::string::npos) << child.err;
  EXPECT_FALSE(fs::exists(folder.file("out"))) << "nothing is written for a refused run";

  const ProcessResult plain = with({"-p", "DEPTH:FALSE"});
  ASSERT_EQ(plain.exitCode, 0) << plain.err;
  EXPECT_EQ(plain.out.find(" DEPTH\n"), std::string::npos);
  EXPECT_FALSE(fs::exists(folder.file("out/DEPTH.csv")));
}

}  // namespace
}  // namespace stereolint
