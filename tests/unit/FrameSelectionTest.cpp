#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <sstream>
#include <vector>

#include "sources/FrameSelection.h"
#include "util/Numbers.h"

namespace stereolint {
namespace {

// The selection as one list entry per frame, built the plain way; only for
// texts with small ranges.
std::vector<int> listedFrames(const std::string& text) {
  std::vector<int> frames;
  const size_t dash = text.find('-');
  if (dash != std::string::npos) {
    const int last = leadingInteger(text.substr(dash + 1));
    for (int frame = leadingInteger(text.substr(0, dash)); frame <= last; ++frame) {
      frames.push_back(frame);
    }
  } else if (text.find(',') != std::string::npos) {
    std::istringstream pieces(text + ",");
    for (std::string piece; std::getline(pieces, piece, ',');) {
      frames.push_back(leadingInteger(piece));
    }
  }
  return frames;
}

std::vector<int> selectedAmong(const std::string& text, int from, int to) {
  const FrameSelection selection = parseSequence(text);
  std::vector<int> ids;
  for (int id = from; id <= to; ++id) {
    if (selection.contains(id)) ids.push_back(id);
  }
  return ids;
}

TEST(ParseSequence, DocumentedSelections) {
  using Ids = std::vector<int>;
  EXPECT_EQ(selectedAmong("3-5", -2, 9), (Ids{3, 4, 5}));
  EXPECT_EQ(selectedAmong("2,7,9", -2, 9), (Ids{2, 7, 9}));
  EXPECT_EQ(selectedAmong("7,", -2, 9), (Ids{0, 7}));
  EXPECT_EQ(selectedAmong("1-3,9", -2, 9), (Ids{1, 2, 3})) << "\"3,9\" reads as 3";
  for (const char* everyFrame : {"", "7", "5-3"}) {
    EXPECT_TRUE(parseSequence(everyFrame).selectsAll()) << everyFrame;
    EXPECT_EQ(selectedAmong(everyFrame, 1, 4), (Ids{1, 2, 3, 4})) << everyFrame;
  }
}

TEST(ParseSequence, HugeRangesAreNotListedFrameByFrame) {
  const FrameSelection selection = parseSequence("1-2000000000");
  EXPECT_FALSE(selection.contains(0));
  EXPECT_TRUE(selection.contains(1));
  EXPECT_TRUE(selection.contains(2000000000));
  EXPECT_FALSE(selection.contains(2000000001));
  EXPECT_TRUE(parseSequence("2-99999999999").contains(INT_MAX));
}

TEST(ParseSequence, AgreesWithTheFrameListItStandsFor) {
  for (const char* text :
       {"0",        "5-5",   "-3",  "3-",    "-",    "--2",   "2--1",  ",",     ",7", "7,,8",
        " 4, 6 ,x", "1-2-3", "a-4", "+2-+4", "-3-2", "9,2,2", "3x,y4", "3 - 6", "x",  "x,"}) {
    const std::vector<int> frames = listedFrames(text);
    const FrameSelection selection = parseSequence(text);
    EXPECT_EQ(selection.selectsAll(), frames.empty()) << '"' << text << '"';
    for (int id = -4; id <= 12; ++id) {
      const bool listed =
          frames.empty() || std::find(frames.begin(), frames.end(), id) != frames.end();
      EXPECT_EQ(selection.contains(id), listed) << '"' << text << "\" at " << id;
    }
  }
}

}  // namespace
}  // namespace stereolint
