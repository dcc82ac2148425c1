// The matches picture of a stereo pair, drawn in horizontal bands on the
// machine's cores.
//
// The picture is the one cv::drawMatches makes with its default arguments,
// pixel for pixel: the left view with the right view beside it (picture
// width the sum of the views' widths, height the larger height, black where
// the shorter view leaves room); a circle of radius 3 pixels around every
// left keypoint, then every right keypoint, each in a random colour; then
// for each match in list order both keypoints' circles again and a line
// from the left keypoint to the right one, in a random colour of the match.
// Circles and lines are anti-aliased, 1 pixel thick, at 1/16 pixel
// precision; a circle is cut at the edge of its own view. The colours are
// drawn from the calling thread's random generator (cv::theRNG) in the same
// order and number as cv::drawMatches draws them, so the generator is left
// in the same state too.
//
// Bands: every circle and line is listed first, with its colour and the
// rows it can touch. Each band then draws, in list order, every one of them
// that can touch its rows onto a canvas of the whole picture's size holding
// the band's rows of the picture, and copies those rows back. A circle or
// line is thus drawn with the same coordinates on a picture of the same
// size as in one pass, and the image library's rasteriser, which changes a
// pixel only from its own earlier value, gives each band's rows the same
// values as one pass would. The rows outside the band on its canvas are
// scratch and are never copied.
#pragma once

#include <vector>

#include <opencv2/core.hpp>

namespace stereolint {

// How many rows each band takes when a picture of `pictureRows` rows is
// drawn on parallelThreads() threads: two bands per thread, so that a band
// with many lines does not hold the others up; the whole picture (one band)
// on one thread.
int matchesBandRows(int pictureRows);

// The matches picture of two 8-bit, 3-channel views (blue, green, red),
// drawn in bands of `bandRows` rows (the last band may be shorter) with
// work::parallelFor. `bandRows` at or above the picture's height draws the
// whole picture in one pass on the calling thread. A match whose index
// lies outside its keypoint list is an error of the image library
// (cv::Exception), as with cv::drawMatches.
cv::Mat drawMatchesInBands(const cv::Mat& left, const std::vector<cv::KeyPoint>& leftKeypoints,
                           const cv::Mat& right, const std::vector<cv::KeyPoint>& rightKeypoints,
                           const std::vector<cv::DMatch>& matches, int bandRows);

}  // namespace stereolint
