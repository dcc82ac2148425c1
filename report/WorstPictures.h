// The two pictures of a shot's worst frame that a report shows beside the
// frame's numbers, made while the frame's views are in memory and written
// beside the report, in the folder PREFIX + "report/":
//   FRAME_RESIDUALS.jpg  the left view with the method's inlier matches as
//                        dots coloured by the vertical misalignment at each
//                        (green within kGreenRows rows, amber up to
//                        kRedRows, red beyond)
//   FRAME_ANAGLYPH.jpg   the red-cyan anaglyph of the views as shot (left in
//                        red, right in green and blue), before correction
// FRAME is the frame number, as in the frame files. Both are at most
// kWorstPictureColumns pixels wide (smaller views keep their size).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <opencv2/core.hpp>

#include "results/FrameOutcome.h"

namespace stereolint::report {

inline constexpr int kWorstPictureColumns = 960;
// A dot is green within kGreenRows rows of vertical misalignment (either
// way), amber up to kRedRows, red beyond.
inline constexpr double kGreenRows = 0.5;
inline constexpr double kRedRows = 2.0;

// The folder of the pictures for a report written under `prefix`.
std::string worstPicturesFolder(const std::string& prefix);
// The names of a frame's two pictures in that folder.
std::string residualsPictureName(int frame);
std::string anaglyphPictureName(int frame);

// `left` (8 or 16 bits, grey, colour or with alpha) reduced to at most
// kWorstPictureColumns columns, with each inlier drawn as a dot with a dark
// rim.
cv::Mat residualsPicture(const cv::Mat& left, const std::vector<InlierResidual>& inliers);
// The red-cyan anaglyph of the two views reduced to at most
// kWorstPictureColumns columns; empty when the views differ in size.
cv::Mat viewsAnaglyph(const cv::Mat& left, const cv::Mat& right);

// What writeWorstPictures wrote: the names in the folder, each empty when
// that picture was not written.
struct WorstPictureFiles {
  std::string residuals;
  std::string anaglyph;
  bool any() const { return !residuals.empty() || !anaglyph.empty(); }
};

// Creates the folder and writes both pictures of `frame` (each whole or not
// at all). `written` names those written; the return value says what could
// not be written (the paths and why), nothing when all went well.
std::optional<std::string> writeWorstPictures(const std::string& prefix, int frame,
                                              const cv::Mat& left, const cv::Mat& right,
                                              const std::vector<InlierResidual>& inliers,
                                              WorstPictureFiles& written);

}  // namespace stereolint::report
