// Checking a parameters string once, before any input is opened, so that a
// typing mistake is reported at start-up rather than on every frame.
#pragma once

#include <optional>
#include <string>

#include "checkers/CheckerOptions.h"

namespace stereolint {

// When HIERARCHY names at least one step that will run ("VERTICAL",
// "ROTATION" or "SCALE" before its first empty item), WIDTH and HEIGHT must
// read (as atoi reads them: "10", "10%" and "5:x" are 10, 10 and 5) as
// whole numbers of at least 1, and DETECTOR, EXTRACTOR and MATCHER must be
// names the algorithm table accepts. Returns the first problem as one line naming
// the key and its value, or nothing when the string is usable. Without a
// step nothing is measured, so nothing is required.
std::optional<std::string> checkParameters(const std::string& parameters);

// The same check on parameters already read.
std::optional<std::string> checkCheckerOptions(const CheckerOptions& options);

}  // namespace stereolint
