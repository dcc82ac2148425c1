// One picture file read into the sample kinds the checkers take, turned as
// viewers show it.
//
// Formats, told by the extension (upper or lower case): PNG, TIFF/TIF
// (8 and 16-bit integer, and float samples), JPEG/JPG, BMP and EXR (half
// and float samples) through the image library; DPX (8, 10, 12 and 16-bit)
// through FFmpeg's DPX decoder. High bit depths and float samples follow the
// rule in PictureDepth.h. A JPEG picture is turned as its EXIF orientation
// asks (PictureOrientation.h), with a remark.
#pragma once

#include <string>
#include <vector>

#include <opencv2/core.hpp>

#include "util/Expected.h"

namespace stereolint {

struct Picture {
  // 8-bit or 16-bit samples; one (grey), three (blue, green, red) or four
  // (blue, green, red, alpha) channels, as the file stores them.
  cv::Mat pixels;
  // What the user must know about how the file was read, one sentence each:
  // "PATH is turned as its EXIF orientation 6 asks", "PATH holds float
  // values from 0 to 255; they are scaled by that range".
  std::vector<std::string> remarks;
};

// The extensions of the picture formats above, upper-case, in alphabetical
// order: BMP DPX EXR JPEG JPG PNG TIF TIFF.
const std::vector<std::string>& pictureExtensions();

// True when the extension of `path` (after its last dot, any case) is one
// of pictureExtensions().
bool hasPictureExtension(const std::string& path);

// Reads the picture file at `path`. Failures, each naming the file:
// "Cannot read the image PATH" (missing, unreadable or undecodable),
// "...: the file is truncated" (a PNG or JPEG file cut short, found before
// decoding), "...: the image library refuses it (WHY)" (e.g. a header that
// claims more pixels than OPENCV_IO_MAX_IMAGE_PIXELS allows), an unknown
// extension (the known ones are listed), FFmpeg's reason for a DPX file,
// and signed integer samples.
Expected<Picture> readPictureFile(const std::string& path);

}  // namespace stereolint
