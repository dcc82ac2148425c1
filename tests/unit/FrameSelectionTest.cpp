#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <sstream>
#include <vector>

#include "app/ShotScan.h"
#include "sources/FrameSampling.h"
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

namespace stereolint {
namespace {

std::vector<std::int64_t> sampledAmong(const FrameSampling& sampling, const std::string& text,
                                       std::int64_t to) {
  std::vector<std::int64_t> places;
  const FrameSelection selection = parseSequence(text);
  for (auto place = sampling.nextFrom(1, selection); place && *place <= to;
       place = sampling.nextFrom(*place + 1, selection)) {
    places.push_back(*place);
  }
  return places;
}

TEST(FrameSampling, EveryNthFrameCountsFromTheTakesFirstFrameWhateverTheSelection) {
  using Places = std::vector<std::int64_t>;
  const FrameSampling every = FrameSampling::every(24);
  EXPECT_EQ(sampledAmong(every, "", 100), (Places{1, 25, 49, 73, 97}));
  // A range split over two runs analyses the same frames as one run.
  EXPECT_EQ(sampledAmong(every, "10-80", 100), (Places{25, 49, 73}));
  EXPECT_EQ(sampledAmong(every, "1-48", 100), (Places{1, 25}));
  EXPECT_EQ(sampledAmong(every, "49-100", 100), (Places{49, 73, 97}));
  EXPECT_EQ(sampledAmong(every, "2,26,27", 100), (Places{}));
  EXPECT_EQ(every.countWithin(100, parseSequence("10-80")), 3);
  EXPECT_TRUE(FrameSampling::every(1).takesAll());
  EXPECT_FALSE(every.takesAll());
}

TEST(FrameSampling, ChosenPlacesMeetTheSelection) {
  using Places = std::vector<std::int64_t>;
  const FrameSampling chosen = FrameSampling::places({40, 6, 16, 6, 90});
  EXPECT_EQ(sampledAmong(chosen, "", 100), (Places{6, 16, 40, 90}));
  EXPECT_EQ(sampledAmong(chosen, "10-50", 100), (Places{16, 40}));
  EXPECT_EQ(chosen.countWithin(50, parseSequence("")), 3);
  EXPECT_FALSE(chosen.takes(7));
}

TEST(SpreadOverShot, TakesTheMiddlesOfEqualParts) {
  using Places = std::vector<std::int64_t>;
  Places shot;
  for (std::int64_t place = 101; place <= 200; ++place) shot.push_back(place);
  EXPECT_EQ(spreadOverShot(shot, 2), (Places{126, 176}));
  EXPECT_EQ(spreadOverShot(shot, 1), (Places{151}));
  EXPECT_EQ(spreadOverShot(Places{5, 6, 7}, 4), (Places{5, 6, 7}));
}

}  // namespace
}  // namespace stereolint
