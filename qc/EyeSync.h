// Whether the two eyes of a pair of inputs (two videos, two image sequences)
// show the same instant: the temporal offset between them, estimated from the
// picture content of the first frames, and the frame counts of the two eyes.
//
// Each eye's views are reduced to small grey thumbnails (kEyeThumbnailWidth x
// kEyeThumbnailHeight, area average, their mean grey level removed and
// softened by a blur of one thumbnail pixel, so that the parallax and a
// difference of exposure between the eyes weigh little). For every offset d
// from -kMaxEyeOffset to +kMaxEyeOffset the left thumbnail of frame t - d is
// compared with the right thumbnail of frame t (mean squared difference,
// over the same frames for every d), at the horizontal shift of the right
// eye (up to 4 thumbnail columns, in quarter columns) that suits that offset
// best: the shift takes up the parallax common to the picture, which a
// sideways camera move would otherwise turn into a delay. The offset whose
// pictures agree best is the estimate. Its confidence is the share of the
// compared frames whose own best offset it is.
//
// No estimate ("cannot tell") is given for fewer than 21 frames, a picture
// that barely moves, an estimate that fewer than a quarter of the frames
// agree with, or a runner-up almost as good as the best (less than a tenth
// of the squared change between consecutive frames worse), as a steady
// sideways pan gives: every offset then fits at its own shift.
#pragma once

#include <cstdint>
#include <opencv2/core.hpp>
#include <optional>
#include <string>
#include <vector>

namespace stereolint::qc {

// Offsets are looked for within this many frames either way; a larger one
// reads as the nearest end of the range or cannot be told.
inline constexpr int kMaxEyeOffset = 5;
// The frames compared: the first this many pairs read.
inline constexpr int kEyeSyncFrames = 120;
inline constexpr int kEyeThumbnailWidth = 64;
inline constexpr int kEyeThumbnailHeight = 36;
// Below this mean change between consecutive thumbnails (grey levels, 0 to
// 255) the picture is taken as still: no offset can be told from it.
inline constexpr double kStillMotion = 0.3;
// An estimate fewer than this share of the frames agree with is no
// estimate.
inline constexpr double kMinEyeSyncConfidence = 0.25;
// Nor is one whose runner-up is worse by less than this share of the mean
// squared change between consecutive thumbnails.
inline constexpr double kMinEyeSyncMargin = 0.1;

enum class EyeSyncStatus {
  NotApplicable,  // one input gives both views
  Measured,       // `offset` and `confidence` hold the estimate
  CannotTell,     // the pictures do not decide; `reason` says why
};

// "measured", "cannot tell", "not applicable".
const char* eyeSyncStatusName(EyeSyncStatus status);
std::optional<EyeSyncStatus> eyeSyncStatusFromName(const std::string& name);

struct EyeSync {
  EyeSyncStatus status = EyeSyncStatus::NotApplicable;
  // Frames by which the right eye lags the left: 2 when the right eye shows
  // at frame t + 2 what the left eye shows at frame t; negative when the
  // left eye lags. 0 unless Measured.
  int offset = 0;
  // From 0 to 1: the share of the compared frames whose own best offset is
  // `offset`, rounded to hundredths. 0 unless Measured.
  double confidence = 0;
  // CannotTell: why, e.g. "the picture barely moves in the 120 frames
  // compared".
  std::string reason;
  // How many pairs of frames the estimate looked at (at most
  // kEyeSyncFrames): of two estimates of one take, the one of more frames
  // is the better.
  int framesCompared = 0;
  // The frames each eye holds, when both inputs know their count exactly
  // (image sequences); empty otherwise.
  std::optional<std::int64_t> leftFrames;
  std::optional<std::int64_t> rightFrames;

  bool lengthsDiffer() const { return leftFrames && rightFrames && *leftFrames != *rightFrames; }
  bool operator==(const EyeSync& other) const;
};

// The estimate in words: "The right eye is 2 frames behind the left
// (confidence 0.93)", "The eyes are in step (confidence 0.97)", "Whether the
// eyes are in step cannot be told: " and the reason; "" when NotApplicable.
std::string eyeSyncSentence(const EyeSync& sync);
// "The right eye has 1998 frames, the left 2000"; "" unless lengthsDiffer().
std::string eyeLengthsSentence(const EyeSync& sync);

// Collects the thumbnails of the first kEyeSyncFrames pairs of views and
// estimates the offset from them. Memory stays bounded: later pairs are not
// kept.
class EyeSyncEstimator {
 public:
  // The views of one frame, 8- or 16-bit, 1, 3 or 4 channels. Ignored once
  // full() or when either view is empty.
  void add(const cv::Mat& left, const cv::Mat& right);
  bool full() const { return lefts.size() >= static_cast<size_t>(kEyeSyncFrames); }
  int frames() const { return static_cast<int>(lefts.size()); }

  // Measured or CannotTell from the pairs added so far; the frame counts are
  // left empty.
  EyeSync estimate() const;

 private:
  std::vector<cv::Mat> lefts;  // CV_32F thumbnails
  std::vector<cv::Mat> rights;
};

// The grey thumbnail of a view as the estimator compares it: CV_32F,
// kEyeThumbnailWidth x kEyeThumbnailHeight, grey levels 0 to 255 less their
// mean, blurred.
cv::Mat eyeThumbnail(const cv::Mat& view);

}  // namespace stereolint::qc
