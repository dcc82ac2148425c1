// The alignment method (`-d Alignment`) behind the common checker type: one
// joint fit of the vertical disparity over the whole view per frame (see
// AlignmentMeasurement.h), reported as one result named ALIGNMENT (its keys
// are those of blockColumns in results/Measures.h).
#pragma once

#include <string>

#include "checkers/StereolintInterface.h"
#include "checkers/alignment/AlignmentOptions.h"

namespace stereolint {

class AlignmentStereolint : public StereolintInterface {
 public:
  // Reads the parameters once (see AlignmentOptions.h). A string that
  // parseAlignmentOptions refuses gives the defaults: a run makes its
  // checker from options it has read and checked.
  explicit AlignmentStereolint(std::string parameters);
  // With the options already read from `parameters`.
  AlignmentStereolint(std::string parameters, AlignmentOptions options);

  // The parameters as read (the common checker options() do not apply).
  const AlignmentOptions& alignmentOptions() const { return alignment; }

  // A copy of `view` with its content moved down by `amount` rows (up when
  // negative), to a fraction of a row; uncovered rows are black. Correcting
  // the right view by the VERTICAL reading lines it up at the centre.
  cv::Mat correct(cv::Mat view, double amount) const override;
  // One result named ALIGNMENT. `matches` is not used: the method matches
  // within its own band and parallax range. With PICTURES:TRUE the result
  // holds the four pictures, unless the views are empty or differ in size.
  Results compute(const FeatureMatches* matches, cv::Mat left, cv::Mat right) const override;
  // The fitted measures (when a model was fitted; the parallax when it had
  // inliers), the inliers as points and the method's status, with compute's
  // result; with the DEPTH and EYES blocks, their measures too (the depth
  // budget then the map's).
  FrameOutcome measureFrame(cv::Mat left, cv::Mat right) const override;
  // The same method with `blockPictures` set; null with PICTURES:TRUE
  // (every picture is drawn already) or DEPTH:FALSE (no block to draw).
  std::unique_ptr<StereolintInterface> reviewChecker() const override;
  // The corrected anaglyph (when the results carry it, shrunk to at most
  // 960 pixels wide) or a dark picture of 640 x 360, with the ALIGNMENT
  // result's entries written on it; a dark picture with a message when
  // there is no such result.
  cv::Mat visualize(const Results& results) const override;

 private:
  AlignmentOptions alignment;
};

}  // namespace stereolint
