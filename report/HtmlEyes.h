// The report's section for a colourist, from the frames the eye match
// measured (report/ShotEyes.h): for each shot how its eyes differ in
// brightness, colour and sharpness, the one-eye light of its worst frame,
// the grade that maps its right eye onto the left as text to copy, and the
// EYE_DIFFERENCE picture of its worst frame. A report without such frames
// has none.
#pragma once

#include <ostream>
#include <vector>

#include "qc/Shot.h"
#include "qc/Timecode.h"
#include "report/HtmlReport.h"
#include "report/ReportContent.h"

namespace stereolint::report {

// The EYE_DIFFERENCE pictures shown at most, for the first shots that have one.
inline constexpr size_t kShownEyePictures = 12;

// Writes "Eyes", a row for each shot whose frames have the eye match's
// measures or a colour decision, when there is such a shot (`content`'s
// frames in frame-number order); nothing otherwise.
// `differencePicture` gives a frame's EYE_DIFFERENCE picture, "" when none
// was written.
void writeEyesSection(std::ostream& out, const ReportContent& content,
                      const std::vector<qc::Shot>& shots, const qc::Timecode& timecode,
                      const FramePicture& differencePicture);

}  // namespace stereolint::report
