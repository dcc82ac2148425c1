// Reading whole numbers out of option values, parameters and frame lists:
// strictly, or the way the C library's atoi reads them, without its
// undefined behaviour.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace stereolint {

// Skips leading white space, takes an optional sign and the decimal digits
// that follow; 0 when no digit leads ("12ab" gives 12, "ab" gives 0). Unlike
// atoi, a value beyond the range of int saturates at INT_MIN or INT_MAX.
int leadingInteger(std::string_view text);

// The strict reading of a whole number: decimal digits only (no blank, sign
// or other character), within int; nothing otherwise. "12" gives 12; "12ab",
// " 12", "+12" and "99999999999" give nothing.
std::optional<int> wholeNumber(std::string_view text);

// For a value read like atoi: a line saying what was taken when other
// characters follow its leading number, e.g. `-t: "2x" is read as 2`; ""
// when the text is all number (blanks and a sign before it aside) or no
// number leads it.
std::string atoiReadingNote(std::string_view option, std::string_view text);

}  // namespace stereolint
