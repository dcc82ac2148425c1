// The EXIF orientation of a JPEG picture, and turning a picture by it, so
// that pictures are measured as viewers show them.
#pragma once

#include <string>

#include <opencv2/core.hpp>

namespace stereolint {

// The orientation tag (1 to 8) of the Exif block of the JPEG file at
// `path`, or 1 (as stored) when the file has no Exif block, no orientation
// tag, a value outside 1-8, or cannot be read. The block is parsed by
// libexif, which checks every length against the file.
int jpegOrientation(const std::string& path);

// `picture` turned and mirrored as EXIF orientation `orientation` asks:
//   1 as stored           2 mirrored left-right     3 turned 180 degrees
//   4 mirrored top-bottom 5 transposed              6 turned 90 degrees clockwise
//   7 transposed across the other diagonal          8 turned 90 degrees counter-clockwise
// Any other value leaves the picture as it is.
cv::Mat applyOrientation(const cv::Mat& picture, int orientation);

}  // namespace stereolint
