// The benchmark's own input: real-looking stereo footage with a known
// misalignment, made from the photographs of the image library's sample
// data (Debian's opencv-doc), or from a synthetic texture when they are
// missing.
#pragma once

#include <string>
#include <vector>

#include <opencv2/core.hpp>

namespace bench {

// A large picture to pan across: the sample photographs laid side by side
// in rows at their own resolution, repeated until `size` is covered. Says in
// `source` what it was made of.
cv::Mat photoCanvas(cv::Size size, std::string& source);

// The left view of frame `index` (from 0): a `viewSize` window of the
// canvas, moved 7 pixels right per frame and 3 down, so that every frame
// differs as a camera pan would.
cv::Mat leftView(const cv::Mat& canvas, cv::Size viewSize, int index);

// The right view as a misaligned rig would see it: the left view moved
// down 4 rows, turned 0.3 degrees anticlockwise and enlarged 1 % about its
// centre; edges are filled by reflection.
cv::Mat misaligned(const cv::Mat& left);

// The right view of the worst case: the same canvas window `rows` rows
// higher, so that the right view is the left one moved down by whole rows
// and nearly every feature matches at distance 0. At most 6 rows.
cv::Mat shiftedView(const cv::Mat& canvas, cv::Size viewSize, int index, int rows);

// Writes `frames` side-by-side frames of `frameSize` (two views of half its
// width) as H.264 in an MP4 container at 24 frames per second. False when
// the encoder is missing or refuses.
bool writeSideBySideVideo(const std::string& path, const cv::Mat& canvas, cv::Size frameSize,
                          int frames);

// Writes one side-by-side still pair (a PNG of `frameSize`). `worstCase`
// uses shiftedView for the right view instead of misaligned.
bool writeSideBySideStill(const std::string& path, const cv::Mat& canvas, cv::Size frameSize,
                          bool worstCase);

// The pairs a method's time per 1920 x 1080 frame is measured on: the aloe
// pair (`aloeLeft`, `aloeRight`) enlarged, whose parallax spans -17 % to
// -3 % of the width, and a photograph of the canvas with its right view
// misaligned (one depth).
struct NamedPair {
  std::string name;
  cv::Mat left;
  cv::Mat right;
};
std::vector<NamedPair> fullHdPairs(const cv::Mat& aloeLeft, const cv::Mat& aloeRight);

}  // namespace bench
