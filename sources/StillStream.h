// A still picture file as a stream of one frame.
#pragma once

#include <memory>
#include <string>

#include "sources/FrameStream.h"
#include "util/Expected.h"

namespace stereolint {

// Reads the picture at once: a file cut short, one whose header claims more
// pixels than the image library reads, or one the library cannot decode is
// a failure naming the file. Pictures are taken as stored (EXIF orientation
// is not applied), with their own depth and channels.
Expected<std::unique_ptr<FrameStream>> openStillStream(const std::string& path);

}  // namespace stereolint
