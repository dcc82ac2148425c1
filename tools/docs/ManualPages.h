// The manual pages of the installed programs, in roff (man(7)), made from
// the tables their usage texts come from: Stereolint's options
// (app/CommandLine.h usageLines), methods and parameter keys
// (app/Methods.h), and stereolint-report's text (report/ReportTool.h).
#pragma once

#include <string>

namespace stereolint::docs {

// Stereolint.1
std::string stereolintManualPage();

// stereolint-report.1
std::string reportToolManualPage();

}  // namespace stereolint::docs
