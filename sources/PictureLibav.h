// Still pictures that FFmpeg's decoders read and the image library does
// not: DPX files (8, 10, 12 and 16-bit samples).
#pragma once

#include <string>

#include <opencv2/core.hpp>

#include "util/Expected.h"

namespace stereolint {

// Decodes the DPX file at `path` with libavcodec's DPX decoder. The picture
// keeps its channels in the image library's order (grey; blue, green, red;
// or blue, green, red, alpha). Samples of 8 bits stay 8-bit; deeper ones
// come as 16-bit samples scaled to the full range (see PictureDepth.h).
// A file that cannot be opened, a short or damaged file, or a pixel layout
// with luma and chroma give a failure naming the file.
Expected<cv::Mat> decodeDpxFile(const std::string& path);

}  // namespace stereolint
