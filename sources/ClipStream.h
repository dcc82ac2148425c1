// R3D clips as frame streams, decoded by the camera vendor's library.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "sources/FrameStream.h"
#include "util/Expected.h"

namespace stereolint {

// Loads the decoding library (from the current folder or R3DSDKPATH) and
// opens the clips, one stream per distinct path: a pair of the same clip
// gives one stream. Each stream decodes its frames into 16-bit pictures;
// its views are mirrored as the clip's RMD sidecar asks. The library stays
// loaded until the last stream is destroyed. Failures (the library cannot
// be loaded, a clip cannot be opened or holds no frames, the clips differ in
// size, frames too large to decode) name what went wrong; their topic is
// "R3D".
//
// Setting STEREOLINT_R3D_LOG (to anything but "" or "0") prints the loader's
// log on standard output, to see why a library was not taken.
Expected<std::vector<std::unique_ptr<FrameStream>>> openClipStreams(
    const std::array<std::string, 2>& paths);

}  // namespace stereolint
