// The HTML page of a quality control report ("PREFIXreport.html"): one
// self-contained file (styles, plots and pictures inline, no script, no
// external resource) that opens offline in any browser and prints cleanly.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "report/HtmlWorstFrame.h"
#include "report/ReportContent.h"

namespace stereolint::report {

// A frame's picture as a data URI ("data:image/jpeg;base64,…"), or "" when
// there is none.
using FramePicture = std::function<std::string(int frame)>;

// The page: the take and its settings, the verdict in plain words, a plot
// of each measured key over the frames, the table of shots, the worst
// frames with their pictures and the inconclusive frames with their reasons;
// for frames with a dense parallax map, the depth jumps at the cuts on the
// depth budget's plot and the sections of report/HtmlDepth.h, with the
// WINDOW pictures `windowPicture` gives; for frames the eye match measured,
// the section of report/HtmlEyes.h with the EYE_DIFFERENCE pictures
// `differencePicture` gives. A worst frame for which `worstPictures` gives
// its report pictures shows them, with its numbers beside them (see
// report/HtmlWorstFrame.h), in place of `picture`.
// Written piece by piece: what is held beside the content does not grow
// with the take beyond a few numbers per frame.
void writeReportHtml(std::ostream& out, const ReportContent& content, const FramePicture& picture,
                     const FramePicture& windowPicture = {},
                     const FramePicture& differencePicture = {},
                     const WorstFramePictures& worstPictures = {});
// The same page as a string.
std::string reportHtml(const ReportContent& content, const FramePicture& picture,
                       const FramePicture& windowPicture = {},
                       const FramePicture& differencePicture = {},
                       const WorstFramePictures& worstPictures = {});

}  // namespace stereolint::report
