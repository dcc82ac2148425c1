// The manual pages of the installed programs, in roff (man(7)), made from
// the tables their usage texts come from: Stereolint's options
// (app/CommandLine.h usageLines), methods and parameter keys
// (app/Methods.h), stereolint-report's text (report/ReportTool.h), and the
// scripts' help texts.
#pragma once

#include <string>

namespace stereolint::docs {

// Stereolint.1
std::string stereolintManualPage();

// stereolint-report.1
std::string reportToolManualPage();

// The page of a script (slurm-qc.1, parallel-qc.1): its name, what it does
// in one line, and its help text (the output of `NAME --help`) set as it is.
std::string scriptManualPage(const std::string& name, const std::string& summary,
                             const std::string& helpText);

}  // namespace stereolint::docs
