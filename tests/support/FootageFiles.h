// Footage files made by the tests: still images and videos of synthetic
// stereo pairs with a known vertical offset.
#pragma once

#include <string>
#include <vector>

#include <opencv2/core.hpp>

#include "support/SyntheticViews.h"

namespace stereolint::test {

// `frames` pairs of `size` whose right view sits `rows` rows higher; every
// frame shows another scene (seeds 1, 2, …).
std::vector<StereoPair> shiftedPairs(int frames, cv::Size size, int rows);

// Writes the pictures as a video; `fourcc` like "MJPG" or "mp4v". Returns
// false when the image library cannot write that format.
bool writeVideo(const std::string& path, const std::vector<cv::Mat>& pictures,
                const char* fourcc, double fps = 25);

// Each pair as one side-by-side picture (left | right).
std::vector<cv::Mat> sideBySideFrames(const std::vector<StereoPair>& pairs);
// The left or the right views alone.
std::vector<cv::Mat> leftViews(const std::vector<StereoPair>& pairs);
std::vector<cv::Mat> rightViews(const std::vector<StereoPair>& pairs);

// Console text with the number of every "TIME : …" line (and the last CSV
// field of rows) replaced by "T", so texts of two runs can be compared.
std::string maskTimes(const std::string& text);

// The lines of a text file, without their line ends.
std::vector<std::string> readLines(const std::string& path);

}  // namespace stereolint::test
