// A shot's colour decision as the files colourists load: the .cube grades
// a picture in FFmpeg as the decision itself does, and the .cdl is valid
// ASC CDL holding the decision's numbers.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <opencv2/imgcodecs.hpp>
#include <sstream>

#include "corrections/ColourFiles.h"
#include "support/Process.h"
#include "support/TempFolder.h"

namespace stereolint::corrections {
namespace {

// The path of `name` in a folder of PATH, or "" when none holds it.
std::string onPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::istringstream folders(path != nullptr ? path : "");
  for (std::string folder; std::getline(folders, folder, ':');) {
    const std::filesystem::path candidate = std::filesystem::path(folder) / name;
    if (!folder.empty() && std::filesystem::is_regular_file(candidate)) return candidate.string();
  }
  return "";
}

// Every channel moved, both signs of offset, powers either side of 1 and
// less saturation, so a channel swapped, a lattice in the wrong order or a
// step left out shows.
ColourDecision aGrade() {
  ColourDecision decision;
  decision.slope = {0.9, 1.05, 1.1};
  decision.offset = {0.02, -0.02, 0.02};
  decision.power = {0.95, 1.0, 1.08};
  decision.saturation = 0.9;
  return decision;
}

TEST(ColourFiles, FfmpegsLut3dGradesAPictureAsTheDecisionDoes) {
  const std::string ffmpeg = onPath("ffmpeg");
  if (ffmpeg.empty()) GTEST_SKIP() << "the ffmpeg program is not installed";
  test::TempFolder folder;
  // Every code value of red along the rows, green and blue in other orders,
  // so each channel's whole range meets varied partners.
  cv::Mat ramp(24, 256, CV_8UC3);
  for (int y = 0; y < ramp.rows; ++y)
    for (int x = 0; x < ramp.cols; ++x)
      ramp.at<cv::Vec3b>(y, x) = {static_cast<uchar>((255 - x + 41 * y) % 256),  // blue
                                  static_cast<uchar>((3 * x + 11 * y) % 256),    // green
                                  static_cast<uchar>(x)};                        // red
  ASSERT_TRUE(cv::imwrite(folder.file("in.png"), ramp));
  const ColourDecision decision = aGrade();
  ASSERT_EQ(writeCubeFile(folder.file("grade.cube"), decision, "shot 1"), std::nullopt);

  const test::ProcessResult run =
      test::runProcess(ffmpeg, {"-y", "-v", "error", "-i", folder.file("in.png"), "-vf",
                                "lut3d=file=" + folder.file("grade.cube"), "-pix_fmt", "rgb24",
                                folder.file("out.png")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const cv::Mat graded = cv::imread(folder.file("out.png"), cv::IMREAD_COLOR);
  ASSERT_EQ(graded.size(), ramp.size());
  ASSERT_EQ(graded.type(), CV_8UC3);

  // FFmpeg interpolates between lattice points 1/32 apart and truncates to
  // 8 bits (up to 1 code value below the rounded decision). Where a clamp
  // bends a channel inside a cell the interpolation cuts the corner: blue's
  // slope of 1.1 reaches 1 at a code value of 227, mid-cell, where the two
  // together come to 3 code values. Elsewhere the lattice follows the curve
  // to within a code value. A wrong lattice order, a swapped channel or a
  // step left out is tens of code values off.
  int worst = 0;
  int withinOne = 0;
  for (int y = 0; y < ramp.rows; ++y)
    for (int x = 0; x < ramp.cols; ++x) {
      const cv::Vec3b in = ramp.at<cv::Vec3b>(y, x);
      const std::array<double, 3> expected =
          applyColourDecision(decision, {in[2] / 255.0, in[1] / 255.0, in[0] / 255.0});
      const cv::Vec3b out = graded.at<cv::Vec3b>(y, x);
      for (int c = 0; c < 3; ++c) {
        const int difference = std::abs(
            out[2 - c] - static_cast<int>(std::lround(expected[static_cast<size_t>(c)] * 255)));
        worst = std::max(worst, difference);
        withinOne += difference <= 1 ? 1 : 0;
      }
    }
  EXPECT_LE(worst, 3) << "largest difference in code values";
  EXPECT_GE(withinOne, ramp.total() * 3 * 98 / 100) << "channels within 1 code value";
}

std::string xpathText(const std::string& xmllint, const std::string& file,
                      const std::string& expression) {
  const test::ProcessResult run = test::runProcess(xmllint, {"--xpath", expression, file});
  EXPECT_EQ(run.exitCode, 0) << expression << ": " << run.err;
  std::string text = run.out;
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

std::array<double, 3> threeNumbers(const std::string& text) {
  std::istringstream in(text);
  std::array<double, 3> numbers{};
  for (double& number : numbers) in >> number;
  EXPECT_FALSE(in.fail()) << text;
  return numbers;
}

TEST(ColourFiles, TheCdlIsValidAscCdlHoldingTheDecision) {
  const std::string xmllint = onPath("xmllint");
  if (xmllint.empty()) GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
  test::TempFolder folder;
  const std::string cdl = folder.file("shot3.cdl");
  const ColourDecision decision = aGrade();
  const std::string id = "take <A&B> \"shot\" 3";
  const std::string description = "right eye → left eye";
  ASSERT_EQ(writeCdlFile(cdl, decision, id, description), std::nullopt);

  const std::string schema = std::string(STEREOLINT_SOURCE_DIR) + "/tests/data/asc-cdl-v1.01.xsd";
  const test::ProcessResult valid = test::runProcess(xmllint, {"--noout", "--schema", schema, cdl});
  EXPECT_EQ(valid.exitCode, 0) << valid.err << test::readTextFile(cdl);

  const auto node = [](const std::string& name) {
    return "string(/*[local-name()='ColorDecisionList']/*[local-name()='ColorDecision']/"
           "*[local-name()='ColorCorrection']//*[local-name()='" +
           name + "'])";
  };
  EXPECT_EQ(xpathText(xmllint, cdl, "string(//*[local-name()='ColorCorrection']/@id)"), id);
  EXPECT_EQ(xpathText(xmllint, cdl, node("Description")), description);
  const std::array<std::array<double, 3>, 3> expected{decision.slope, decision.offset,
                                                      decision.power};
  const char* names[] = {"Slope", "Offset", "Power"};
  for (size_t i = 0; i < 3; ++i) {
    const std::array<double, 3> read = threeNumbers(xpathText(xmllint, cdl, node(names[i])));
    for (size_t c = 0; c < 3; ++c) EXPECT_NEAR(read[c], expected[i][c], 5e-7) << names[i] << c;
  }
  EXPECT_NEAR(std::stod(xpathText(xmllint, cdl, node("Saturation"))), decision.saturation, 5e-7);

  const std::optional<std::string> refused =
      writeCdlFile(folder.file("missing/shot3.cdl"), decision, id, description);
  ASSERT_TRUE(refused.has_value());
  EXPECT_EQ(*refused,
            "Cannot write " + folder.file("missing/shot3.cdl") + ": No such file or directory");
}

}  // namespace
}  // namespace stereolint::corrections
