#include "checkers/algorithms/OpponentColorExtractor.h"

#include <array>
#include <utility>

namespace stereolint {

namespace {

std::array<cv::Mat, 3> opponentChannels(const cv::Mat& bgr) {
  CV_Assert(bgr.type() == CV_8UC3);
  std::array<cv::Mat, 3> channels;
  for (cv::Mat& channel : channels) channel.create(bgr.size(), CV_8UC1);
  for (int y = 0; y < bgr.rows; ++y) {
    const cv::Vec3b* source = bgr.ptr<cv::Vec3b>(y);
    uchar* o1 = channels[0].ptr<uchar>(y);
    uchar* o2 = channels[1].ptr<uchar>(y);
    uchar* o3 = channels[2].ptr<uchar>(y);
    for (int x = 0; x < bgr.cols; ++x) {
      const int b = source[x][0], g = source[x][1], r = source[x][2];
      o1[x] = cv::saturate_cast<uchar>(0.5f * static_cast<float>(255 + g - r));
      o2[x] = cv::saturate_cast<uchar>(0.25f * static_cast<float>(510 + r + g - 2 * b));
      o3[x] = cv::saturate_cast<uchar>(1.f / 3.f * static_cast<float>(r + g + b));
    }
  }
  return channels;
}

}  // namespace

OpponentColorExtractor::OpponentColorExtractor(cv::Ptr<cv::Feature2D> extractor)
    : extractor(std::move(extractor)) {}

void OpponentColorExtractor::compute(cv::InputArray image, std::vector<cv::KeyPoint>& keypoints,
                                     cv::OutputArray descriptors) {
  const std::array<cv::Mat, 3> channels = opponentChannels(image.getMat());
  const int width = extractor->descriptorSize();
  const int type = extractor->descriptorType();

  // The wrapped extractor may drop keypoints per channel; class_id carries
  // each keypoint's original index through it.
  std::array<std::vector<int>, 3> rowOf;  // per channel: original index -> descriptor row
  std::array<cv::Mat, 3> channelDescriptors;
  for (size_t c = 0; c < channels.size(); ++c) {
    std::vector<cv::KeyPoint> tagged = keypoints;
    for (size_t k = 0; k < tagged.size(); ++k) tagged[k].class_id = static_cast<int>(k);
    extractor->compute(channels[c], tagged, channelDescriptors[c]);
    CV_Assert(tagged.empty() || channelDescriptors[c].cols == width);
    rowOf[c].assign(keypoints.size(), -1);
    for (size_t row = 0; row < tagged.size(); ++row) {
      rowOf[c][static_cast<size_t>(tagged[row].class_id)] = static_cast<int>(row);
    }
  }

  std::vector<cv::KeyPoint> kept;
  cv::Mat merged(static_cast<int>(keypoints.size()), 3 * width, type);
  for (size_t k = 0; k < keypoints.size(); ++k) {
    if (rowOf[0][k] < 0 || rowOf[1][k] < 0 || rowOf[2][k] < 0) continue;
    const int out = static_cast<int>(kept.size());
    for (int c = 0; c < 3; ++c) {
      channelDescriptors[static_cast<size_t>(c)]
          .row(rowOf[static_cast<size_t>(c)][k])
          .copyTo(merged(cv::Range(out, out + 1), cv::Range(c * width, (c + 1) * width)));
    }
    kept.push_back(keypoints[k]);
  }
  merged.rowRange(0, static_cast<int>(kept.size())).copyTo(descriptors);
  keypoints = std::move(kept);
}

int OpponentColorExtractor::descriptorSize() const { return 3 * extractor->descriptorSize(); }

int OpponentColorExtractor::descriptorType() const { return extractor->descriptorType(); }

int OpponentColorExtractor::defaultNorm() const { return extractor->defaultNorm(); }

}  // namespace stereolint
