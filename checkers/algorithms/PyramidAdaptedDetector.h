// "Pyramid" prefix: runs another detector on the picture and on smaller
// copies of it, to find features of larger size.
#pragma once

#include <opencv2/features2d.hpp>

namespace stereolint {

// Detects on the picture and on `maxLevel` (2) further levels, each half the
// size of the one before (cv::pyrDown). Keypoints of level l have their
// position and size multiplied by 2^l and their octave set to l; they are
// listed level by level.
class PyramidAdaptedDetector : public cv::Feature2D {
 public:
  explicit PyramidAdaptedDetector(cv::Ptr<cv::Feature2D> detector, int maxLevel = 2);

  using cv::Feature2D::detect;
  void detect(cv::InputArray image, std::vector<cv::KeyPoint>& keypoints,
              cv::InputArray mask = cv::noArray()) override;
  cv::String getDefaultName() const override { return "Pyramid"; }

 private:
  cv::Ptr<cv::Feature2D> detector;
  int maxLevel;
};

}  // namespace stereolint
