// Takes with known misalignments for measuring corrections: side-by-side
// frames cut from the videos of the image library's sample data (Debian's
// opencv-doc), the right view of each shot moved, turned, scaled, warped
// in perspective or graded by a known amount.
#pragma once

#include <opencv2/core.hpp>
#include <string>
#include <vector>

namespace bench {

// A misalignment of the right view, about the view's centre, applied in
// this order: turned `degrees` anticlockwise on screen and enlarged `scale`
// times; moved `columns` right and `rows` down; then a perspective warp
// that moves the rows at the corners by `keystone` rows (x y (keystone /
// (cx cy)) rows at a point (x, y) from the centre, to first order: up at
// the bottom-right corner for a positive keystone). Last its code values
// are multiplied by `gain` (blue, green, red).
struct Misalign {
  double rows = 0;
  double degrees = 0;
  double scale = 1;
  double columns = 0;
  double keystone = 0;
  cv::Scalar gain{1, 1, 1};
};

// A shot of a take: `frames` frames of opencv-doc's `video` (a file name in
// its examples/data folder) from frame `first` (from 0) on, misaligned by
// `misalign`.
struct ShotSource {
  std::string video;
  int first = 0;
  int frames = 8;
  Misalign misalign;
};

// The readings of the program's measures that `m` should give: VERTICAL
// (left row minus right row), ROTATION (the turn that brings the right view
// back, anticlockwise positive), SCALE (left over right), KEYSTONE.
struct ExpectedMeasures {
  double vertical, rotation, scale, keystone;
};
ExpectedMeasures expectedMeasures(const Misalign& m);

// Writes the shots one after another as a side-by-side video with views
// of `view` size: lossless FFV1 (`path` ends in .mkv) unless `delivered`,
// then H.264 4:2:0 (`path` ends in .mp4), as takes are delivered. Each frame
// is scaled a little larger than the view, so that the misaligned right
// view shows no edge: the left view is its middle, the right view the same
// scene misaligned. False when the sample videos are missing, run out of
// frames, or the video cannot be written.
bool writeMisalignedTake(const std::string& path, const std::vector<ShotSource>& shots,
                         cv::Size view, bool delivered = false);

}  // namespace bench
