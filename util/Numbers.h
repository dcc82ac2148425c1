// Reading whole numbers out of option values, parameters and frame lists the
// way the C library's atoi reads them, without its undefined behaviour.
#pragma once

#include <string_view>

namespace stereolint {

// Skips leading white space, takes an optional sign and the decimal digits
// that follow; 0 when no digit leads ("12ab" gives 12, "ab" gives 0). Unlike
// atoi, a value beyond the range of int saturates at INT_MIN or INT_MAX.
int leadingInteger(std::string_view text);

}  // namespace stereolint
