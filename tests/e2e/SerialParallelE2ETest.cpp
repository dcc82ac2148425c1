// A run spread over the cores gives exactly what the straightforward run
// gives: the same console text and, byte for byte, the same files. The
// straightforward run (STEREOLINT_SERIAL=1, one worker) matches tiles one
// after the other with the image library's plain calls (detect, then
// compute, then its matcher; nothing kept from step to step), measures one
// feature at a time with the definitions and writes one file after the
// other.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "support/FootageFiles.h"
#include "support/Process.h"
#include "support/TempFolder.h"

namespace stereolint {
namespace {

namespace fs = std::filesystem;

const std::string kParameters =
    "WIDTH:10,HEIGHT:10,DETECTOR:ORB,EXTRACTOR:ORB,MATCHER:BruteForce-Hamming,"
    "DISTRIBUTION:TRUE,RECURRENCY:TRUE,HIERARCHY:VERTICAL;ROTATION;SCALE";

std::string contents(const fs::path& path) {
  std::ifstream stream(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

// The lines of a text in ascending order: several workers present and
// collect frames in the order they finish, which the same frames on fewer
// workers need not share.
std::string sortedLines(const std::string& text) {
  std::multiset<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.insert(line);
  std::string sorted;
  for (const std::string& line : lines) sorted += line + "\n";
  return sorted;
}

// A console text as its frames' blocks in ascending order.
std::string sortedBlocks(const std::string& text) {
  const std::string end = "-------------------------------------------------------------\n"
                          "-------------------------------------------------------------\n";
  std::multiset<std::string> blocks;
  for (size_t at = 0, next = 0; at < text.size(); at = next) {
    next = text.find(end, at);
    next = next == std::string::npos ? text.size() : next + end.size();
    blocks.insert(text.substr(at, next - at));
  }
  std::string sorted;
  for (const std::string& block : blocks) sorted += block;
  return sorted;
}

// Every file under `folder` by name; texts with their times masked, the
// table's rows in ascending order.
std::map<std::string, std::string> outputFiles(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    const std::string bytes = contents(entry.path());
    if (entry.path().extension() == ".png") {
      files[name] = bytes;
    } else if (entry.path().extension() == ".csv") {
      files[name] = sortedLines(test::maskTimes(bytes));
    } else {
      files[name] = test::maskTimes(bytes);
    }
  }
  return files;
}

class SerialParallel : public ::testing::Test {
 protected:
  // Runs the input both ways and expects the same console text and files.
  void expectSameBothWays(const std::vector<std::string>& input, int threads,
                          const std::string& parameters = kParameters) {
    const test::ProcessResult serial = run(input, "1", "serial/", true, parameters);
    const test::ProcessResult parallel =
        run(input, std::to_string(threads), "parallel/", false, parameters);
    ASSERT_EQ(0, serial.exitCode) << serial.err;
    ASSERT_EQ(0, parallel.exitCode) << parallel.err;
    EXPECT_EQ(sortedBlocks(test::maskTimes(serial.out)), sortedBlocks(test::maskTimes(parallel.out)));
    EXPECT_EQ(serial.err, parallel.err);

    const auto expected = outputFiles(folder.file("serial"));
    const auto actual = outputFiles(folder.file("parallel"));
    ASSERT_GT(expected.size(), 20u);
    ASSERT_EQ(expected.size(), actual.size());
    for (const auto& [name, bytes] : expected) {
      ASSERT_TRUE(actual.count(name)) << name;
      EXPECT_TRUE(actual.at(name) == bytes) << name << " differs";
    }
  }

  test::ProcessResult run(std::vector<std::string> input, const std::string& threads,
                          const std::string& output, bool serial, const std::string& parameters) {
    std::vector<std::string> arguments = {"-m", "CONSOLE", "-d", "Stereolint", "-i"};
    arguments.insert(arguments.end(), input.begin(), input.end());
    for (const std::string& word : {std::string("-o"), std::string("VERTICALLY"),
                                    std::string("-t"), threads, std::string("-r"), output,
                                    std::string("-p"), parameters}) {
      arguments.push_back(word);
    }
    test::ProcessOptions options{folder.path(), {}, {"STEREOLINT_SERIAL"}};
    if (serial) options = {folder.path(), {{"STEREOLINT_SERIAL", "1"}}, {}};
    return test::runProcess(STEREOLINT_BINARY, arguments, options);
  }

  test::TempFolder folder;
};

// Views turned, scaled and moved, so that every checker measures something.
void writeMisalignedTake(const std::string& path) {
  std::vector<cv::Mat> frames;
  for (unsigned seed = 1; seed <= 3; ++seed) {
    const cv::Mat left = test::texturedPicture(cv::Size(360, 270), seed);
    cv::Mat transform = cv::getRotationMatrix2D(cv::Point2f(180, 135), 0.8, 1.02);
    transform.at<double>(1, 2) += 3;
    cv::Mat right;
    cv::warpAffine(left, right, transform, left.size(), cv::INTER_LINEAR, cv::BORDER_REFLECT);
    cv::Mat both;
    cv::hconcat(left, right, both);
    frames.push_back(both);
  }
  ASSERT_TRUE(test::writeVideo(path, frames, "MJPG"));
}

TEST_F(SerialParallel, VideoOfMisalignedViews) {
  // Three frames on two workers; each step hands its corrected views on,
  // the left one unchanged.
  writeMisalignedTake(folder.file("take.avi"));
  expectSameBothWays({"take.avi"}, 2);
}

TEST_F(SerialParallel, StepsThatKeepTheirViews) {
  // Without RECURRENCY every step measures the views as read.
  writeMisalignedTake(folder.file("take.avi"));
  std::string parameters = kParameters;
  parameters.replace(parameters.find("RECURRENCY:TRUE"), 15, "RECURRENCY:FALSE");
  expectSameBothWays({"take.avi"}, 2, parameters);
}

TEST_F(SerialParallel, ViewsThatAgreeExactly) {
  // A view and itself moved by whole rows: nearly every feature matches at
  // distance 0, and the pairwise loops meet exactly-zero and exactly-one
  // terms by the thousand.
  const test::StereoPair pair = test::verticallyShiftedPair(cv::Size(480, 360), 6, 11);
  ASSERT_TRUE(cv::imwrite(folder.file("left.png"), pair.left));
  ASSERT_TRUE(cv::imwrite(folder.file("right.png"), pair.right));
  expectSameBothWays({"left.png", "right.png"}, 1);
}

}  // namespace
}  // namespace stereolint
