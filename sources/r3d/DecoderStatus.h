// The status codes of loading the decoding library, and their texts for
// people.
#pragma once

#include <string>

namespace stereolint {

namespace decoderStatus {
constexpr int ready = 0;
// The library file could not be loaded, or its initialise function is
// missing or returned 1. A companion library for option bit 1, 2 or 4 gives
// 3, 4 or 5 instead.
constexpr int notLoaded = 2;
// The library is older than the layer, or demands a newer layer.
constexpr int versionRuleFailed = 6;
// Wrong library ID, identification exports missing, or an export group that
// is always needed could not be bound. A companion library or an optional
// group for option bit 1, 2 or 4 gives 8, 9 or 10 instead.
constexpr int wrongLibrary = 7;
// No folder given, or an empty path.
constexpr int noPath = 15;
// A fixed limit was reached: 10 folders, a folder registered twice, or 20
// libraries loaded at once.
constexpr int limitReached = 16;
}  // namespace decoderStatus

// `notLoaded` or `wrongLibrary` moved to the code of a component with option
// bit 1, 2 or 4 (plus 1, 2 or 3); option bit 0 (the library itself) and any
// other bit keep the code.
int componentStatus(int status, unsigned optionBit);

// A short English text for a load status, e.g. "version rule failed". Codes
// outside the table are the library's own initialisation errors and say so
// with the number.
std::string decoderStatusText(int status);

}  // namespace stereolint
