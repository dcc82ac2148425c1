// "Opponent" prefix: describes a keypoint by its colour as well as its shape.
#pragma once

#include <opencv2/features2d.hpp>

namespace stereolint {

// Converts a 3-channel 8-bit BGR picture into the three opponent colour
// channels (R - G, R + G - 2B, R + G + B, each scaled into 0..255), runs the
// wrapped extractor on each channel and puts the three descriptors of a
// keypoint side by side. A keypoint is kept only when the wrapped extractor
// described it in all three channels; kept keypoints stay in their order.
// Descriptor size is three times the wrapped one; other picture types raise
// cv::Exception.
class OpponentColorExtractor : public cv::Feature2D {
 public:
  explicit OpponentColorExtractor(cv::Ptr<cv::Feature2D> extractor);

  using cv::Feature2D::compute;
  void compute(cv::InputArray image, std::vector<cv::KeyPoint>& keypoints,
               cv::OutputArray descriptors) override;
  int descriptorSize() const override;
  int descriptorType() const override;
  int defaultNorm() const override;
  cv::String getDefaultName() const override { return "Opponent"; }

 private:
  cv::Ptr<cv::Feature2D> extractor;
};

}  // namespace stereolint
