// R3D clips analysed by the real binary, decoded by the stand-in decoder.
#include <gtest/gtest.h>

#include <filesystem>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/videoio.hpp>

#include "r3d-standin/StandinClipWriter.h"
#include "support/FootageFiles.h"
#include "support/Process.h"
#include "support/TempFolder.h"

namespace stereolint {
namespace {

using test::ProcessResult;

const std::string kParameters =
    "WIDTH:10,HEIGHT:10,DETECTOR:ORB,EXTRACTOR:ORB,MATCHER:BruteForce-Hamming,HIERARCHY:VERTICAL";
const std::string kLibrary = std::string(STANDIN_FOLDER) + "/REDR3D-x86.dll";

void writeClip(const std::string& path, const std::vector<cv::Mat>& pictures) {
  ASSERT_TRUE(test::writeStandinClip(path, pictures));
}

class R3DClips : public ::testing::Test {
 protected:
  void SetUp() override {
    pairs = test::shiftedPairs(3, {240, 180}, 8);
    writeClip(folder.file("take.R3D"), test::sideBySideFrames(pairs));
    std::filesystem::copy_file(kLibrary, folder.file("REDR3D-x86.dll"));
  }
  ProcessResult run(std::vector<std::string> arguments, test::ProcessOptions options = {}) {
    arguments.insert(arguments.begin(),
                     {"-m", "CONSOLE", "-d", "Stereolint", "-p", kParameters, "-r", "out/"});
    if (options.workingFolder.empty()) options.workingFolder = folder.path();
    options.unsetEnv.push_back("R3DSDKPATH");
    return test::runProcess(STEREOLINT_BINARY, arguments, options);
  }
  std::vector<test::StereoPair> pairs;
  test::TempFolder folder;
};

TEST_F(R3DClips, AClipGivesTheNumbersOfTheVideoItWasMadeFrom) {
  ASSERT_TRUE(test::writeVideo(folder.file("take.avi"), test::sideBySideFrames(pairs), "MJPG"));
  // The clip is made from the decoded video, so both hold the same frames.
  cv::VideoCapture capture(folder.file("take.avi"));
  std::vector<cv::Mat> decoded(3);
  for (cv::Mat& frame : decoded) ASSERT_TRUE(capture.read(frame));
  writeClip(folder.file("take.R3D"), decoded);

  const ProcessResult clip = run({"-i", "take.R3D", "-o", "VERTICALLY", "-t", "2"});
  const ProcessResult video =
      run({"-i", "take.avi", "-o", "VERTICALLY", "-t", "2", "-r", "video/"});
  ASSERT_EQ(clip.exitCode, 0) << clip.err;
  ASSERT_EQ(video.exitCode, 0) << video.err;
  for (int id = 1; id <= 3; ++id) {
    const std::string heading = "take : " + std::to_string(id) + " / 3 VERTICAL\n";
    const size_t inClip = clip.out.find(heading);
    const size_t inVideo = video.out.find(heading);
    ASSERT_NE(inClip, std::string::npos);
    ASSERT_NE(inVideo, std::string::npos);
    const auto block = [](const std::string& out, size_t at) {
      return test::maskTimes(out.substr(at, out.find("---", at) - at));
    };
    EXPECT_EQ(block(clip.out, inClip), block(video.out, inVideo)) << "frame " << id;
  }
  const cv::Mat left = cv::imread(folder.file("out/1_3_LEFT.png"), cv::IMREAD_UNCHANGED);
  EXPECT_EQ(left.type(), CV_16UC3) << "views of a clip are written with 16 bits";
}

TEST_F(R3DClips, SelectionAndSidecarMirroring) {
  test::writeTextFile(folder.file("take.RMD"),
                      "<clip>\n  <fliphorizontal type=\"bool\" value=\"true\"/>\n"
                      "  <flipvertical type=\"bool\" value=\"true\"/>\n</clip>\n");
  const ProcessResult result = run({"-i", "take.R3D", "-o", "VERTICALLY", "-t", "1", "-s", "2,"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out.find("take : 1 / 3"), std::string::npos);
  EXPECT_NE(result.out.find("take : 2 / 3 VERTICAL"), std::string::npos);
  // Both markers turn the view by 180 degrees.
  cv::Mat expected;
  cv::flip(test::deepFrame(pairs[1].left), expected, -1);
  const cv::Mat left = cv::imread(folder.file("out/2_3_LEFT.png"), cv::IMREAD_UNCHANGED);
  ASSERT_EQ(left.size(), expected.size());
  EXPECT_EQ(cv::norm(left, expected, cv::NORM_INF), 0.0);
  // Turned views still measure the same offset, with the sign turned too.
  EXPECT_NE(result.out.find("MEDIAN : -8\n"), std::string::npos) << result.out;
}

TEST_F(R3DClips, LibraryFoundThroughR3DSDKPATH) {
  std::filesystem::remove(folder.file("REDR3D-x86.dll"));
  const ProcessResult result = test::runProcess(
      STEREOLINT_BINARY,
      {"-m", "CONSOLE", "-d", "Stereolint", "-p", kParameters, "-r", "out/", "-i", "take.R3D",
       "-o", "VERTICALLY", "-t", "2", "-s", "1,"},
      {folder.path(), {{"R3DSDKPATH", STANDIN_FOLDER}}, {}});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("take : 1 / 3 VERTICAL"), std::string::npos);
}

TEST_F(R3DClips, MissingLibraryIsReportedWithTheFoldersTried) {
  std::filesystem::remove(folder.file("REDR3D-x86.dll"));
  const ProcessResult result = run({"-i", "take.R3D", "-o", "VERTICALLY", "-t", "2"});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err,
            "Error: \n\t[runtime phase]: ConsoleApplication::run - [R3D]\n"
            "\t[message      ]: Cannot load the decoding library REDR3D-x86.dll: status 2 (the "
            "library file could not be loaded or initialised): no library file there; folders "
            "tried: ./ (status 2: no library file there)\n");
  EXPECT_FALSE(std::filesystem::exists(folder.file("out")));
}

TEST_F(R3DClips, LoaderLogOnRequest) {
  test::ProcessOptions options;
  options.setEnv["STEREOLINT_R3D_LOG"] = "1";
  const ProcessResult result = run({"-i", "take.R3D", "-o", "VERTICALLY", "-t", "2", "-s", "1,"},
                                   options);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out.rfind("[INIT LIB  ] 0x0 at .\n-R3DAPI 7.0.3-35I46 (20171005 W32S)\n", 0), 0u)
      << result.out;
  EXPECT_NE(result.out.find("[OK INIT   ]"), std::string::npos);
}

TEST_F(R3DClips, ClipsOfDifferentSizesAreRefusedBeforeDecoding) {
  writeClip(folder.file("small.R3D"), {cv::Mat(cv::Size(100, 100), CV_8UC3, cv::Scalar::all(9))});
  const ProcessResult result = run({"-i", "take.R3D", "small.R3D", "-t", "2"});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_NE(result.err.find("The clips differ in size: take.R3D is 480 x 180, small.R3D is "
                            "100 x 100"),
            std::string::npos)
      << result.err;
  EXPECT_FALSE(std::filesystem::exists(folder.file("out")));
}

TEST_F(R3DClips, UnreadableClipIsReported) {
  test::writeTextFile(folder.file("broken.R3D"), "not a clip");
  const ProcessResult result = run({"-i", "broken.R3D", "-o", "VERTICALLY", "-t", "2"});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_NE(result.err.find("Cannot open the clip broken.R3D"), std::string::npos) << result.err;
}

TEST_F(R3DClips, ShorterSecondClipEndsThePair) {
  writeClip(folder.file("left.R3D"), test::leftViews(pairs));
  auto rights = test::rightViews(pairs);
  rights.pop_back();
  writeClip(folder.file("right.R3D"), rights);
  const ProcessResult result = run({"-i", "left.R3D", "right.R3D", "-t", "2"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("left : 2 / 3 VERTICAL"), std::string::npos);
  EXPECT_EQ(result.out.find("left : 3 / 3"), std::string::npos);
  EXPECT_NE(result.err.find("Decoding right.R3D stopped at frame 3 of 3"), std::string::npos)
      << result.err;
}

}  // namespace
}  // namespace stereolint
