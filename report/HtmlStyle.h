// The style sheet of the HTML report, inlined in its <head>.
#pragma once

namespace stereolint::report {

const char* reportStyleSheet();

}  // namespace stereolint::report
