#include "checkers/StereolintInterface.h"

#include <utility>

#include "checkers/MatchFeatures.h"

namespace stereolint {

StereolintInterface::StereolintInterface(std::string parameters)
    : parameters(std::move(parameters)), settings(readCheckerOptions(this->parameters)) {}

StereolintInterface::~StereolintInterface() = default;

std::vector<PictureName> StereolintInterface::visualizeSources(const Results& results) const {
  return pictureNames(results);
}

FrameOutcome StereolintInterface::measureFrame(cv::Mat left, cv::Mat right) const {
  FrameOutcome outcome;
  outcome.reason = Inconclusive::NoMeasurement;
  outcome.results = compute(nullptr, std::move(left), std::move(right));
  return outcome;
}

bool StereolintInterface::anyTileFits(cv::Size view) const {
  return !featureTiles(settings.widthPercent, settings.heightPercent, view, view).empty();
}

std::string StereolintInterface::getParameter(const std::string& key) const {
  return parameterValue(parameters, key);
}

}  // namespace stereolint
