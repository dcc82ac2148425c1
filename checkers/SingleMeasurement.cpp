#include "checkers/SingleMeasurement.h"

#include <memory>

#include <opencv2/imgproc.hpp>

#include "checkers/Disparity.h"
#include "checkers/MatchFeatures.h"
#include "checkers/Pictures.h"
#include "checkers/Statistics.h"
#include "util/Parallel.h"
#include "platform/Platform.h"
#include "util/StageTimes.h"
#include "results/ResultKeys.h"
#include "results/ViewPixels.h"

namespace stereolint {

namespace {

// One record per distinct left feature position: the value the kind
// measures for the first match at that position.
std::vector<Disparity> featureRecords(const MeasurementKind& kind, const FeatureMatches& matches) {
  const std::vector<cv::KeyPoint>& leftKeypoints = matches.getLeftKeypoints();
  const std::vector<cv::KeyPoint>& rightKeypoints = matches.getRightKeypoints();
  const std::vector<cv::DMatch>& pairs = matches.getMatches();
  const std::vector<size_t> features = firstMatchPerPosition(leftKeypoints, pairs);
  std::vector<Disparity> records;
  records.reserve(features.size());
  if (kind.measureMany != nullptr && !work::serialRequested()) {
    const std::vector<double> measured =
        kind.measureMany(matchedPositions(leftKeypoints, rightKeypoints, pairs), features);
    for (size_t f = 0; f < features.size(); ++f) {
      records.emplace_back(leftPosition(leftKeypoints, pairs[features[f]]), measured[f]);
    }
  } else {
    for (size_t i : features) {
      records.emplace_back(leftPosition(leftKeypoints, pairs[i]),
                           kind.measure(leftKeypoints, rightKeypoints, pairs, i));
    }
  }
  return records;
}

// The numbers of a step: the statistics of the calculation points (only when
// there are any) and the TIME spent measuring.
Result::KeyValues statisticsValues(const std::vector<Disparity>& points, double medianValue,
                                   size_t matchCount, double elapsed) {
  Result::KeyValues values;
  auto addValue = [&values](const char* key, double value) {
    values.push_back(std::make_unique<Result::KeyValue>(key, value));
  };
  if (!points.empty()) {
    addValue(keys::kAllPoints, static_cast<double>(matchCount));
    addValue(keys::kCalculationPoints, count(points));
    addValue(keys::kAverage, average(points));
    addValue(keys::kStandardDeviation, standardDeviation(points));
    addValue(keys::kAverageAbs, averageAbs(points));
    addValue(keys::kMedian, medianValue);
    addValue(keys::kMedianAbsoluteDeviation, medianAbsoluteDeviation(points));
    addValue(keys::kMaximumAbsolute, maximumAbsolute(points));
  }
  addValue(keys::kTime, elapsed);
  return values;
}

}  // namespace

void prepareViews(cv::Mat& left, cv::Mat& right) {
  left = toColour(left);
  right = toColour(right);
}

Results measureSingle(const StereolintInterface& checker, const MeasurementKind& kind,
                      const FeatureMatches* matches, cv::Mat left, cv::Mat right,
                      StepOutput* output, FeatureMemo* memo) {
  prepareViews(left, right);
  std::unique_ptr<FeatureMatches> ownMatches;
  if (matches == nullptr) {
    ownMatches = matchFeatures(checker, left, right, memo);
    matches = ownMatches.get();
  }

  Result::KeyValues values;
  Result::KeyImages images;
  auto addImage = [&images](const char* key, cv::Mat image) {
    images.push_back(std::make_unique<Result::KeyImage>(key, std::move(image)));
  };

  {
    const timing::ScopedStage drawing(timing::Stage::Drawing);
    addImage(keys::kAnaglyphBefore, anaglyph(left, right));
  }

  std::vector<Disparity> points;
  double medianValue = 0;
  {
    const timing::ScopedStage measuring(timing::Stage::Measuring);
    const std::int64_t start = platform::monotonicMilliseconds();
    std::vector<Disparity> records = featureRecords(kind, *matches);
    const auto elapsed = static_cast<double>(platform::monotonicMilliseconds() - start);

    points = calculationPoints(std::move(records));
    medianValue = median(points);
    values = statisticsValues(points, medianValue, matches->getMatches().size(), elapsed);
  }

  const timing::ScopedStage drawing(timing::Stage::Drawing);
  const bool distribution = checker.options().distribution;
  cv::Mat circles, correctLeft, correctRight, anaglyphAfter, matchLines;
  // The matches picture takes its line colours from this thread's random
  // generator, which earlier pictures of the frame have drawn from, so it
  // is drawn here; the other pictures take nothing random and are drawn
  // beside it.
  work::runBeside(
      [&] {
        if (distribution) circles = circlesPicture(left, points);
        correctLeft = checker.correct(left, kind.neutralAmount);
        correctRight = checker.correct(right, medianValue);
        anaglyphAfter = anaglyph(correctLeft, correctRight);
      },
      [&] { matchLines = matchesPicture(left, right, *matches); });
  if (distribution) addImage(keys::kCircles, circles);
  addImage(keys::kCorrectLeft, correctLeft);
  addImage(keys::kCorrectRight, correctRight);
  addImage(keys::kAnaglyphAfter, anaglyphAfter);
  addImage(keys::kMatches, matchLines);

  if (output != nullptr) {
    *output = {correctLeft, correctRight, std::nullopt, static_cast<int>(points.size())};
    if (!points.empty()) output->median = medianValue;
  }

  Results results;
  results.push_back(std::make_unique<Result>(kind.resultName, std::move(values), std::move(images)));
  return results;
}

cv::Mat warpAboutCentre(const cv::Mat& view, double degrees, double scale) {
  const cv::Point2f centre(static_cast<float>(view.cols) / 2, static_cast<float>(view.rows) / 2);
  cv::Mat result;
  cv::warpAffine(view, result, cv::getRotationMatrix2D(centre, degrees, scale), view.size(),
                 cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar::all(0));
  return result;
}

cv::Mat SingleStereolint::visualize(const Results& /*results*/) const { return blackSummary(); }

cv::Mat blackSummary() { return cv::Mat(200, 200, CV_8UC3, cv::Scalar::all(0)); }

}  // namespace stereolint
