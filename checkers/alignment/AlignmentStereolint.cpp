#include "checkers/alignment/AlignmentStereolint.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <opencv2/imgproc.hpp>

#include "checkers/alignment/AlignmentDepth.h"
#include "checkers/alignment/AlignmentEyes.h"
#include "checkers/alignment/AlignmentMeasurement.h"
#include "checkers/alignment/AlignmentPictures.h"
#include "checkers/alignment/AlignmentResultKeys.h"
#include "results/ViewPixels.h"

namespace stereolint {

namespace {

namespace k = alignment_keys;

constexpr int kSummaryWidth = 960;
const cv::Size kDarkSize(640, 360);

MeasureValues measures(const AlignmentMeasurement& m);

// The block's numbers, in the order of its table's columns: the measures
// the fit gives (the parallax of its inliers), their standard errors, then
// POINTS, RESIDUAL (with a model), STATUS and TIME.
Result::KeyValues values(const FrameOutcome& outcome, const AlignmentMeasurement& m) {
  Result::KeyValues list;
  const auto add = [&list](const std::string& key, double value) {
    list.push_back(std::make_unique<Result::KeyValue>(key, value));
  };
  const MeasureValues fitted = measures(m);
  for (Measure measure : kAllMeasures)
    if (const auto& value = fitted[measureIndex(measure)]) add(measureName(measure), *value);
  for (Measure measure : kAlignmentErrorMeasures)
    if (const auto& error = outcome.standardErrors[measureIndex(measure)])
      add(standardErrorName(measure), *error);
  add(kPointsField, m.points);
  if (m.fitted) add(kResidualField, m.residual);
  list.push_back(std::make_unique<Result::KeyValue>(kStatusField, m.statusText()));
  add(kTimeField, m.milliseconds);
  return list;
}

MeasureValues measures(const AlignmentMeasurement& m) {
  MeasureValues values;
  if (m.fitted) {
    values[measureIndex(Measure::Vertical)] = m.vertical;
    values[measureIndex(Measure::Rotation)] = m.rotationDegrees;
    values[measureIndex(Measure::Scale)] = m.scale;
    values[measureIndex(Measure::Keystone)] = m.keystone;
  }
  if (m.parallaxKnown) {
    values[measureIndex(Measure::NearParallax)] = m.nearParallax;
    values[measureIndex(Measure::FarParallax)] = m.farParallax;
  }
  return values;
}

// The dense map's reading replaces the features' depth budget: it sees
// every textured pixel, not a few hundred corners.
void addDepth(MeasureValues& values, const DepthMeasurement& depth) {
  if (depth.status != FrameStatus::Ok || !depth.figures) return;
  values[measureIndex(Measure::NearParallax)] = depth.figures->nearPercent;
  values[measureIndex(Measure::FarParallax)] = depth.figures->farPercent;
  values[measureIndex(Measure::MedianParallax)] = depth.figures->medianPercent;
  values[measureIndex(Measure::Window)] =
      std::max(depth.figures->windowLeftPercent, depth.figures->windowRightPercent);
  if (depth.divergenceMm) values[measureIndex(Measure::Divergence)] = *depth.divergenceMm;
  if (depth.eyeOrderReadable &&
      depth.evidence.farther + depth.evidence.nearer >= kEyeOrderMinimumEvidence)
    values[measureIndex(Measure::EyeOrder)] = eyeOrderScore(depth.evidence);
}

void addEyes(MeasureValues& values, const EyesMeasurement& eyes) {
  if (eyes.status != FrameStatus::Ok || !eyes.figures) return;
  values[measureIndex(Measure::Luminance)] = eyes.figures->luminanceStops;
  values[measureIndex(Measure::Colour)] = eyes.figures->colourMedian;
  if (eyes.sharpness) values[measureIndex(Measure::Sharpness)] = eyes.sharpness->ratio;
  if (eyes.highlights)
    values[measureIndex(Measure::HighlightArea)] = eyes.highlights->areaPercent;
}

MeasureValues standardErrors(const AlignmentMeasurement& m) {
  MeasureValues errors;
  if (m.fitted && m.errors) {
    errors[measureIndex(Measure::Vertical)] = m.errors->vertical;
    errors[measureIndex(Measure::Rotation)] = m.errors->rotation;
    errors[measureIndex(Measure::Scale)] = m.errors->scale;
  }
  return errors;
}

Result::KeyImages pictures(const cv::Mat& left, const cv::Mat& right,
                           const AlignmentMeasurement& m) {
  const cv::Mat leftColour = toColour(left), rightColour = toColour(right);
  const cv::Mat corrected = correctRight(rightColour, m.fitted ? m.model : DisparityModel{});
  Result::KeyImages list;
  const auto add = [&list](const char* key, cv::Mat image) {
    list.push_back(std::make_unique<Result::KeyImage>(key, std::move(image)));
  };
  add(k::kAnaglyphBefore, alignmentAnaglyph(leftColour, rightColour));
  add(k::kAnaglyphAfter, alignmentAnaglyph(leftColour, corrected));
  add(k::kCorrectRight, corrected);
  add(k::kPointsPicture, pointsPicture(leftColour, m));
  return list;
}

const Result* alignmentResult(const Results& results) {
  for (const auto& result : results) {
    if (result && result->getName() == kAlignmentBlock) return result.get();
  }
  return nullptr;
}

cv::Mat summaryBackground(const Result& result) {
  for (const Result::KeyImage* image : result.getKeyImages()) {
    if (image->getKey() != k::kAnaglyphAfter || image->getImage().empty()) continue;
    const cv::Mat anaglyph = image->getImage();
    const double shrink = std::min(1.0, static_cast<double>(kSummaryWidth) / anaglyph.cols);
    cv::Mat picture;
    cv::resize(anaglyph, picture, cv::Size(), shrink, shrink, cv::INTER_AREA);
    return picture;
  }
  return cv::Mat(kDarkSize, CV_8UC3, cv::Scalar(40, 40, 40));
}

void writeLine(cv::Mat& picture, const std::string& text, int line) {
  const cv::Point at(12, 28 + 26 * line);
  // A dark outline keeps the white text readable on any anaglyph.
  cv::putText(picture, text, at, cv::FONT_HERSHEY_SIMPLEX, 0.7, cv::Scalar::all(0), 4, cv::LINE_AA);
  cv::putText(picture, text, at, cv::FONT_HERSHEY_SIMPLEX, 0.7, cv::Scalar::all(255), 1,
              cv::LINE_AA);
}

}  // namespace

AlignmentStereolint::AlignmentStereolint(std::string parameters)
    : StereolintInterface(std::move(parameters)), alignment([this] {
        const Expected<AlignmentOptions> parsed = parseAlignmentOptions(getParameters());
        return parsed.ok() ? parsed.value() : AlignmentOptions{};
      }()) {}

AlignmentStereolint::AlignmentStereolint(std::string parameters, AlignmentOptions options)
    : StereolintInterface(std::move(parameters)), alignment(options) {}

cv::Mat AlignmentStereolint::correct(cv::Mat view, double amount) const {
  cv::Mat moved;
  if (!std::isfinite(amount)) return view.clone();
  const cv::Matx23d shift(1, 0, 0, 0, 1, amount);
  cv::warpAffine(view, moved, shift, view.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT,
                 cv::Scalar::all(0));
  return moved;
}

Results AlignmentStereolint::compute(const FeatureMatches* /*matches*/, cv::Mat left,
                                     cv::Mat right) const {
  return measureFrame(std::move(left), std::move(right)).results;
}

FrameOutcome AlignmentStereolint::measureFrame(cv::Mat left, cv::Mat right) const {
  const AlignmentMeasurement m = measureAlignment(left, right, alignment);
  FrameOutcome outcome;
  outcome.status = m.status;
  outcome.reason = m.reason;
  outcome.values = measures(m);
  outcome.standardErrors = standardErrors(m);
  outcome.points = m.points;
  for (size_t i = 0; i < m.pairs.size() && i < m.inliers.size(); ++i)
    if (m.inliers[i])
      outcome.inliers.push_back({cv::Point2f(m.pairs[i].left),
                                 static_cast<float>(m.pairs[i].left.y - m.pairs[i].right.y)});
  // Pictures combine the views pixel by pixel: views of different sizes get none.
  const bool drawn = alignment.pictures && !left.empty() && left.size() == right.size();
  outcome.results.push_back(std::make_unique<Result>(
      kAlignmentBlock, values(outcome, m), drawn ? pictures(left, right, m) : Result::KeyImages{}));
  const bool blocksDrawn = (alignment.pictures || alignment.blockPictures) && !left.empty() &&
                           left.size() == right.size();
  if (alignment.depth) {
    const DepthMeasurement depth = measureDepth(left, right, m, alignment);
    addDepth(outcome.values, depth);
    outcome.depth = depthDetail(depth);
    outcome.results.push_back(std::make_unique<Result>(
        kDepthBlock, depthValues(depth), blocksDrawn ? depthPictures(depth) : Result::KeyImages{}));
    if (alignment.eyes) {
      const EyesMeasurement eyes = measureEyes(left, right, m, depth);
      addEyes(outcome.values, eyes);
      if (eyes.status == FrameStatus::Ok && eyes.figures) outcome.colour = eyes.figures->decision;
      outcome.results.push_back(
          std::make_unique<Result>(kEyesBlock, eyesValues(eyes),
                                   blocksDrawn ? eyesPictures(eyes, depth) : Result::KeyImages{}));
    }
  }
  return outcome;
}

std::unique_ptr<StereolintInterface> AlignmentStereolint::reviewChecker() const {
  if (alignment.pictures || !alignment.depth) return nullptr;
  AlignmentOptions drawing = alignment;
  drawing.blockPictures = true;
  return std::make_unique<AlignmentStereolint>(getParameters(), drawing);
}

cv::Mat AlignmentStereolint::visualize(const Results& results) const {
  const Result* result = alignmentResult(results);
  if (result == nullptr) {
    cv::Mat picture(kDarkSize, CV_8UC3, cv::Scalar(40, 40, 40));
    writeLine(picture, "No alignment result", 0);
    return picture;
  }
  cv::Mat picture = summaryBackground(*result);
  int line = 0;
  for (const Result::KeyValue* entry : result->getKeyValues()) {
    char number[64];
    std::snprintf(number, sizeof number, "%.4f", entry->getValue());
    writeLine(picture, entry->getKey() + ": " + (entry->hasText() ? entry->getText() : number),
              line++);
  }
  return picture;
}

}  // namespace stereolint
