#include "qc/EyeSync.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <opencv2/imgproc.hpp>

namespace stereolint::qc {

namespace {

constexpr int kOffsets = 2 * kMaxEyeOffset + 1;
// Fewest frames compared for every offset.
constexpr int kMinCompared = 10;
// The parallax common to the whole picture that the comparison takes up:
// up to this many thumbnail columns either way (about 6 % of the width), in
// steps of a quarter column.
constexpr double kMaxParallax = 4.0;
constexpr double kShiftStep = 0.25;
const cv::Rect kMiddle(5, 0, kEyeThumbnailWidth - 10, kEyeThumbnailHeight);

double meanAbsDifference(const cv::Mat& a, const cv::Mat& b) {
  return cv::norm(a, b, cv::NORM_L1) / static_cast<double>(a.total());
}

// Squared differences, not absolute ones, compare the offsets: what the
// eyes differ in anyway (parallax beyond the common shift, misalignment,
// exposure) then adds the same amount to every offset, and the motion of a
// wrong offset adds its own share on top instead of hiding in it.
double meanSquaredDifference(const cv::Mat& a, const cv::Mat& b) {
  return cv::norm(a, b, cv::NORM_L2SQR) / static_cast<double>(a.total());
}

std::string framesText(std::int64_t count) {
  return std::to_string(count) + (count == 1 ? " frame" : " frames");
}

// A thumbnail moved `columns` to the right (a fraction of a column by
// linear interpolation), cut to its middle: the columns that every shift
// keeps.
cv::Mat shiftedMiddle(const cv::Mat& thumbnail, double columns) {
  const cv::Mat move = (cv::Mat_<double>(2, 3) << 1, 0, columns, 0, 1, 0);
  cv::Mat moved;
  cv::warpAffine(thumbnail, moved, move, thumbnail.size(), cv::INTER_LINEAR, cv::BORDER_REPLICATE);
  return moved(kMiddle).clone();
}

// How well each offset d matches the eyes: the mean difference of left frame
// t - d and right frame t over t in [first, end), at the horizontal shift of
// the right eye that suits that offset best. The shift takes up the parallax
// common to the whole picture, which a sideways camera move would otherwise
// mistake for a delay; only a move that changes speed or direction tells
// offsets apart.
struct OffsetFit {
  std::array<double, kOffsets> error;
  std::array<double, kOffsets> shift;
};

OffsetFit fitOffsets(const std::vector<cv::Mat>& lefts, const std::vector<cv::Mat>& rights,
                     int first, int end) {
  OffsetFit fit;
  fit.error.fill(HUGE_VAL);
  fit.shift.fill(0);
  std::vector<cv::Mat> right(rights.size());
  for (double shift = -kMaxParallax; shift <= kMaxParallax; shift += kShiftStep) {
    for (int t = first; t < end; ++t) {
      right[static_cast<size_t>(t)] = shiftedMiddle(rights[static_cast<size_t>(t)], shift);
    }
    for (int d = -kMaxEyeOffset; d <= kMaxEyeOffset; ++d) {
      double sum = 0;
      for (int t = first; t < end; ++t) {
        sum += meanSquaredDifference(lefts[static_cast<size_t>(t - d)](kMiddle),
                                     right[static_cast<size_t>(t)]);
      }
      const auto k = static_cast<size_t>(d + kMaxEyeOffset);
      if (sum / (end - first) < fit.error[k]) {
        fit.error[k] = sum / (end - first);
        fit.shift[k] = shift;
      }
    }
  }
  return fit;
}

// The share of the frames in [first, end) whose own best offset, each
// offset at its shift of `fit`, is `offset`: frames that move vote for the
// offset that matches them, still frames scatter their votes.
double shareOfVotes(const std::vector<cv::Mat>& lefts, const std::vector<cv::Mat>& rights,
                    int first, int end, const OffsetFit& fit, int offset) {
  int votes = 0;
  for (int t = first; t < end; ++t) {
    int chosen = 0;
    double least = HUGE_VAL;
    for (int d = -kMaxEyeOffset; d <= kMaxEyeOffset; ++d) {
      const cv::Mat right = shiftedMiddle(rights[static_cast<size_t>(t)],
                                          fit.shift[static_cast<size_t>(d + kMaxEyeOffset)]);
      const double difference =
          meanSquaredDifference(lefts[static_cast<size_t>(t - d)](kMiddle), right);
      if (difference < least) {
        least = difference;
        chosen = d;
      }
    }
    if (chosen == offset) ++votes;
  }
  return static_cast<double>(votes) / (end - first);
}

}  // namespace

const char* eyeSyncStatusName(EyeSyncStatus status) {
  switch (status) {
    case EyeSyncStatus::Measured:
      return "measured";
    case EyeSyncStatus::CannotTell:
      return "cannot tell";
    case EyeSyncStatus::NotApplicable:
      break;
  }
  return "not applicable";
}

std::optional<EyeSyncStatus> eyeSyncStatusFromName(const std::string& name) {
  for (EyeSyncStatus status :
       {EyeSyncStatus::NotApplicable, EyeSyncStatus::Measured, EyeSyncStatus::CannotTell}) {
    if (name == eyeSyncStatusName(status)) return status;
  }
  return std::nullopt;
}

bool EyeSync::operator==(const EyeSync& other) const {
  return status == other.status && offset == other.offset && confidence == other.confidence &&
         reason == other.reason && framesCompared == other.framesCompared &&
         leftFrames == other.leftFrames && rightFrames == other.rightFrames;
}

std::string eyeSyncSentence(const EyeSync& sync) {
  switch (sync.status) {
    case EyeSyncStatus::NotApplicable:
      return "";
    case EyeSyncStatus::CannotTell:
      return "Whether the eyes are in step cannot be told: " + sync.reason;
    case EyeSyncStatus::Measured:
      break;
  }
  char confidence[32];
  std::snprintf(confidence, sizeof confidence, " (confidence %.2f)", sync.confidence);
  if (sync.offset == 0) return std::string("The eyes are in step") + confidence;
  const bool rightLate = sync.offset > 0;
  return std::string("The ") + (rightLate ? "right" : "left") + " eye is " +
         framesText(std::abs(sync.offset)) + " behind the " + (rightLate ? "left" : "right") +
         confidence;
}

std::string eyeLengthsSentence(const EyeSync& sync) {
  if (!sync.lengthsDiffer()) return "";
  return "The right eye has " + framesText(*sync.rightFrames) + ", the left " +
         std::to_string(*sync.leftFrames);
}

cv::Mat eyeThumbnail(const cv::Mat& view) {
  cv::Mat small;
  // Area averaging over the whole view; any depth and channel count.
  cv::resize(view, small, cv::Size(kEyeThumbnailWidth, kEyeThumbnailHeight), 0, 0, cv::INTER_AREA);
  const double scale = view.depth() == CV_16U ? 255.0 / 65535.0 : 1.0;
  small.convertTo(small, CV_32F, scale);
  cv::Mat grey;
  if (small.channels() == 1) {
    grey = small;
  } else {
    // The mean of the colour channels (an alpha channel left out).
    std::vector<cv::Mat> planes;
    cv::split(small, planes);
    const int colours = std::min(3, small.channels());
    grey = cv::Mat::zeros(small.size(), CV_32F);
    for (int c = 0; c < colours; ++c) grey += planes[static_cast<size_t>(c)];
    grey /= colours;
  }
  // A difference of exposure between the eyes is mostly a difference of mean
  // level; the blur lets a parallax of about a thumbnail pixel weigh little.
  grey -= cv::mean(grey)[0];
  cv::GaussianBlur(grey, grey, cv::Size(5, 5), 1.0);
  return grey;
}

void EyeSyncEstimator::add(const cv::Mat& left, const cv::Mat& right) {
  if (full() || left.empty() || right.empty()) return;
  lefts.push_back(eyeThumbnail(left));
  rights.push_back(eyeThumbnail(right));
}

EyeSync EyeSyncEstimator::estimate() const {
  EyeSync sync;
  sync.status = EyeSyncStatus::CannotTell;
  const int count = frames();
  sync.framesCompared = count;
  // Right frame t is compared with left frame t - d for every d, over the
  // frames where all of those exist, so every offset is scored on the same
  // frames.
  const int first = kMaxEyeOffset + 1;
  const int end = count - kMaxEyeOffset;
  if (end - first < kMinCompared) {
    sync.reason = "only " + std::to_string(count) + " consecutive " +
                  (count == 1 ? "frame was" : "frames were") + " read, " +
                  std::to_string(first + kMinCompared + kMaxEyeOffset) + " are needed";
    return sync;
  }
  double motion = 0;  // mean absolute change between consecutive frames
  double energy = 0;  // mean squared change
  for (int t = first; t < end; ++t) {
    const auto k = static_cast<size_t>(t);
    motion +=
        meanAbsDifference(lefts[k], lefts[k - 1]) + meanAbsDifference(rights[k], rights[k - 1]);
    energy += meanSquaredDifference(lefts[k], lefts[k - 1]) +
              meanSquaredDifference(rights[k], rights[k - 1]);
  }
  motion /= 2.0 * (end - first);
  energy /= 2.0 * (end - first);
  if (motion < kStillMotion) {
    sync.reason = "the picture barely moves in the " + std::to_string(count) + " frames compared";
    return sync;
  }
  const OffsetFit fit = fitOffsets(lefts, rights, first, end);
  const int best =
      static_cast<int>(std::min_element(fit.error.begin(), fit.error.end()) - fit.error.begin()) -
      kMaxEyeOffset;
  const double confidence = shareOfVotes(lefts, rights, first, end, fit, best);
  std::array<double, kOffsets> sorted = fit.error;
  std::sort(sorted.begin(), sorted.end());
  // A steady sideways pan fits every offset equally well at its own shift:
  // the runner-up is then as good as the best, whatever the votes say.
  const double margin = (sorted[1] - sorted[0]) / energy;
  if (margin < kMinEyeSyncMargin || confidence < kMinEyeSyncConfidence) {
    sync.reason = "no offset matches the two eyes clearly in the " + std::to_string(count) +
                  " frames compared";
    return sync;
  }
  sync.status = EyeSyncStatus::Measured;
  sync.offset = best;
  sync.confidence = std::round(confidence * 100.0) / 100.0;
  return sync;
}

}  // namespace stereolint::qc
