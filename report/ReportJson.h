// The JSON document of a quality control report ("PREFIXreport.json"), its
// schema described in the README ("Quality control and reports").
//
// The document holds nothing run-specific (no clock time, host or output
// path), so the same frames, settings and limits always give the same bytes
// with the same build of the program (its `tool` names the build and the
// library versions).
#pragma once

#include <ostream>
#include <string>

#include "util/Expected.h"
#include "report/ReportContent.h"

namespace stereolint::report {

inline constexpr const char* kReportSchema = "stereolint-qc-report";
inline constexpr int kReportSchemaVersion = 1;

// The document, indented by two spaces, ending with a newline. Shots and
// verdicts are computed here from the frames. The frames are written one at
// a time: what is held beside the content does not grow with the take.
void writeReportJson(std::ostream& out, const ReportContent& content);
// The same document as a string.
std::string reportJson(const ReportContent& content);

// The content of a document reportJson wrote (ReportJsonRead.cpp). A
// failure says what cannot be read (not JSON, another schema or version, a
// missing or mistyped key, a value out of the range a run writes: a frame
// number outside 1 to 2147483647, a negative count, an offset between the
// eyes beyond 5 frames, a confidence outside 0 to 1, unreadable limits or
// timecode, a frame listed twice), naming `source` (e.g. the file's path)
// and the key ("frames[3].frame").
Expected<ReportContent> readReportJson(const std::string& text, const std::string& source);

}  // namespace stereolint::report
