// The names of the alignment method's pictures, used in their file names.
#pragma once

namespace stereolint::alignment_keys {

// The block's name and its numbers' keys are in the table of measures
// (results/Measures.h): kAlignmentBlock, the measures, their standard
// errors (standardErrorName), then POINTS,
// RESIDUAL, STATUS and TIME.

// Named pictures, present when the PICTURES parameter is TRUE.
inline constexpr const char* kAnaglyphBefore = "ANAGLYPH_BEFORE";
inline constexpr const char* kAnaglyphAfter = "ANAGLYPH_AFTER";
inline constexpr const char* kCorrectRight = "CORRECT_RIGHT";
inline constexpr const char* kPointsPicture = "POINTS";

}  // namespace stereolint::alignment_keys
