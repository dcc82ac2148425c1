// What a user meets around the analysis itself: a worker thread the system
// refuses, standard output that cannot take the results, a run stopped with
// Ctrl-C or a termination request, settings that would measure nothing, and
// views too large for the image library. Each case runs the real binary
// through a shell that sets the situation up.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <opencv2/imgcodecs.hpp>

#include "support/FootageFiles.h"
#include "support/Process.h"
#include "support/TempFolder.h"

namespace stereolint {
namespace {

namespace fs = std::filesystem;
using test::ProcessResult;

const std::string kParameters =
    "WIDTH:10,HEIGHT:10,DETECTOR:ORB,EXTRACTOR:ORB,MATCHER:BruteForce-Hamming,"
    "HIERARCHY:VERTICAL";

std::string quoted(const std::string& word) { return "'" + word + "'"; }

class RunControl : public ::testing::Test {
 protected:
  void SetUp() override {
    // Readable and writable by the unprivileged user of the thread-limit case.
    fs::permissions(folder.path(), fs::perms::all);
  }
  void makeVideo(int frames, cv::Size size = {320, 240}) {
    ASSERT_TRUE(test::writeVideo(folder.file("take.avi"),
                                 test::sideBySideFrames(test::shiftedPairs(frames, size, 4)),
                                 "MJPG"));
    fs::permissions(folder.file("take.avi"), fs::perms::all);
  }
  // The program's command line as shell words, with `input` and the output
  // prefix out/.
  std::string command(const std::string& input = "take.avi", const std::string& threads = "1",
                      const std::string& parameters = kParameters) const {
    return quoted(STEREOLINT_BINARY) + " -m CONSOLE -d Stereolint -t " + threads + " -p " +
           quoted(parameters) + " -i " + input + " -o VERTICALLY -r out/";
  }
  ProcessResult shell(const std::string& script) {
    return test::runProcess("/bin/bash", {"-c", script}, {folder.path(), {}, {}});
  }
  std::vector<std::string> tableRows() const {
    return test::readLines(folder.file("out/RESULTS.csv"));
  }
  void expectNoTemporaryFiles() const {
    for (const auto& entry : fs::directory_iterator(folder.file("out"))) {
      EXPECT_EQ(entry.path().string().find(".partial"), std::string::npos) << entry.path();
    }
  }
  test::TempFolder folder;
};

TEST_F(RunControl, AWorkerThreadTheSystemRefusesEndsTheRunWithAnError) {
  makeVideo(3);
  // Root is exempt from the process limit: run as an unprivileged user then.
  std::string prefix;
  if (geteuid() == 0) {
    if (!fs::exists("/usr/bin/setpriv")) GTEST_SKIP() << "setpriv (util-linux) is missing";
    prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups -- ";
  }
  // LeakSanitizer, in the sanitizer build, needs a thread of its own at the
  // exit, which the limit refuses too.
  const ProcessResult result =
      shell(prefix + "bash -c " +
            quoted("export ASAN_OPTIONS=\"${ASAN_OPTIONS:-}:detect_leaks=0\"; ulimit -u 1; exec " +
                   command()));
  EXPECT_EQ(result.exitCode, 255) << result.err;
  EXPECT_NE(result.err.find("Error: \n\t[runtime phase]: Thread::run - [frame]\n"
                            "\t[message      ]: take : 1 / 3 (320 x 240): the worker thread "
                            "cannot be started"),
            std::string::npos)
      << result.err;
}

TEST_F(RunControl, AFullOrClosedStandardOutputIsReportedAndTheFilesAreStillWritten) {
  makeVideo(2);
  for (const std::string redirect : {"> /dev/full", ">&-"}) {
    SCOPED_TRACE(redirect);
    fs::remove_all(folder.file("out"));
    const ProcessResult result = shell(command() + " " + redirect);
    EXPECT_EQ(result.exitCode, 255);
    EXPECT_NE(result.err.find("Cannot print the results on standard output"), std::string::npos)
        << result.err;
    EXPECT_EQ(tableRows().size(), 3u) << "the header and both frames";
    EXPECT_TRUE(fs::exists(folder.file("out/2_2_SUMMARY.png")));
  }
}

TEST_F(RunControl, AReaderThatStopsEarlyDoesNotCutTheRunShort) {
  makeVideo(4);
  const ProcessResult result =
      shell(command() + " | head -1 > first-line; echo ${PIPESTATUS[0]} > status");
  EXPECT_EQ(test::readTextFile(folder.file("first-line")), "take : 1 / 4 VERTICAL\n");
  EXPECT_EQ(test::readTextFile(folder.file("status")), "255\n") << result.err;
  EXPECT_EQ(tableRows().size(), 5u) << "every frame is still analysed and written";
}

TEST_F(RunControl, AStopRequestLetsTheFramesInFlightFinish) {
  makeVideo(120, {640, 480});
  for (const auto& [signal, status] : {std::pair<std::string, std::string>{"INT", "130"},
                                       std::pair<std::string, std::string>{"TERM", "143"}}) {
    SCOPED_TRACE(signal);
    fs::remove_all(folder.file("out"));
    // The signal goes once the run has printed its first block: its stop
    // handlers are in place by then (a background job of a shell that is not
    // interactive starts with SIGINT ignored). The wait is bounded. The take
    // is long enough that a loaded machine cannot finish it before the
    // signal lands; the stopped run does not read the rest.
    const ProcessResult result =
        shell(command("take.avi", "2") +
              " > printed & pid=$!; for i in $(seq 600); do grep -q -- '^----' printed && break; "
              "sleep 0.05; done; kill -" + signal + " $pid; wait $pid; echo $? > status");
    EXPECT_EQ(test::readTextFile(folder.file("status")), status + "\n") << result.err;
    EXPECT_NE(result.err.find("Stopped by SIG" + signal + " after "), std::string::npos)
        << result.err;
    const std::string printed = test::readTextFile(folder.file("printed"));
    const auto frames = static_cast<size_t>(std::count(printed.begin(), printed.end(), '\n') / 12);
    EXPECT_GT(frames, 0u);
    EXPECT_LT(frames, 120u) << "the run stopped early";
    EXPECT_EQ(tableRows().size(), frames + 1) << "every printed frame has its row";
    expectNoTemporaryFiles();
  }
}

// A quality-control run stopped before its end judged part of the take: it
// says so on the console and in its report, and gives the take no verdict.
TEST_F(RunControl, AStoppedQualityControlRunGivesNoTakeVerdict) {
  makeVideo(120, {640, 480});
  const ProcessResult result =
      shell(command("take.avi", "2") +
            " --qc > printed & pid=$!; for i in $(seq 600); do grep -q -- '^----' printed && break; "
            "sleep 0.05; done; kill -TERM $pid; wait $pid; echo $? > status");
  EXPECT_EQ(test::readTextFile(folder.file("status")), "143\n") << result.err;
  const std::vector<std::string> printed = test::readLines(folder.file("printed"));
  ASSERT_FALSE(printed.empty());
  EXPECT_EQ(printed.back().rfind("Take not judged: stopped by SIGTERM after ", 0), 0u)
      << printed.back();
  const std::string report = test::readTextFile(folder.file("out/report.json"));
  EXPECT_NE(report.find("\"stopped\": \"SIGTERM\""), std::string::npos);
  EXPECT_NE(report.find("\"take\": null"), std::string::npos) << "no take verdict";
  const std::string page = test::readTextFile(folder.file("out/report.html"));
  EXPECT_NE(page.find("The run was stopped by SIGTERM after "), std::string::npos);
}

TEST_F(RunControl, ReadingEndsWhenTheSelectionNamesNoLaterFrame) {
  makeVideo(40);
  // The second half of the file is gone: reading that far would end with a
  // warning about the damaged end.
  fs::resize_file(folder.file("take.avi"), fs::file_size(folder.file("take.avi")) / 2);
  const ProcessResult result = shell(command() + " -s 1-2");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.err, "") << "frames past the selection are not read";
  EXPECT_EQ(tableRows().size(), 3u);
}

TEST_F(RunControl, SettingsThatMeasureNothingAreNamed) {
  makeVideo(1);
  const ProcessResult blanks =
      shell(command("take.avi", "1", "WIDTH:5, HEIGHT:5, HIERARCHY:VERTICAL"));
  EXPECT_EQ(blanks.exitCode, 0);
  EXPECT_NE(blanks.err.find("HIERARCHY names no step (found: nothing;"), std::string::npos)
      << blanks.err;
  const ProcessResult misspelt = shell(command("take.avi tkae.avi"));
  EXPECT_NE(misspelt.err.find("The second input tkae.avi is not a readable file: take.avi is "
                              "analysed alone"),
            std::string::npos)
      << misspelt.err;
}

TEST_F(RunControl, BlackViewsAreNamedAsTheReasonNothingIsMeasured) {
  cv::imwrite(folder.file("black.png"), cv::Mat(240, 640, CV_8UC3, cv::Scalar::all(0)));
  const ProcessResult result = shell(command("black.png"));
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.err.find("black : 1 / 1: nothing was measured: both views are black"),
            std::string::npos)
      << result.err;
}

TEST_F(RunControl, ViewsTooLargeForTheImageLibraryAreRefusedBeforeTheWork) {
  cv::imwrite(folder.file("wide.png"), cv::Mat(4, 65540, CV_8UC3, cv::Scalar::all(90)));
  const ProcessResult result = shell(command("wide.png"));
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_NE(result.err.find("The views of wide.png (32770 x 4) are too large: views must be "
                            "smaller than 32767 pixels in each direction"),
            std::string::npos)
      << result.err;
  EXPECT_FALSE(fs::exists(folder.file("out/1_1_LEFT.png")));
}

TEST_F(RunControl, WorkersAreBoundedByTheMemoryOfTheProcessGroup) {
  makeVideo(4);
  // The run goes into a new memory control group of its own with a 500 MiB
  // limit, as a batch scheduler would give a job (version 1 or 2).
  const std::string script = R"(
    v1=$(awk -F: '$2=="memory"{print $3}' /proc/self/cgroup)
    v2=$(awk -F: '$1=="0"{print $3}' /proc/self/cgroup)
    if [ -n "$v1" ] && [ -d "/sys/fs/cgroup/memory$v1" ]; then
      parent=/sys/fs/cgroup/memory$v1; limit=memory.limit_in_bytes
    elif [ -f "/sys/fs/cgroup$v2/cgroup.controllers" ]; then
      parent=/sys/fs/cgroup$v2; limit=memory.max
    else
      exit 77
    fi
    group=$parent/stereolint-test-$$
    mkdir "$group" 2>/dev/null && echo 500M > "$group/$limit" 2>/dev/null || exit 77
    (echo $BASHPID > "$group/cgroup.procs" && exec )" +
                             command("take.avi", "40") + R"()
    status=$?
    rmdir "$group"
    exit $status)";
  const ProcessResult result = shell(script);
  if (result.exitCode == 77) GTEST_SKIP() << "no memory control group can be made here";
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.err.find("workers, not the 40 asked: a frame of 320 x 240 views takes about "),
            std::string::npos)
      << result.err;
  EXPECT_EQ(tableRows().size(), 5u) << "every frame is still analysed";
}

}  // namespace
}  // namespace stereolint
