#include "checkers/Stereolint.h"

#include "checkers/RotationStereolint.h"
#include "checkers/ScaleStereolint.h"
#include "checkers/SingleMeasurement.h"
#include "checkers/SummaryPicture.h"
#include "checkers/VerticalStereolint.h"
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

Stereolint::Stereolint(std::string parameters) : StereolintInterface(std::move(parameters)) {}

cv::Mat Stereolint::correct(cv::Mat view, double /*amount*/) const { return view.clone(); }

Results Stereolint::compute(const FeatureMatches* matches, cv::Mat left, cv::Mat right) const {
  prepareViews(left, right);
  Results results;
  // Views a step leaves as they were keep their features for the next step.
  FeatureMemo memo;
  for (const Step item : options().steps) {
    const std::unique_ptr<SingleStereolint> step = createStep(item, getParameters());
    CorrectedViews corrected;
    Results stepResults = step->measure(matches, left, right, &corrected, &memo);
    if (options().recurrency) {
      left = corrected.left;
      right = corrected.right;
    }
    for (auto& result : stepResults) results.push_back(std::move(result));
  }
  return results;
}

cv::Mat Stereolint::visualize(const Results& results) const { return summaryPicture(results); }

std::vector<PictureName> Stereolint::visualizeSources(const Results& results) const {
  return summarySources(results);
}

}  // namespace stereolint
