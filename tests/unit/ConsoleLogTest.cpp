#include "app/ConsoleLog.h"
#include "app/ProgressLine.h"
#include "sources/FrameSampling.h"
#include "sources/FrameSelection.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

namespace stereolint {
namespace {

// Captures the three standard streams for the duration of one test.
class ConsoleLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    oldOut = std::cout.rdbuf(out.rdbuf());
    oldErr = std::cerr.rdbuf(err.rdbuf());
    oldLog = std::clog.rdbuf(log.rdbuf());
  }
  void TearDown() override {
    std::cout.rdbuf(oldOut);
    std::cerr.rdbuf(oldErr);
    std::clog.rdbuf(oldLog);
  }
  std::ostringstream out, err, log;
  std::streambuf *oldOut = nullptr, *oldErr = nullptr, *oldLog = nullptr;
};

TEST_F(ConsoleLogTest, EachLevelWritesItsBlockToItsOwnStream) {
  logWarning("writer", "cannot write out.png");
  logError("ConsoleApplication::run - [extension]",
           "Unsupported file extension or incorrect format");

  EXPECT_EQ(out.str(), "") << "standard output is the results' alone";
  EXPECT_EQ(log.str(),
            "Warning: \n\t[runtime phase]: writer\n\t[message      ]: cannot write out.png\n");
  EXPECT_EQ(err.str(),
            "Error: \n"
            "\t[runtime phase]: ConsoleApplication::run - [extension]\n"
            "\t[message      ]: Unsupported file extension or incorrect format\n");
}

TEST_F(ConsoleLogTest, EmptyTextsStillGiveThreeLines) {
  logError("", "");
  EXPECT_EQ(err.str(), "Error: \n\t[runtime phase]: \n\t[message      ]: \n");
}

}  // namespace
}  // namespace stereolint

namespace stereolint {
namespace {

// A take of 24 frames with frames 1 to 6 selected: after 10 s, 3 frames read
// and 2 analysed. Counting every frame read as one to analyse would say
// (24 - 3) / 0.3 = 70 s.
TEST(ProgressTimeLeft, CountsTheSelectedFramesNotEveryFrameRead) {
  EXPECT_DOUBLE_EQ(secondsLeft({24, 6, 3, 2, 6}, 10.0), 20.0);
  EXPECT_DOUBLE_EQ(secondsLeft({24, 24, 3, 2, 24}, 10.0), 110.0) << "every frame selected";
  EXPECT_DOUBLE_EQ(secondsLeft({24, 6, 12, 6, 24}, 10.0), 10.0)
      << "a selection that named nothing read reads on to the end";
  EXPECT_DOUBLE_EQ(secondsLeft({24, 6, 6, 6, 6}, 10.0), 0.0)
      << "reading ends with the last frame selected";
  EXPECT_DOUBLE_EQ(secondsLeft({24, 6, 0, 0, 6}, 0.0), 0.0);
  FrameSelection first48 = parseSequence("1-48");
  EXPECT_EQ(FrameSampling().lastWithin(200, first48), 48);
  EXPECT_EQ(FrameSampling::every(5).lastWithin(200, first48), 46);
  EXPECT_EQ(FrameSampling().lastWithin(200, parseSequence("300,")), 200)
      << "nothing selected: the take is read through";
}

}  // namespace
}  // namespace stereolint
