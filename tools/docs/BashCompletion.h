// The bash completion of Stereolint, made from the tables of its usage text
// (app/CommandLine.h usageLines) and of its methods (app/Methods.h): the
// option words; the alternatives an option's value shows ("-m GUI |
// CONSOLE", "--pictures all|flagged|worst|none"); the method names for -d;
// the parameter keys of every method for -p (after the last comma); files
// for -i and folders or files for -r.
#pragma once

#include <string>

namespace stereolint::docs {

// A bash script that defines the completion function and registers it for
// Stereolint; it uses bash-completion's _init_completion.
std::string stereolintBashCompletion();

}  // namespace stereolint::docs
