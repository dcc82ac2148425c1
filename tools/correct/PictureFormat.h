// How a picture file stores its samples, so that a corrected picture is
// written the way the input was: DPX keeps its bit depth (8, 10, 12 or 16
// bits), EXR its half or full float samples (linear light, read again as
// the file holds them), PNG and TIFF their 8 or 16 bits; JPEG and BMP are
// 8-bit. A float TIFF is written with 16-bit samples.
#pragma once

#include <opencv2/core.hpp>
#include <optional>
#include <string>
#include <vector>

#include "util/Expected.h"

namespace stereolint::correct {

struct PictureFormat {
  std::string extension;  // upper-case, as fileExtension gives it: "DPX", "EXR", "PNG", ...
  int bits = 8;           // significant bits of an integer sample (DPX: 8, 10, 12, 16)
  bool half = false;      // EXR: half float samples (otherwise full float)

  bool isFloat() const { return extension == "EXR"; }
};

// The format of the picture file at `path`; `decoded` is the picture as
// Stereolint reads it (8 or 16 bits), which tells PNG's and TIFF's depth.
// DPX's bit depth and EXR's sample type come from the file's header.
Expected<PictureFormat> pictureFormatOf(const std::string& path, const cv::Mat& decoded);

// The picture to correct, three channels (blue, green, red): `decoded` as
// it is, or for EXR the file's own float samples.
Expected<cv::Mat> workingPicture(const std::string& path, const PictureFormat& format,
                                 const cv::Mat& decoded);

// The bytes of `picture` (a working picture of `format`) as a file of that
// format: DPX through FFmpeg's encoder, the others through the image
// library (JPEG at quality 95). What went wrong, or nothing.
Expected<std::vector<unsigned char>> encodePicture(const cv::Mat& picture,
                                                   const PictureFormat& format);

}  // namespace stereolint::correct
