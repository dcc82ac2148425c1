#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <random>
#include <set>

#include "QcTestData.h"
#include "qc/ConsoleLines.h"
#include "qc/QcSession.h"

namespace stereolint::qc {
namespace {

std::vector<int> numbersOf(const std::vector<FrameRecord>& frames) {
  std::vector<int> numbers;
  for (const FrameRecord& record : frames) numbers.push_back(record.frame);
  return numbers;
}

TEST(QcSession, ShotsCompleteAsSoonAsTheFramesUpToTheCutAreIn) {
  const std::vector<FrameRecord> frames = test::plannedTake({{0, 4, 0.5}, {1, 4, 5.0}});
  QcSession session(defaultLimits(), numbersOf(frames));
  // Frames 5 (after the cut) and 2..4 arrive before frame 1.
  for (int index : {4, 1, 2, 3})
    EXPECT_TRUE(session.add(frames[static_cast<size_t>(index)]).closedShots.empty());
  const SessionUpdate first = session.add(frames[0]);
  ASSERT_EQ(first.closedShots.size(), 1u);
  EXPECT_EQ(first.closedShots[0].lastFrame, 4);
  for (size_t i = 5; i < frames.size(); ++i) EXPECT_TRUE(session.add(frames[i]).closedShots.empty());
  const SessionUpdate last = session.finish();
  ASSERT_EQ(last.closedShots.size(), 1u);
  EXPECT_EQ(last.closedShots[0].firstFrame, 5);
  EXPECT_FALSE(session.add(frames[0]).accepted) << "after finish";
}

TEST(QcSession, AFrameThatNeverComesHoldsTheWalkUntilFinish) {
  const std::vector<FrameRecord> frames = test::plannedTake({{0, 4, 0.5}, {1, 4, 5.0}});
  QcSession session(defaultLimits(), numbersOf(frames));
  for (const FrameRecord& record : frames) {
    if (record.frame == 3) continue;
    EXPECT_TRUE(session.add(record).closedShots.empty());
  }
  const SessionUpdate last = session.finish();
  ASSERT_EQ(last.closedShots.size(), 2u);
  EXPECT_EQ(last.closedShots[0].frameCount, 3) << "frames 1, 2 and 4";
  EXPECT_EQ(last.closedShots[1].firstFrame, 5);
  EXPECT_EQ(session.take().verdict, Verdict::Fix);
}

TEST(QcSession, FramesExpectedOneByOneAsTheyAreReadGiveTheSameShots) {
  // Frames numbered from 1001, as an image sequence's files are, expected as
  // they are read while workers finish out of order.
  std::vector<FrameRecord> frames = test::plannedTake({{0, 4, 0.5}, {1, 4, 5.0}});
  for (FrameRecord& record : frames) record.frame += 1000;
  QcSession session(defaultLimits(), {});
  EXPECT_FALSE(session.add(frames[0]).accepted) << "not expected yet";
  for (size_t i = 0; i < 5; ++i) session.expect(frames[i].frame);
  session.expect(frames[2].frame);  // twice: ignored
  for (size_t index : {4, 1, 2, 3}) EXPECT_TRUE(session.add(frames[index]).closedShots.empty());
  const SessionUpdate first = session.add(frames[0]);
  ASSERT_EQ(first.closedShots.size(), 1u);
  EXPECT_EQ(first.closedShots[0].firstFrame, 1001);
  EXPECT_EQ(first.closedShots[0].lastFrame, 1004);
  for (size_t i = 5; i < frames.size(); ++i) {
    session.expect(frames[i].frame);
    EXPECT_TRUE(session.add(frames[i]).accepted);
  }
  session.finish();
  const std::vector<Shot> whole = shotsOf(frames, defaultLimits());
  ASSERT_EQ(session.shots().size(), whole.size());
  for (size_t i = 0; i < whole.size(); ++i)
    EXPECT_EQ(shotLine(session.shots()[i], Timecode()), shotLine(whole[i], Timecode()));
}

TEST(QcSession, ArrivalOrderChangesNothing) {
  const std::vector<FrameRecord> frames = test::fourShotTake().frames;
  const std::vector<Shot> inOrder = shotsOf(frames, defaultLimits());
  std::vector<size_t> order(frames.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::shuffle(order.begin(), order.end(), std::mt19937(5));
  QcSession session(defaultLimits(), numbersOf(frames));
  for (size_t index : order) session.add(frames[index]);
  EXPECT_FALSE(session.add(frames[0]).accepted) << "a frame added twice";
  session.finish();
  ASSERT_EQ(session.shots().size(), inOrder.size());
  for (size_t i = 0; i < inOrder.size(); ++i) {
    EXPECT_EQ(shotLine(session.shots()[i], Timecode()), shotLine(inOrder[i], Timecode()));
    EXPECT_EQ(session.shots()[i].outliers, inOrder[i].outliers);
  }
}

TEST(PictureFilter, ChoicesAreReadAndAnUnknownOneIsRepeatedWithTheValidOnes) {
  EXPECT_EQ(parsePictureMode("flagged").value(), PictureMode::Flagged);
  const Expected<PictureMode> unknown = parsePictureMode("some");
  ASSERT_FALSE(unknown.ok());
  EXPECT_EQ(unknown.error(),
            "Unknown pictures choice \"some\"; the choices are all, flagged, worst, none");
  EXPECT_EQ(decidePictures(PictureMode::All, Verdict::Pass), PictureDecision::Write);
  EXPECT_EQ(decidePictures(PictureMode::None, Verdict::Reject), PictureDecision::Skip);
  EXPECT_EQ(decidePictures(PictureMode::Flagged, Verdict::Reject), PictureDecision::Write);
  EXPECT_EQ(decidePictures(PictureMode::Flagged, Verdict::Fix), PictureDecision::Hold);
}

TEST(QcSession, FlaggedPicturesHoldFramesUntilTheirShotKnowsItsWorst) {
  const std::vector<FrameRecord> frames = test::fourShotTake().frames;
  for (const PictureMode mode : {PictureMode::Flagged, PictureMode::Worst}) {
    SCOPED_TRACE(pictureModeName(mode));
    QcSession session(defaultLimits(), numbersOf(frames), mode);
    std::map<int, std::string> fate;
    auto note = [&](const SessionUpdate& update) {
      for (int frame : update.writeHeld) EXPECT_TRUE(fate.emplace(frame, "written").second) << frame;
      for (int frame : update.dropHeld) EXPECT_TRUE(fate.emplace(frame, "dropped").second) << frame;
    };
    std::set<int> held, writtenAtOnce;
    for (auto it = frames.rbegin(); it != frames.rend(); ++it) {
      const SessionUpdate update = session.add(*it);
      const PictureDecision decision = decidePictures(mode, update.assessment.verdict);
      if (decision == PictureDecision::Hold) {
        held.insert(it->frame);
      } else if (decision == PictureDecision::Write) {
        writtenAtOnce.insert(it->frame);
      }
      note(update);
    }
    note(session.finish());
    EXPECT_EQ(fate.size(), held.size()) << "every held frame is written or dropped";
    // Every judged shot's worst frame is written, at once (a REJECT frame
    // under flagged) or once its shot is complete; the flat shot has none.
    std::set<int> written = writtenAtOnce;
    for (const auto& [frame, what] : fate)
      if (what == "written") written.insert(frame);
    for (const Shot& shot : session.shots()) {
      if (shot.worstFrame) {
        EXPECT_EQ(written.count(*shot.worstFrame), 1u) << shot.number;
      }
    }
    if (mode == PictureMode::Worst) {
      EXPECT_EQ(written.size(), 3u) << "three judged shots";
    } else {
      EXPECT_GT(written.size(), 3u) << "the REJECT frames too";
    }
  }
}

// A sequence numbered from 0 whose frame 0 is its shot's worst: frame 0 is
// a frame like any other, and its held pictures are written.
TEST(QcSession, FrameZeroCanBeTheWorstFrameWhosePicturesAreWritten) {
  const cv::Mat view = test::scenePicture(0, 0);
  const std::vector<FrameRecord> frames = {test::measuredFrame(0, view, 2.0),
                                           test::measuredFrame(1, view, 0.5)};
  QcSession session(defaultLimits(), numbersOf(frames), PictureMode::Flagged);
  std::vector<int> written, dropped;
  for (const FrameRecord& frame : frames) {
    const SessionUpdate update = session.add(frame);
    dropped.insert(dropped.end(), update.dropHeld.begin(), update.dropHeld.end());
  }
  const SessionUpdate last = session.finish();
  written.assign(last.writeHeld.begin(), last.writeHeld.end());
  EXPECT_EQ(written, std::vector<int>{0});
  EXPECT_EQ(dropped, std::vector<int>{1});
  EXPECT_EQ(session.shots().at(0).worstFrame, 0);
}

TEST(ConsoleLines, SayVerdictFramesTimecodeAndWorstValue) {
  const report::ReportContent take = test::fourShotTake();
  const std::vector<Shot> shots = shotsOf(take.frames, take.limits);
  const Timecode timecode = makeTimecode(25.0, "01:00:00:00").value();
  EXPECT_EQ(shotLine(shots[1], timecode),
            "Shot 2 FIX: frames 13-22 (01:00:00:12-01:00:00:21), worst VERTICAL 14.00 rows at frame "
            "15; single frames beyond: 15");
  EXPECT_EQ(shotLine(shots[2], Timecode()), "Shot 3 INCONCLUSIVE: frames 23-28, BLACK VIEW");
  EXPECT_EQ(takeLine(summarizeTake(shots, take.frames, take.limits)),
            "Take REJECT: 4 shots (1 PASS, 1 FIX, 1 REJECT, 1 INCONCLUSIVE), 40 frames, 34 judged "
            "(85 %)")
      << "the six frames of the flat shot are not judged";
}

TEST(Timecode, CountsFramesAtTheNominalRate) {
  const Timecode pal = makeTimecode(25.0, "01:00:00:00").value();
  EXPECT_EQ(*pal.of(1), "01:00:00:00");
  EXPECT_EQ(*pal.of(26), "01:00:01:00");
  const Timecode film = makeTimecode(parseFrameRate("24000/1001").value(), "").value();
  EXPECT_EQ(film.nominalRate(), 24) << "23.976 counts 24 frames a timecode second";
  EXPECT_EQ(*film.of(24 * 3600 + 1), "01:00:00:00");
  EXPECT_EQ(*makeTimecode(29.97, "23:59:59:29").value().of(2), "00:00:00:00") << "wraps";
  EXPECT_FALSE(makeTimecode(std::nullopt, "").value().of(1));
  // The take's first frame is at the start timecode, whatever its number.
  EXPECT_EQ(*makeTimecode(24.0, "01:00:00:00", 0).value().of(0), "01:00:00:00");
  EXPECT_EQ(*makeTimecode(24.0, "01:00:00:00", 1001).value().of(1025), "01:00:01:00");
}

TEST(Timecode, RefusesWhatItCannotRead) {
  EXPECT_NE(makeTimecode(25.0, "1:00:00:00").error().find("HH:MM:SS:FF"), std::string::npos);
  EXPECT_NE(makeTimecode(25.0, "00:00:00:25").error().find("00 to 24"), std::string::npos);
  EXPECT_NE(makeTimecode(25.0, "00:61:00:00").error().find("no time of day"), std::string::npos);
  EXPECT_FALSE(makeTimecode(std::nullopt, "01:00:00:00").ok()) << "no rate to count with";
  EXPECT_FALSE(parseFrameRate("fast").ok());
  EXPECT_FALSE(parseFrameRate("0").ok());
  EXPECT_FALSE(parseFrameRate("24/0").ok());
}

}  // namespace
}  // namespace stereolint::qc
