// A shot's colour decision in the two files colourists load: an ASC CDL
// file (`.cdl`) for grading systems and a 3D LUT (`.cube`) for players,
// conform tools and FFmpeg's lut3d filter.
//
// The decision maps the right eye onto the left: applied to the right eye's
// picture it brings its colour to the left eye's. Both files work on code
// values as delivered (0 to 1 of the encoded signal, not linear light),
// the domain in which results/ColourDecision.h defines the decision.
#pragma once

#include <optional>
#include <string>

#include "results/ColourDecision.h"

namespace stereolint::corrections {

// Points of the .cube lattice along each axis; entry i of an axis is the
// code value i / (kCubeSize - 1).
inline constexpr int kCubeSize = 33;

// Writes `decision` as an ASC CDL file (namespace urn:ASC:CDL:v1.01): a
// ColorDecisionList holding one ColorDecision with one ColorCorrection
// whose id attribute is `id`, an SOPNode (a Description with `description`
// when it is not empty; Slope, Offset and Power as red, green and blue with
// six decimals, separated by single spaces) and a SatNode (Saturation).
// `id` and `description` are UTF-8 text; XML escapes what needs it. The
// file is written whole or not at all. Returns "Cannot write PATH: reason"
// when it cannot be written; nothing on success.
std::optional<std::string> writeCdlFile(const std::string& path, const ColourDecision& decision,
                                        const std::string& id, const std::string& description);

// Writes `decision` as a 3D LUT in the .cube format: `TITLE "title"`,
// `LUT_3D_SIZE 33`, `DOMAIN_MIN 0 0 0`, `DOMAIN_MAX 1 1 1`, then 33³
// lines "r g b" with six decimals, red changing fastest, then green, then
// blue. Each line is the decision applied to the lattice colour
// (r, g, b) / 32. The format has no escapes: double quotes in `title`
// become single quotes and line breaks spaces. The file is written whole or
// not at all. Returns "Cannot write PATH: reason" when it cannot be
// written; nothing on success.
std::optional<std::string> writeCubeFile(const std::string& path, const ColourDecision& decision,
                                         const std::string& title);

}  // namespace stereolint::corrections
