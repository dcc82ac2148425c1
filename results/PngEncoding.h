// The PNG bytes of a picture, as the writers store every picture.
//
// The file decodes to exactly the pixels the image library's own PNG writer
// (cv::imencode with ".png") would store: 8-bit matrices become 8-bit
// files, 16-bit (CV_16U) ones 16-bit files; one channel is grey, three are
// blue, green, red and four blue, green, red, alpha, stored in PNG's order
// (red first). Matrices of another depth, and pictures of 2 GiB or more,
// take the image library's writer, which stores them as it does (other
// depths converted to 8 bits).
//
// 8- and 16-bit pictures are compressed with ISA-L's deflate (igzip) at
// level 3, after PNG's "Sub" filter on every row (each byte less the byte
// of the pixel to its left): photographs and drawings come out 10 to 25 %
// smaller than with the image library's defaults, in about half the time.
// The bytes differ from the image library's; the pixels do not. One picture
// always gives the same bytes, in any run and on any thread.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include <opencv2/core.hpp>

namespace stereolint {

// Replaces `bytes` with the PNG file of `picture` and returns true, or
// returns false when PNG cannot hold it: an empty matrix, a channel count
// other than 1, 3 or 4, or a picture the image library declines.
bool encodePng(const cv::Mat& picture, std::vector<unsigned char>& bytes);

// True when `picture` is 8- or 16-bit, of 1, 3 or 4 channels and under
// 2 GiB: the pictures encodePng compresses itself, which streamPng can
// hand out piece by piece.
bool streamsPng(const cv::Mat& picture);

// Takes the next bytes of a PNG file; false when it cannot (the encoding
// then stops).
using PngSink = std::function<bool(const unsigned char* data, size_t size)>;

// The bytes encodePng gives for a picture streamsPng accepts, handed to
// `sink` in order: the header, then the compressed pixels a megabyte chunk
// at a time, so that the file is never held whole. False when streamsPng
// refuses the picture or the sink refuses bytes.
bool streamPng(const cv::Mat& picture, const PngSink& sink);

}  // namespace stereolint
