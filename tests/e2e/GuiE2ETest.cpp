// GUI mode on a virtual X screen: the summary picture in the "Stereolint"
// window at the top-left corner, scaled into 960 x 540; and the console
// fallback when there is no display.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "app/GUIApplication.h"
#include "support/FootageFiles.h"
#include "support/Process.h"
#include "support/TempFolder.h"
#include "support/VirtualScreen.h"

namespace stereolint {
namespace {

using Clock = std::chrono::steady_clock;

const std::string kParameters =
    "WIDTH:10,HEIGHT:10,DETECTOR:ORB,EXTRACTOR:ORB,MATCHER:BruteForce-Hamming,HIERARCHY:VERTICAL";

TEST(FitInto, ScalesIntoTheBoxEnlargingSmallPictures) {
  EXPECT_EQ(fitInto({200, 200}), cv::Size(540, 540));
  EXPECT_EQ(fitInto({1920, 1080}), cv::Size(960, 540));
  EXPECT_EQ(fitInto({1000, 1000}), cv::Size(540, 540));
  EXPECT_EQ(fitInto({800, 300}), cv::Size(960, 360));
  EXPECT_EQ(fitInto({700, 500}), cv::Size(756, 540));
  EXPECT_EQ(fitInto({0, 0}), cv::Size());
}

class GuiMode : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto pairs = test::shiftedPairs(2, {320, 240}, 8);
    cv::imwrite(folder.file("left.png"), pairs[0].left);
    cv::imwrite(folder.file("right.png"), pairs[0].right);
    ASSERT_TRUE(test::writeVideo(folder.file("take.avi"), test::sideBySideFrames(pairs), "MJPG"));
  }
  test::ProcessOptions options(const std::string& display) const {
    test::ProcessOptions options;
    options.workingFolder = folder.path();
    options.setEnv["XDG_RUNTIME_DIR"] = folder.path();
    if (display.empty()) {
      options.unsetEnv = {"DISPLAY", "WAYLAND_DISPLAY"};
    } else {
      options.setEnv["DISPLAY"] = display;
    }
    return options;
  }
  test::TempFolder folder;
};

TEST_F(GuiMode, WithoutADisplayEveryFrameIsPresentedOnTheConsole) {
  const test::ProcessResult result = test::runProcess(
      STEREOLINT_BINARY,
      {"-i", "take.avi", "-o", "VERTICALLY", "-d", "Stereolint", "-t", "1", "-r", "out/", "-p",
       kParameters},
      options(""));
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.out.find("take : 1 / 2 VERTICAL"), std::string::npos);
  EXPECT_NE(result.out.find("take : 2 / 2 VERTICAL"), std::string::npos);
  EXPECT_EQ(result.err,
            "Warning: \n\t[runtime phase]: GUIApplication::presentResults - [display]\n"
            "\t[message      ]: No display to show the summary pictures on; they are written to "
            "files and the results printed only\n")
      << "one warning for the whole run";
}

TEST_F(GuiMode, TheSummaryStandsScaledAtTheScreenCornerUntilAKeyIsPressed) {
  test::VirtualScreen screen;
  if (!screen.available()) GTEST_SKIP() << "Xvfb is not installed";
  test::BackgroundProcess run(STEREOLINT_BINARY,
                              {"-m", "GUI", "-i", "left.png", "right.png", "-d", "Stereolint",
                               "-t", "1", "-r", "out/", "-p", kParameters},
                              options(screen.display()));

  // The summary is written before the window shows it. The window maps
  // small at first and takes the picture's size when the picture arrives,
  // so look until it shows the scaled summary, or give up.
  const cv::Size fitted(720, 540);  // the 960 x 720 summary, scaled by 0.75
  cv::Rect window;
  double difference = -1;
  for (auto start = Clock::now(); Clock::now() - start < std::chrono::seconds(60);) {
    if (!run.running()) break;
    window = screen.window("Stereolint");
    const cv::Mat summary = cv::imread(folder.file("out/1_1_SUMMARY.png"));
    if (window == cv::Rect(cv::Point(0, 0), fitted) && summary.size() == cv::Size(960, 720)) {
      cv::Mat expected;
      cv::resize(summary, expected, fitted, 0, 0, cv::INTER_LINEAR);
      const cv::Mat shot = screen.screenshot();
      if (!shot.empty()) {
        difference = cv::norm(shot(window), expected, cv::NORM_INF);
        if (difference <= 2.0) {
          EXPECT_EQ(shot.at<cv::Vec3b>(600, 800), cv::Vec3b(0, 0, 0)) << "nothing beyond it";
          break;
        }
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  if (!run.running()) {
    const test::ProcessResult early = run.wait();
    FAIL() << "the run ended before a key was pressed, status " << early.exitCode << ":\n"
           << early.out << early.err;
  }
  EXPECT_EQ(window, cv::Rect(cv::Point(0, 0), fitted)) << "at the corner, at the fitted size";
  EXPECT_GE(difference, 0.0) << "the window never showed a picture";
  EXPECT_LE(difference, 2.0) << "the window shows the scaled summary";

  const auto pressed = Clock::now();
  ASSERT_TRUE(screen.pressKey("Stereolint", "space"));
  const test::ProcessResult result = run.wait();
  EXPECT_LT(Clock::now() - pressed, std::chrono::seconds(3)) << "the key ends the wait";
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("left : 1 / 1 VERTICAL"), std::string::npos);
}

}  // namespace
}  // namespace stereolint
