#include "checkers/Stereolint.h"

#include <algorithm>
#include <cmath>

#include "checkers/RotationStereolint.h"
#include "checkers/ScaleStereolint.h"
#include "checkers/SingleMeasurement.h"
#include "checkers/SummaryPicture.h"
#include "checkers/VerticalStereolint.h"
#include "checkers/ViewContent.h"
#include "results/ResultKeys.h"

namespace stereolint {

namespace {

std::unique_ptr<SingleStereolint> createStep(Step step, const std::string& parameters) {
  switch (step) {
    case Step::Vertical:
      return std::make_unique<VerticalStereolint>(parameters);
    case Step::Rotation:
      return std::make_unique<RotationStereolint>(parameters);
    case Step::Scale:
      return std::make_unique<ScaleStereolint>(parameters);
  }
  return nullptr;
}

Measure stepMeasure(Step step) {
  switch (step) {
    case Step::Vertical: return Measure::Vertical;
    case Step::Rotation: return Measure::Rotation;
    case Step::Scale: return Measure::Scale;
  }
  return Measure::Vertical;
}

}  // namespace

cv::Mat findImage(const Results& results, const std::string& key, const std::string& name) {
  for (const auto& result : results) {
    if (!name.empty() && result->getName() != name) continue;
    for (const Result::KeyImage* image : result->getKeyImages()) {
      if (image->getKey() == key) return image->getImage();
    }
  }
  return cv::Mat();
}

Stereolint::Stereolint(std::string parameters) : StereolintInterface(std::move(parameters)) {
  for (const Step item : options().steps) steps.emplace_back(item, createStep(item, getParameters()));
}

Stereolint::~Stereolint() = default;

cv::Mat Stereolint::correct(cv::Mat view, double /*amount*/) const { return view.clone(); }

Results Stereolint::compute(const FeatureMatches* matches, cv::Mat left, cv::Mat right) const {
  return measureSteps(matches, std::move(left), std::move(right)).results;
}

FrameOutcome Stereolint::measureFrame(cv::Mat left, cv::Mat right) const {
  return measureSteps(nullptr, std::move(left), std::move(right));
}

FrameOutcome Stereolint::measureSteps(const FeatureMatches* matches, cv::Mat left,
                                      cv::Mat right) const {
  const cv::Mat givenLeft = left, givenRight = right;
  prepareViews(left, right);
  FrameOutcome outcome;
  outcome.status = FrameStatus::Ok;
  // Views a step leaves as they were keep their features for the next step.
  FeatureMemo memo;
  for (const auto& [item, step] : steps) {
    StepOutput output;
    Results stepResults = step->measure(matches, left, right, &output, &memo);
    if (options().recurrency) {
      left = output.left;
      right = output.right;
    }
    for (auto& result : stepResults) outcome.results.push_back(std::move(result));
    if (output.points > 0)
      outcome.points = outcome.points ? std::min(*outcome.points, output.points) : output.points;
    if (output.median && std::isfinite(*output.median)) {
      outcome.values[measureIndex(stepMeasure(item))] = output.median;
    } else if (outcome.status == FrameStatus::Ok) {
      outcome.status = FrameStatus::Inconclusive;
      outcome.reason = Inconclusive::StepFoundNoPoints;
      outcome.reasonSubject = stepName(item);
    }
  }
  if (outcome.results.empty()) {
    outcome.status = FrameStatus::Inconclusive;
    outcome.reason = Inconclusive::NoMeasurement;
  } else if (!outcome.points) {
    outcome.featureless = featurelessViews(givenLeft, givenRight);
  }
  return outcome;
}

cv::Mat Stereolint::visualize(const Results& results) const { return summaryPicture(results); }

std::vector<PictureName> Stereolint::visualizeSources(const Results& results) const {
  return summarySources(results);
}

}  // namespace stereolint
