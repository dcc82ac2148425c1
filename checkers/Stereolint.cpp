#include "checkers/Stereolint.h"

#include <string_view>

#include "checkers/RotationStereolint.h"
#include "checkers/ScaleStereolint.h"
#include "checkers/SingleMeasurement.h"
#include "checkers/SummaryPicture.h"
#include "checkers/VerticalStereolint.h"
#include "results/ResultKeys.h"

namespace stereolint {

namespace {

std::unique_ptr<StereolintInterface> createStep(const std::string& item,
                                                const std::string& parameters) {
  if (item == keys::kVertical) return std::make_unique<VerticalStereolint>(parameters);
  if (item == keys::kRotation) return std::make_unique<RotationStereolint>(parameters);
  if (item == keys::kScale) return std::make_unique<ScaleStereolint>(parameters);
  return nullptr;
}

}  // namespace

std::string hierarchyItem(const std::string& text, int n) {
  const std::string items = text + ";";
  size_t start = 0;
  for (int count = 1;; ++count) {
    const size_t end = items.find(';', start);
    if (end == std::string::npos) return std::string();
    if (count == n) return items.substr(start, end - start);
    start = end + 1;
  }
}

std::vector<std::string> hierarchyItems(const std::string& text) {
  std::vector<std::string> items;
  std::string_view rest = text;
  while (!rest.empty()) {
    const size_t end = rest.find(';');
    if (end == 0) break;
    items.emplace_back(rest.substr(0, end));
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return items;
}

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
  const bool recurrency = getParameter("RECURRENCY") == "TRUE";
  const std::string hierarchy = getParameter("HIERARCHY");
  Results results;
  for (const std::string& item : hierarchyItems(hierarchy)) {
    const std::unique_ptr<StereolintInterface> step = createStep(item, getParameters());
    if (!step) continue;
    Results stepResults = step->compute(matches, left, right);
    if (recurrency) {
      left = findImage(stepResults, keys::kCorrectLeft, "");
      right = findImage(stepResults, keys::kCorrectRight, "");
    }
    for (auto& result : stepResults) results.push_back(std::move(result));
  }
  return results;
}

cv::Mat Stereolint::visualize(const Results& results) const { return summaryPicture(results); }

std::unique_ptr<StereolintInterface> createChecker(const std::string& method,
                                                   const std::string& parameters) {
  if (method == "Stereolint") return std::make_unique<Stereolint>(parameters);
  return nullptr;
}

}  // namespace stereolint
