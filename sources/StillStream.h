// A still picture file as a stream of one frame.
#pragma once

#include <memory>
#include <string>

#include "sources/FrameStream.h"
#include "util/Expected.h"

namespace stereolint {

// Reads the picture at once (PictureFile.h): a file cut short, one whose
// header claims more pixels than the image library reads, or one that
// cannot be decoded is a failure naming the file. The stream gives the
// picture once, as frame 1 (frameCountHint 1, exact), then End. A JPEG
// picture comes turned as its EXIF orientation asks; the remarks say so,
// and say when float values are scaled by their range.
Expected<std::unique_ptr<FrameStream>> openStillStream(const std::string& path);

}  // namespace stereolint
