// Quality control of one take while its frames come in, in any order.
//
// The session judges each frame as it is added, and walks the frames in
// take order as far as they are all present: there it finds the cuts, and
// each shot is complete as soon as the first frame after its cut is in. So
// the console can print a line per shot while workers still run. The
// session prints nothing and is used by one thread.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <vector>

#include "qc/FrameAssessment.h"
#include "qc/FrameRecord.h"
#include "qc/PictureFilter.h"
#include "qc/QcLimits.h"
#include "qc/Shot.h"

namespace stereolint::qc {

// The shots a reading pass over every selected frame found (--per-shot,
// --every): the frame number each shot starts at, and the last frame read.
// The first start is the first frame read, a cut or not; the signatures of
// the first and last frames read tell a merge whether the pass of the part
// after it starts a shot there (unknown: a cut is assumed).
struct ShotScan {
  std::vector<int> starts;
  int lastFrame = 0;
  FrameSignature first;
  FrameSignature last;
  bool operator==(const ShotScan& other) const {
    return starts == other.starts && lastFrame == other.lastFrame && first == other.first &&
           last == other.last;
  }
};

// What one add() or finish() brought.
struct SessionUpdate {
  // add(): false when the frame is not one of the expected frames, was
  // added before, or came after finish(); it is then ignored.
  bool accepted = true;
  // add(): the added frame's judgement (decides its pictures, see
  // decidePictures).
  FrameAssessment assessment;
  // Shots completed by this call, in take order.
  std::vector<Shot> closedShots;
  // Under PictureMode::Flagged and Worst only: held frames whose pictures
  // are now to be written, being the worst frame of a completed shot, and
  // held frames whose pictures are no longer needed. Every held
  // frame appears in exactly one of the two lists once, at the latest in
  // finish(). At most one held frame per open shot waits for its shot to
  // close, beside the frames still waiting for an earlier frame to arrive.
  std::vector<int> writeHeld;
  std::vector<int> dropHeld;
  // Whatever the picture mode, for what a run keeps of the frames that may
  // be a shot's worst: the worst frames of the shots this call completed,
  // and the frames that the walk found to be no shot's worst (inconclusive,
  // ranked below the open shot's worst, or overtaken by a worse one). Every
  // accepted frame appears in exactly one of the two lists once, at the
  // latest in finish().
  std::vector<int> shotWorst;
  std::vector<int> notWorst;
};

class QcSession {
 public:
  // `expectedFrames`: the numbers of the frames the run analyses, in take
  // order. Every one of them must be added (a frame that fails is added with
  // failedFrameRecord), or the walk waits for it until finish().
  QcSession(QcLimits limits, std::vector<int> expectedFrames,
            PictureMode pictures = PictureMode::All);

  // Expects one more frame, after those expected so far in take order: for
  // a run that learns its frames' numbers only as it reads them (an image
  // sequence numbered by its file names). A frame expected already, and a
  // call after finish(), do nothing.
  void expect(int frame);

  // Takes the cuts from a reading pass over every frame (--per-shot), not
  // from the signatures of the frames added: a shot starts at each of
  // `scan.starts` (frame numbers), and a cut lies between two consecutive
  // added frames when a start lies after the first and at or before the
  // second. A shot's range is then the whole shot the pass read, from its
  // start to the frame before the next start (`scan.lastFrame` for the
  // last), not only its frames analysed. Called before the first add().
  void useCuts(const ShotScan& scan);

  SessionUpdate add(FrameRecord record);
  // Walks what is left, skipping frames that never came, and completes the
  // last shot. Later calls of add() and finish() do nothing.
  SessionUpdate finish();

  const QcLimits& limits() const { return qcLimits; }
  // The shots completed so far, in take order.
  const std::vector<Shot>& shots() const { return completed; }
  // Every accepted frame, in frame-number order.
  std::vector<FrameRecord> frames() const;
  // Every accepted frame, in frame-number order, moved out of the session
  // (for the report at the end of a run): frames() is empty afterwards,
  // shots() and take() stay as they were.
  std::vector<FrameRecord> releaseFrames();
  // The take's verdict from the shots completed so far (the final one after
  // finish()), with the counts of every accepted frame.
  TakeSummary take() const;
  // The same with `shots` in place of the completed shots (their verdicts
  // changed by the eyes' timing, see applyEyeSync).
  TakeSummary take(const std::vector<Shot>& shots) const;

 private:
  bool isExpected(int frame) const;
  void walk(SessionUpdate& update);
  void step(int frame, SessionUpdate& update);
  void closeShot(SessionUpdate& update);

  QcLimits qcLimits;
  std::vector<int> expected;
  // The numbers of `expected`, ascending and each once: a take's frames
  // come in ascending order, so each is appended, at 4 bytes a frame.
  std::vector<int> expectedSorted;
  PictureMode pictures;
  std::map<int, FrameRecord> records;
  std::map<int, FrameAssessment> assessments;  // of the frames not in a closed shot
  std::array<int, kVerdictCount> framesByVerdict{};  // of every accepted frame
  size_t cursor = 0;  // the next expected frame the walk has not reached
  std::vector<int> openShot;
  // The open shot's worst conclusive frame so far (frame numbers start at
  // 0 in some sequences); empty when none is.
  std::optional<int> openWorst;
  bool finished = false;
  std::vector<Shot> completed;
  std::optional<ShotScan> scan;  // useCuts
};

// The shots of a whole set of frames: a session over them in frame-number
// order, cut where `scan` says when given. What a run's report holds, and
// what merging reports recomputes.
std::vector<Shot> shotsOf(const std::vector<FrameRecord>& frames, const QcLimits& limits,
                          const std::optional<ShotScan>& scan = std::nullopt);

// The verdict and counts of a take of `shots` and `frames`.
TakeSummary summarizeTake(const std::vector<Shot>& shots, const std::vector<FrameRecord>& frames,
                          const QcLimits& limits);

}  // namespace stereolint::qc
