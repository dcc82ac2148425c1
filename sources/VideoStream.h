// A video file read frame by frame through the image library's FFmpeg back
// end.
#pragma once

#include <memory>
#include <string>

#include "sources/FrameStream.h"
#include "util/Expected.h"

namespace stereolint {

// Opens the video; a file FFmpeg cannot open, or one that reports no
// frames, is a failure naming it. Frames are taken as stored (rotation
// metadata is not applied). The stream reads as many frames as the file
// reports; a picture may differ in size from the first.
Expected<std::unique_ptr<FrameStream>> openVideoStream(const std::string& path);

}  // namespace stereolint
