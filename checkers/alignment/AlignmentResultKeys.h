// The names the alignment method's result uses: console labels, table
// column headers and parts of picture file names, spelled once.
#pragma once

namespace stereolint::alignment_keys {

inline constexpr const char* kResultName = "ALIGNMENT";

// Named entries, in the order the result holds them. VERTICAL, ROTATION,
// SCALE, KEYSTONE and RESIDUAL are present when a model was fitted; NEAR
// and FAR PARALLAX when it had inliers; POINTS, STATUS and TIME always.
inline constexpr const char* kVertical = "VERTICAL";
inline constexpr const char* kRotation = "ROTATION";
inline constexpr const char* kScale = "SCALE";
inline constexpr const char* kKeystone = "KEYSTONE";
inline constexpr const char* kNearParallax = "NEAR PARALLAX";
inline constexpr const char* kFarParallax = "FAR PARALLAX";
inline constexpr const char* kPoints = "POINTS";
inline constexpr const char* kResidual = "RESIDUAL";
inline constexpr const char* kStatus = "STATUS";
inline constexpr const char* kTime = "TIME";

// Named pictures, present when the PICTURES parameter is TRUE.
inline constexpr const char* kAnaglyphBefore = "ANAGLYPH_BEFORE";
inline constexpr const char* kAnaglyphAfter = "ANAGLYPH_AFTER";
inline constexpr const char* kCorrectRight = "CORRECT_RIGHT";
inline constexpr const char* kPointsPicture = "POINTS";

}  // namespace stereolint::alignment_keys
