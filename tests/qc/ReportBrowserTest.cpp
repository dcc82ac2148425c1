// The HTML report in a real browser: Debian's chromium, headless, loads the
// page from disk, and the test reads the DOM after loading, the browser's
// log and a screenshot.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "QcTestData.h"
#include "qc/QcSession.h"
#include "report/ReportFiles.h"
#include "report/ReportJson.h"
#include "report/ReportMerge.h"
#include "report/WorstPictures.h"
#include "support/Process.h"
#include "support/TempFolder.h"

namespace stereolint::report {
namespace {

constexpr const char* kChromium = "/usr/bin/chromium";

int sceneOf(int frame) {
  if (frame <= 12) return 0;
  if (frame <= 22) return 1;
  if (frame <= 28) return -1;
  return 2;
}

test::ProcessResult runChromium(const test::TempFolder& folder, const std::vector<std::string>& what) {
  std::vector<std::string> words = {"90", kChromium, "--headless", "--no-sandbox",
                                    "--disable-gpu", "--no-first-run",
                                    "--disable-background-networking",
                                    "--disable-component-update", "--disable-sync",
                                    "--user-data-dir=" + folder.file("profile"),
                                    "--virtual-time-budget=5000", "--enable-logging=stderr",
                                    "--v=0"};
  words.insert(words.end(), what.begin(), what.end());
  return test::runProcess("/usr/bin/timeout", words);
}

size_t count(const std::string& text, const std::string& what) {
  size_t found = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++found;
  return found;
}

TEST(ReportBrowser, TheReportOpensWithEveryPlotAndNoScriptError) {
  if (!std::filesystem::exists(kChromium)) GTEST_SKIP() << "chromium is not installed";
  test::TempFolder folder;
  // The four-shot take as the Alignment method measures it: every key.
  ReportContent take = test::fourShotTake();
  take.settings = {{"method", "Alignment"}, {"parameters", ""}};
  for (qc::FrameRecord& record : take.frames) {
    const double wobble = 0.02 * (record.frame % 5);
    record.values[measureIndex(Measure::Keystone)] = 0.6 + wobble;
    record.values[measureIndex(Measure::NearParallax)] = -0.7 - wobble;
    record.values[measureIndex(Measure::FarParallax)] =
        sceneOf(record.frame) == 1 ? 2.1 + wobble : 1.4 + wobble;
    record.values[measureIndex(Measure::Window)] = sceneOf(record.frame) == 2 ? 12.0 : 0.0;
    record.values[measureIndex(Measure::Divergence)] = 40.0 + 10 * wobble;
    record.values[measureIndex(Measure::EyeOrder)] = 0.3 - wobble;
    record.values[measureIndex(Measure::Luminance)] = -0.05 - wobble;
    record.values[measureIndex(Measure::Colour)] = 1.2 + wobble;
    record.values[measureIndex(Measure::Sharpness)] = 0.97 - wobble;
    record.values[measureIndex(Measure::HighlightArea)] = sceneOf(record.frame) == 1 ? 0.3 : 0.0;
    // The colour decisions: one grade throughout the first shot, a grade
    // that wobbles in the second.
    if (sceneOf(record.frame) == 0) {
      record.colour = ColourDecision{{1.02, 0.99, 1.0}, {0.01, 0.0, -0.005}, {1, 1, 1}, 1.0};
    } else if (sceneOf(record.frame) == 1) {
      record.colour = ColourDecision{{0.9 + wobble, 1, 1}, {0, 0, 0}, {1.1, 1, 1}, 1.0};
    }
    // The dense parallax: a bell around each scene's median, scene 2 in
    // front of the screen and cut by the left edge.
    if (sceneOf(record.frame) < 0) continue;
    const double median = sceneOf(record.frame) == 2 ? -0.9 : 0.6;
    record.values[measureIndex(Measure::MedianParallax)] = median + wobble;
    DepthDetail depth;
    depth.histogram.fromPercent = -2.5;
    depth.histogram.toPercent = 2.5;
    for (int i = 0; i < ParallaxHistogram::kBins; ++i) {
      const double at = -2.5 + (i + 0.5) * 0.125 - median;
      depth.histogram.shares[static_cast<size_t>(i)] =
          static_cast<std::uint16_t>(std::lround(1250 * std::exp(-at * at / 0.5)));
    }
    if (sceneOf(record.frame) == 2) {
      depth.windowLeftPercent = 12.0;
      depth.floatingWindowPixels = 24;
    }
    record.depth = depth;
  }
  // STEREOLINT_KEEP_REPORT names a folder where the page is written to be
  // kept and looked at; else it goes into the test's own folder.
  const char* keep = std::getenv("STEREOLINT_KEEP_REPORT");
  const std::string prefix = keep != nullptr ? std::string(keep) + "/" : folder.file("out/");
  std::filesystem::create_directories(prefix);
  for (const qc::FrameRecord& record : take.frames) {
    test::writeSummaryPicture(prefix, record.frame, take.take.frameCount, sceneOf(record.frame));
    // The EYES block's difference picture, with a one-eye highlight outlined.
    cv::Mat difference(180, 320, CV_8UC3, cv::Scalar(40, 40, 40));
    cv::rectangle(difference, cv::Rect(100, 60, 30, 20), cv::Scalar(255, 255, 0), 2);
    cv::imwrite(prefix + std::to_string(record.frame) + "_" +
                    std::to_string(take.take.frameCount) + "_EYES_EYE_DIFFERENCE.png",
                difference);
  }
  // The report pictures of the first two shots' worst frames, from views
  // 1280 pixels wide with inliers 0, 1 and 3 rows off.
  std::map<int, WorstPictureFiles> worstPictures;
  const cv::Mat view = test::scenePicture(0, 0, cv::Size(1280, 720));
  const std::vector<InlierResidual> inliers = {{{100, 100}, 0}, {{600, 300}, 1}, {{1200, 700}, 3}};
  for (const qc::Shot& shot : qc::shotsOf(take.frames, take.limits))
    if (shot.worstFrame && worstPictures.size() < 2) {
      ASSERT_FALSE(writeWorstPictures(prefix, *shot.worstFrame, view, view, inliers,
                                      worstPictures[*shot.worstFrame]));
    }
  ASSERT_EQ(worstPictures.size(), 2u);
  ASSERT_FALSE(writeReportFiles(take, prefix, {prefix}, worstPictures));
  const std::string page = "file://" + std::filesystem::absolute(prefix + "report.html").string();

  const test::ProcessResult dom = runChromium(folder, {"--dump-dom", page});
  ASSERT_EQ(dom.exitCode, 0) << dom.err;
  EXPECT_EQ(dom.err.find("Uncaught"), std::string::npos) << dom.err;
  for (Measure owner : limitOwners()) {
    // A depth jump belongs to a cut: the shot table shows it, not a plot of frames.
    if (owner == Measure::DepthJump) continue;
    const std::string key = measureInfo(owner).limitKey;
    EXPECT_EQ(count(dom.out, "<svg class=\"plot\" data-measure=\"" + key + "\""), 1u) << key;
  }
  EXPECT_EQ(count(dom.out, "<svg class=\"plot histogram\""), 3u) << "the shots with a depth";
  EXPECT_EQ(count(dom.out, "<g class=\"jump"), 1u) << "one cut between shots with a depth";
  EXPECT_EQ(count(dom.out, "<td>left</td>"), 1u) << "the last shot's frames, one run";
  EXPECT_NE(dom.out.find("A012C003"), std::string::npos);
  EXPECT_NE(dom.out.find("The take is rejected"), std::string::npos);
  EXPECT_NE(dom.out.find("1 shot of 4 could not be judged (BLACK VIEW)."), std::string::npos)
      << "the shot's own reason";
  EXPECT_EQ(count(dom.out, "<tr><td class=\"num\">"), 4u + 1u) << "four shots, one inconclusive run";
  EXPECT_GE(count(dom.out, "src=\"data:image/jpeg;base64,"), 3u) << "worst frames' pictures";
  EXPECT_EQ(count(dom.out, "<figure class=\"worst-frame\""), 2u);
  for (const auto& [frame, files] : worstPictures) {
    EXPECT_EQ(
        count(dom.out, "<a href=\"report/" + files.residuals + "\"><img alt=\"Left view of frame " +
                           std::to_string(frame) + " with its inliers\" src=\"data:image/jpeg"),
        1u)
        << frame;
    EXPECT_EQ(count(dom.out, "<a href=\"report/" + files.anaglyph + "\"><img alt=\"Anaglyph"), 1u);
    EXPECT_EQ(cv::imread(prefix + "report/" + files.residuals).cols, 960);
  }
  // The eyes of each shot: the grades as text to copy (the first shot's as
  // given, the second's the median of its frames), the softer eye and each
  // judged shot's difference picture.
  EXPECT_EQ(count(dom.out, "<h2>Eyes</h2>"), 1u);
  EXPECT_EQ(count(dom.out, "<tr data-shot="), 3u) << "every shot with judged frames";
  EXPECT_NE(dom.out.find("1.0200 0.9900 1.0000 0.0100 0.0000 -0.0050 1.0000 1.0000 1.0000 1.0000"),
            std::string::npos);
  EXPECT_NE(dom.out.find("Slope (1.0200 0.9900 1.0000) Offset (0.0100 0.0000 -0.0050) Power "
                         "(1.0000 1.0000 1.0000) Sat 1.0000"),
            std::string::npos);
  EXPECT_NE(dom.out.find("Slope (0.9400 1.0000 1.0000) Offset (0.0000 0.0000 0.0000) Power "
                         "(1.1000 1.0000 1.0000) Sat 1.0000"),
            std::string::npos);
  EXPECT_EQ(count(dom.out, "No frame of the shot has a colour decision."), 1u);
  EXPECT_EQ(count(dom.out, "right eye softer, 7 % of its detail lost"), 3u);
  EXPECT_EQ(count(dom.out, "alt=\"EYE_DIFFERENCE picture of frame"), 3u);
  // The decisions go into report.json and come back out of it, and a merge
  // of the report writes the same document.
  const Expected<ReportContent> read = readReportFile(prefix);
  ASSERT_TRUE(read.ok()) << read.error();
  ASSERT_EQ(read.value().frames.size(), take.frames.size());
  for (size_t i = 0; i < take.frames.size(); ++i)
    EXPECT_EQ(read.value().frames[i].colour, take.frames[i].colour) << take.frames[i].frame;
  const Expected<ReportContent> merged = mergeReports({{prefix, read.value()}});
  ASSERT_TRUE(merged.ok()) << merged.error();
  EXPECT_TRUE(reportJson(merged.value()) == reportJson(take));

  EXPECT_EQ(count(dom.out, "http://") + count(dom.out, "https://"),
            count(dom.out, "http://www.w3.org/2000/svg"))
      << "nothing outside the file";

  const std::string shot = folder.file("shot.png");
  const test::ProcessResult screenshot =
      runChromium(folder, {"--window-size=1200,2200", "--hide-scrollbars", "--screenshot=" + shot, page});
  ASSERT_EQ(screenshot.exitCode, 0) << screenshot.err;
  const cv::Mat picture = cv::imread(shot);
  ASSERT_FALSE(picture.empty()) << "no screenshot";
  cv::Scalar mean;
  cv::Scalar deviation;
  cv::meanStdDev(picture, mean, deviation);
  EXPECT_GT(deviation[0], 10.0) << "the screenshot is blank";

  // At 800 pixels the page wraps rather than overflows: its right margin
  // keeps the page's own colour from top to bottom.
  const std::string narrow = folder.file("narrow.png");
  const test::ProcessResult narrowShot = runChromium(
      folder, {"--window-size=800,2200", "--hide-scrollbars", "--screenshot=" + narrow, page});
  ASSERT_EQ(narrowShot.exitCode, 0) << narrowShot.err;
  const cv::Mat narrowPicture = cv::imread(narrow);
  ASSERT_EQ(narrowPicture.cols, 800) << "no screenshot";
  const cv::Mat margin = narrowPicture.colRange(narrowPicture.cols - 6, narrowPicture.cols);
  cv::Mat off;
  cv::inRange(margin, cv::Scalar(248, 246, 244), cv::Scalar(252, 250, 248), off);
  EXPECT_EQ(cv::countNonZero(off), margin.rows * margin.cols)
      << "something reaches into the right margin at 800 pixels";
}

}  // namespace
}  // namespace stereolint::report
