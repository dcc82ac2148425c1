// The JSON document of a take's corrections ("PREFIXcorrections.json"), its
// schema described in the README ("Corrections").
//
// Homographies are 3x3 matrices, row by row, in pixels of the full view in
// display geometry with integers at pixel centres (see EyeWarp.h); each maps
// a point of the eye as shot to the corrected eye.
#pragma once

#include <string>

#include "corrections/CorrectionsFiles.h"

namespace stereolint::corrections {

inline constexpr const char* kCorrectionsSchema = "stereolint-corrections";
inline constexpr int kCorrectionsSchemaVersion = 1;

// The document, indented by two spaces, ending with a newline.
std::string correctionsJson(const CorrectionsContent& content);

}  // namespace stereolint::corrections
