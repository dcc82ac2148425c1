// The report's sections for a depth reviewer, from the frames that have a
// dense parallax map (qc::FrameRecord::depth): the parallax histogram of
// each shot's worst frame against the depth budget, and the frames whose
// content in front of the screen is cut by an edge of the picture. A report
// without such frames has neither.
#pragma once

#include <ostream>
#include <vector>

#include "qc/Shot.h"
#include "qc/Timecode.h"
#include "report/HtmlReport.h"
#include "report/ReportContent.h"

namespace stereolint::report {

// The window violations' runs of frames and pictures shown at most: a take
// that cuts content at an edge in many runs lists its first ones and says
// how many more there are.
inline constexpr size_t kShownWindowRuns = 40;
inline constexpr size_t kShownWindowPictures = 12;

// Writes "Depth of each shot" and "Window violations" when a frame of
// `content` (in frame-number order) has a dense parallax map; nothing
// otherwise. `windowPicture` gives a frame's WINDOW picture, "" when none
// was written.
void writeDepthSections(std::ostream& out, const ReportContent& content,
                        const std::vector<qc::Shot>& shots, const qc::Timecode& timecode,
                        const FramePicture& windowPicture);

}  // namespace stereolint::report
