// The report tool: options, usage text and the run, apart from main() so
// that tests can call it.
//
//   stereolint-report OUTPUT_PREFIX RESULT_PREFIX [RESULT_PREFIX…]
//
// Reads RESULT_PREFIX + "report.json" of each earlier run, merges them
// (refusing reports of different takes, settings or limits) and writes
// OUTPUT_PREFIX + "report.json" and "report.html", the summary pictures
// taken from the result prefixes.
#pragma once

#include <string>
#include <vector>

#include "util/Expected.h"

namespace stereolint::report {

struct ReportToolOptions {
  bool help = false;     // "-h" or "--help": print the usage and do nothing else
  bool version = false;  // "--version": print the version text and do nothing else
  std::string outputPrefix;
  std::vector<std::string> resultPrefixes;
};

// The options of the words after the program name; a failure says what is
// wrong (too few words, an unknown option).
Expected<ReportToolOptions> readReportToolOptions(const std::vector<std::string>& words);

// The parts of the usage text, which the manual page is made from too: the
// command's form, what it does (lines ending with a newline), its options
// and its exit codes (one sentence).
extern const char* const kReportToolSynopsis;
extern const char* const kReportToolDescription;
struct ReportToolOption {
  const char* words;        // e.g. "-h, --help"
  const char* description;  // e.g. "prints this text"
};
extern const ReportToolOption kReportToolOptions[2];
extern const char* const kReportToolExitCodes;

// The text of -h: the parts above.
std::string reportToolUsage();

struct ReportToolOutcome {
  int exitCode = 0;     // 0 written; 255 (-1) when nothing or not all was written
  std::string message;  // for standard error when the exit code is not 0
};

ReportToolOutcome runReportTool(const ReportToolOptions& options);

}  // namespace stereolint::report
