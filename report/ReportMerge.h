// Putting together the reports of runs over parts of one take (frame ranges
// measured on several machines or jobs).
#pragma once

#include <string>
#include <vector>

#include "util/Expected.h"
#include "report/ReportContent.h"

namespace stereolint::report {

// A report and where it came from (its path, for messages).
struct SourcedReport {
  std::string source;
  ReportContent content;
};

// One content holding every frame of `reports`, in frame-number order. The
// reports must be of the same take (name, inputs and their paths, frame
// count, frame rate, start timecode, size of the views) with the same
// settings and limits; else the failure names the two sources and what
// differs. A frame in several reports must be the same in each (it is kept
// once); else the failure names it. A report of a part that starts after
// the take's first place must continue the report holding the frame just
// before it (see TakeInfo::joinBefore): that frame's picture must be the
// same in both; else the failure names both and the frame. Together the reports must have read
// every place of the take, from 1 to its end (the sampling of the settings
// then chose the same frames as one run); else the failure names the places
// no report read. No report gives a failure.
Expected<ReportContent> mergeReports(const std::vector<SourcedReport>& reports);

}  // namespace stereolint::report
