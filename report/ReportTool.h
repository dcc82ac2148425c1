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
  bool help = false;  // "-h" or "--help": print the usage and do nothing else
  std::string outputPrefix;
  std::vector<std::string> resultPrefixes;
};

// The options of the words after the program name; a failure says what is
// wrong (too few words, an unknown option).
Expected<ReportToolOptions> readReportToolOptions(const std::vector<std::string>& words);

std::string reportToolUsage();

struct ReportToolOutcome {
  int exitCode = 0;     // 0 written; 255 (-1) when nothing or not all was written
  std::string message;  // for standard error when the exit code is not 0
};

ReportToolOutcome runReportTool(const ReportToolOptions& options);

}  // namespace stereolint::report
