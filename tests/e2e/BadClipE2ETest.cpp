// Damaged raw clips and sidecars, run through the real binary with the
// stand-in decoder: headers that claim more than the file holds, a clip too
// small to cut into views, a selection past the end, and RMD sidecars made
// of enormous lines or binary junk.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include <opencv2/imgcodecs.hpp>

#include "r3d-standin/StandinClipWriter.h"
#include "support/ConsoleText.h"
#include "support/FootageFiles.h"
#include "support/Process.h"
#include "support/TempFolder.h"

namespace stereolint {
namespace {

using test::ProcessResult;

const std::string kParameters =
    "WIDTH:10,HEIGHT:10,DETECTOR:ORB,EXTRACTOR:ORB,MATCHER:BruteForce-Hamming,HIERARCHY:VERTICAL";
const std::string kLibrary = std::string(STANDIN_FOLDER) + "/REDR3D-x86.dll";
const std::string kFlipHorizontal = "<fliphorizontal type=\"bool\" value=\"true\"/>";
const std::string kFlipVertical = "<flipvertical type=\"bool\" value=\"true\"/>";

using test::errorBlock;

void writeClip(const std::string& path, const std::vector<cv::Mat>& pictures) {
  ASSERT_TRUE(test::writeStandinClip(path, pictures));
}

// `clip` with its header's width, height and frame count replaced (the
// little-endian words at bytes 4, 8 and 12).
std::string withHeader(std::string clip, std::uint32_t width, std::uint32_t height,
                       std::uint32_t frames) {
  const std::uint32_t words[3] = {width, height, frames};
  for (int w = 0; w < 3; ++w) {
    for (int b = 0; b < 4; ++b) clip[4 + 4 * w + b] = static_cast<char>(words[w] >> (8 * b));
  }
  return clip;
}

// Bytes of every value, line ends and NULs among them, the same every run.
std::string binaryJunk(size_t size, unsigned seed) {
  cv::RNG rng(seed);
  std::string junk(size, '\0');
  for (char& c : junk) c = static_cast<char>(rng.uniform(0, 256));
  return junk;
}

class BadClips : public ::testing::Test {
 protected:
  void SetUp() override {
    pairs = test::shiftedPairs(3, {120, 90}, 8);
    writeClip(folder.file("take.R3D"), test::sideBySideFrames(pairs));
    std::filesystem::copy_file(kLibrary, folder.file("REDR3D-x86.dll"));
  }
  ProcessResult run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"-m", "CONSOLE", "-d", "Stereolint", "-p", kParameters,
                                         "-r", "out/", "-t", "2"});
    return test::runProcess(STEREOLINT_BINARY, arguments, {folder.path(), {}, {"R3DSDKPATH"}});
  }
  void expectRefused(const std::vector<std::string>& arguments, const std::string& err) {
    const ProcessResult result = run(arguments);
    EXPECT_EQ(result.exitCode, 255) << result.out;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, err);
    EXPECT_FALSE(std::filesystem::exists(folder.file("out")));
  }
  std::vector<test::StereoPair> pairs;
  test::TempFolder folder;
};

TEST_F(BadClips, HeaderClaimingMoreThanTheFileHoldsIsRefused) {
  const std::string clip = test::readTextFile(folder.file("take.R3D"));
  const std::vector<std::pair<std::string, std::string>> lies = {
      {"more frames.R3D", withHeader(clip, 240, 90, 4)},
      {"wider.R3D", withHeader(clip, 480, 90, 3)},
      {"taller.R3D", withHeader(clip, 240, 180, 3)},
      // 65536 x 65536 x 6 bytes x 2^31 frames is 0 modulo 2^64.
      {"enormous.R3D", withHeader(clip.substr(0, 16), 65536, 65536, 1u << 31)},
  };
  for (const auto& [name, bytes] : lies) {
    SCOPED_TRACE(name);
    test::writeTextFile(folder.file(name), bytes);
    const auto start = std::chrono::steady_clock::now();
    expectRefused({"-i", name, "-o", "VERTICALLY"},
                  errorBlock("ConsoleApplication::run - [R3D]", "Cannot open the clip " + name));
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
              10.0);
  }
}

TEST_F(BadClips, ClipTooSmallToCutIntoTwoViews) {
  writeClip(folder.file("dot.R3D"), {cv::Mat(1, 1, CV_8UC3, cv::Scalar(1, 2, 3))});
  expectRefused({"-i", "dot.R3D", "-o", "VERTICALLY"},
                errorBlock("ConsoleApplication::run - [R3D]",
                           "The clip dot.R3D (1 x 1) is too small to cut into two views"));
}

TEST_F(BadClips, SelectionPastTheEndIsAnError) {
  expectRefused({"-i", "take.R3D", "-o", "VERTICALLY", "-s", "7,"},
                errorBlock("ConsoleApplication::run - [sequence]",
                           "No frame of take.R3D is in the selection \"7,\" (frames 1 to 3 were "
                           "read)"));
}

// Sidecars are scanned line by line for their markers, as text that is
// never parsed, so neither lines of megabytes nor bytes of any value upset
// them.
TEST_F(BadClips, SidecarsOfHugeLinesOrBinaryJunk) {
  const struct {
    std::string clip;
    std::string sidecar;
    int flip;  // cv::flip code of the expected mirroring, or 2 for none
  } cases[] = {
      {"long", "<clip>" + std::string(4 << 20, 'x') + kFlipHorizontal + std::string(1 << 20, 'y'),
       1},
      {"junk", binaryJunk(1 << 20, 1) + "\n" + kFlipVertical + "\n" + binaryJunk(1 << 20, 2), 0},
      {"noise", binaryJunk(1 << 20, 3) + "<fliphorizontal type=\"bool\"" + binaryJunk(1 << 10, 4),
       2},
  };
  for (const auto& sample : cases) {
    SCOPED_TRACE(sample.clip);
    std::filesystem::copy_file(folder.file("take.R3D"), folder.file(sample.clip + ".R3D"));
    test::writeTextFile(folder.file(sample.clip + ".RMD"), sample.sidecar);
    const ProcessResult result =
        run({"-i", sample.clip + ".R3D", "-o", "VERTICALLY", "-s", "2,", "-r", sample.clip + "/"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    cv::Mat expected = test::deepFrame(pairs[1].left);
    if (sample.flip != 2) cv::flip(expected, expected, sample.flip);
    const cv::Mat left =
        cv::imread(folder.file(sample.clip + "/2_3_LEFT.png"), cv::IMREAD_UNCHANGED);
    ASSERT_EQ(left.size(), expected.size());
    EXPECT_EQ(cv::norm(left, expected, cv::NORM_INF), 0.0);
  }
}

TEST_F(BadClips, SidecarThatIsANamedPipeIsNotRead) {
  std::filesystem::copy_file(folder.file("take.R3D"), folder.file("piped.R3D"));
  ASSERT_EQ(mkfifo(folder.file("piped.RMD").c_str(), 0600), 0);
  std::vector<std::string> arguments = {"-m", "CONSOLE",    "-d", "Stereolint", "-p", kParameters,
                                        "-r", "out/",       "-t", "2",          "-i", "piped.R3D",
                                        "-o", "VERTICALLY", "-s", "1,"};
  test::BackgroundProcess process(STEREOLINT_BINARY, arguments,
                                  {folder.path(), {}, {"R3DSDKPATH"}});
  for (int i = 0; i < 100 && process.running(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_FALSE(process.running()) << "it waits for a writer to open the pipe";
  const ProcessResult result = process.wait();
  EXPECT_EQ(result.exitCode, 0) << result.err;
  const cv::Mat left = cv::imread(folder.file("out/1_3_LEFT.png"), cv::IMREAD_UNCHANGED);
  ASSERT_EQ(left.size(), pairs[0].left.size());
  EXPECT_EQ(cv::norm(left, test::deepFrame(pairs[0].left), cv::NORM_INF), 0.0) << "not mirrored";
}

TEST_F(BadClips, ALibraryRefusedForItsVersionIsWhatTheErrorReports) {
  // The working folder holds no library; R3DSDKPATH holds one too old.
  std::filesystem::remove(folder.file("REDR3D-x86.dll"));
  const std::string tooOld = std::string(STANDIN_FOLDER_V702) + "/";
  std::vector<std::string> arguments = {"-m", "CONSOLE", "-d", "Stereolint", "-p", kParameters,
                                        "-r", "out/", "-t", "2", "-i", "take.R3D",
                                        "-o", "VERTICALLY"};
  const ProcessResult result = test::runProcess(
      STEREOLINT_BINARY, arguments, {folder.path(), {{"R3DSDKPATH", STANDIN_FOLDER_V702}}, {}});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_EQ(result.out, "");
  const std::string tooOldReason =
      "library version 7.0.2 is older than this program's decoder layer 7.0.3";
  EXPECT_NE(result.err.find("Cannot load the decoding library REDR3D-x86.dll: status 6 (version "
                            "rule failed: the library and this program do not fit together): " +
                            tooOldReason + "; folders tried: ./ (status 2: no library file there) " +
                            tooOld + " (status 6, version 7.0.2: " + tooOldReason + ")\n"),
            std::string::npos)
      << result.err;
  EXPECT_FALSE(std::filesystem::exists(folder.file("out")));
}

TEST_F(BadClips, ALibraryFileTheSystemCannotLoadIsReportedWithTheSystemsText) {
  test::writeTextFile(folder.file("REDR3D-x86.dll"),
                      "This text stands where the decoding library should be.\n"
                      "It is long enough to hold an executable's header, but is none.\n");
  const ProcessResult result = run({"-i", "take.R3D", "-o", "VERTICALLY"});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_EQ(result.out, "");
  const std::string headline =
      "Cannot load the decoding library REDR3D-x86.dll: status 2 (the library file could not "
      "be loaded or initialised): not a loadable library: ";
  const size_t at = result.err.find(headline);
  ASSERT_NE(at, std::string::npos) << result.err;
  // The system names the file and what is wrong with it.
  const std::string rest = result.err.substr(at + headline.size());
  EXPECT_NE(rest.find("REDR3D-x86.dll: invalid ELF header; folders tried: ./ (status 2: not a "
                      "loadable library: "),
            std::string::npos)
      << rest;
  EXPECT_FALSE(std::filesystem::exists(folder.file("out")));
}

}  // namespace
}  // namespace stereolint
