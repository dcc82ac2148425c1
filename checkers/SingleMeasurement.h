// The common course of the vertical, rotation and scale measurements: views
// to 8 bits, features matched, one value per distinct left feature, the
// statistics of the calculation points, the corrected views and pictures,
// and one result. The three checkers differ only in the value measured per
// feature, their `correct`, the neutral amount and the result name.
#pragma once

#include <optional>
#include <vector>

#include <opencv2/core.hpp>

#include "checkers/MatchFeatures.h"
#include "checkers/PairwiseMeasures.h"
#include "checkers/StereolintInterface.h"

namespace stereolint {

// The value one feature measures: match `i` of `matches` against the
// keypoint lists it indexes (and, for rotation and scale, every other
// match).
using FeatureMeasure = double (*)(const std::vector<cv::KeyPoint>& leftKeypoints,
                                  const std::vector<cv::KeyPoint>& rightKeypoints,
                                  const std::vector<cv::DMatch>& matches, size_t i);

// The same values for many features at once (match indices `features`, in
// that order), bit-identical to `FeatureMeasure` on each.
using FeatureValues = std::vector<double> (*)(const MatchedPositions& positions,
                                             const std::vector<size_t>& features);

// How a single checker measures and names its result.
struct MeasurementKind {
  const char* resultName;  // "VERTICAL", "ROTATION" or "SCALE"
  FeatureMeasure measure;
  // The fast form of `measure` for measures that compare every pair of
  // matches; null when one feature at a time is fast already. It is not
  // used when STEREOLINT_SERIAL asks for the straightforward way.
  FeatureValues measureMany;
  double neutralAmount;    // the `correct` amount that leaves a view as it is
};

// Brings a pair of views to the form every measurement and picture takes:
// a view of 16-bit samples (in any number of channels) is scaled by 1/256
// to 8 bits; single-channel (grey) and 4-channel views become 3-channel
// colour views. Views already in that form are returned as they
// are, sharing their pixels.
void prepareViews(cv::Mat& left, cv::Mat& right);

// What a step hands on besides its result: the views as it corrected them
// (its CORRECT_LEFT and CORRECT_RIGHT), its MEDIAN (empty when it had no
// calculation points) and the number of calculation points.
struct StepOutput {
  cv::Mat left;
  cv::Mat right;
  std::optional<double> median;
  int points = 0;
};

// Runs one single measurement on the pair and returns its one result:
// numbers "ALL POINTS" … "CENTYL 70" (only with calculation points) and
// "TIME" (milliseconds spent turning matches into values); pictures
// "ANAGLYPH_BEFORE", "CIRCLES" (only when DISTRIBUTION is "TRUE"),
// "CORRECT_LEFT" (the left view through `correct` with the neutral amount),
// "CORRECT_RIGHT" (the right view through `correct` with the median),
// "ANAGLYPH_AFTER", "MATCHES". With `matches` null the checker matches the
// views itself, with `memo` when given (see FeatureMemo). When `output` is
// given, it receives the corrected views, the median and the points.
Results measureSingle(const StereolintInterface& checker, const MeasurementKind& kind,
                      const FeatureMatches* matches, cv::Mat left, cv::Mat right,
                      StepOutput* output = nullptr, FeatureMemo* memo = nullptr);

// A checker of one measurement (vertical, rotation or scale): what it
// measures per feature and how it corrects a view are its own; the course
// of the measurement is measureSingle's.
class SingleStereolint : public StereolintInterface {
 public:
  using StereolintInterface::StereolintInterface;

  Results compute(const FeatureMatches* matches, cv::Mat left, cv::Mat right) const override {
    return measure(matches, std::move(left), std::move(right), nullptr);
  }
  // compute, also handing back what the step found when `output` is given,
  // and matching with `memo` when given.
  Results measure(const FeatureMatches* matches, cv::Mat left, cv::Mat right, StepOutput* output,
                  FeatureMemo* memo = nullptr) const {
    return measureSingle(*this, kind(), matches, std::move(left), std::move(right), output, memo);
  }
  // A 200 x 200 black picture, whatever the list.
  cv::Mat visualize(const Results& results) const override;
  std::vector<PictureName> visualizeSources(const Results& /*results*/) const override {
    return {};
  }

 protected:
  virtual const MeasurementKind& kind() const = 0;
};

// `view` turned by `degrees` (anticlockwise for positive angles) and scaled
// by `scale` about (columns / 2, rows / 2), keeping its size; bilinear, black
// where nothing maps. The correction of the rotation and scale checkers.
cv::Mat warpAboutCentre(const cv::Mat& view, double degrees, double scale);

// What a single checker's `visualize` gives for any list: a 200 x 200 black
// 3-channel 8-bit picture.
cv::Mat blackSummary();

}  // namespace stereolint
