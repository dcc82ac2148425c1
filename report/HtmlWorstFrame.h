// A shot's worst frame in the report's "Worst frames" with its two report
// pictures (see report/WorstPictures.h): the left view with its inliers
// coloured by vertical misalignment and the anaglyph as shot, each a
// reduced copy inline that links to the picture beside the report, and
// beside them the frame's numbers as text.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "qc/FrameAssessment.h"
#include "qc/FrameRecord.h"
#include "qc/Timecode.h"

namespace stereolint::report {

// The pictures of one frame as the page shows them: each a data URI
// ("data:image/jpeg;base64,…") and the link to the file, relative to the
// page; a picture not written has both empty.
struct WorstFrameView {
  std::string residualsUri;
  std::string residualsLink;
  std::string anaglyphUri;
  std::string anaglyphLink;
};

// The view of a frame's report pictures; nothing for a frame without them.
using WorstFramePictures = std::function<std::optional<WorstFrameView>(int frame)>;

// The entry: a <figure> spanning the whole row of the worst frames' grid,
// the pictures and, beside them, the verdict, frame, shot and timecode,
// each measure of the frame with its verdict under its limit, the number of
// points and the legend of the dots' colours.
std::string worstFrameEntry(const qc::FrameRecord& record, const qc::FrameAssessment& assessment,
                            int shot, const qc::Timecode& timecode, const WorstFrameView& view);

}  // namespace stereolint::report
