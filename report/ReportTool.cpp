#include "report/ReportTool.h"

#include <cstdio>

#include "report/ReportFiles.h"
#include "report/ReportMerge.h"
#include "util/Words.h"

namespace stereolint::report {

Expected<ReportToolOptions> readReportToolOptions(const std::vector<std::string>& words) {
  ReportToolOptions options;
  if (const std::optional<ToolRequest> request = toolRequest(words)) {
    options.help = *request == ToolRequest::Help;
    options.version = *request == ToolRequest::Version;
    return options;
  }
  std::vector<std::string> positional;
  for (const std::string& word : words) {
    if (word.size() > 1 && word[0] == '-')
      return Failure{"Unknown option \"" + word + "\"; the options are -h (--help) and --version"};
    positional.push_back(word);
  }
  if (positional.size() < 2)
    return Failure{"Give an output prefix and at least one result prefix, e.g. "
                   "stereolint-report merged/ part1/ part2/"};
  options.outputPrefix = positional.front();
  options.resultPrefixes.assign(positional.begin() + 1, positional.end());
  return options;
}

const char* const kReportToolSynopsis =
    "stereolint-report OUTPUT_PREFIX RESULT_PREFIX [RESULT_PREFIX...]";

const char* const kReportToolDescription =
    "Builds the quality control report (OUTPUT_PREFIXreport.json and\n"
    "OUTPUT_PREFIXreport.html) from the reports of earlier runs with --qc,\n"
    "RESULT_PREFIXreport.json each: the runs over parts of one take (frame\n"
    "ranges measured on several machines) become the report of the whole take.\n"
    "The runs must be of the same take with the same settings and limits.\n"
    "Prefixes are used as they are: \"out/\" is a folder, \"out/run\" a file prefix.\n";

const ReportToolOption kReportToolOptions[2] = {
    {"-h, --help", "prints this text"},
    {"--version", "prints the program, revision and library versions"},
};

const char* const kReportToolExitCodes = "0 when both files are written, 255 (-1) otherwise.";

std::string reportToolUsage() {
  std::string text = std::string("Usage: ") + kReportToolSynopsis + "\n\n" + kReportToolDescription +
                     "\nOptions:\n";
  for (const ReportToolOption& option : kReportToolOptions) {
    char line[160];
    std::snprintf(line, sizeof line, "  %-14s%s\n", option.words, option.description);
    text += line;
  }
  return text + "\nExit code: " + kReportToolExitCodes + "\n";
}

ReportToolOutcome runReportTool(const ReportToolOptions& options) {
  std::vector<SourcedReport> reports;
  for (const std::string& prefix : options.resultPrefixes) {
    Expected<ReportContent> content = readReportFile(prefix);
    if (!content) return {255, content.error()};
    reports.push_back({prefix + kReportJsonName, std::move(content.value())});
  }
  Expected<ReportContent> merged = mergeReports(reports);
  if (!merged) return {255, merged.error()};
  if (auto failure = writeReportFiles(merged.value(), options.outputPrefix, options.resultPrefixes))
    return {255, *failure};
  return {0, ""};
}

}  // namespace stereolint::report
