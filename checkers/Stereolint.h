// The combined checker: runs the single checkers its HIERARCHY parameter
// names, one after the other, and draws the summary of their results.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "checkers/StereolintInterface.h"

namespace stereolint {

class SingleStereolint;

// HIERARCHY lists the steps, separated by ";": "VERTICAL", "ROTATION",
// "SCALE" (exact, upper case). The list ends at its first empty item; other
// words are passed over. With RECURRENCY "TRUE" each step measures the views
// as the step before corrected them (its CORRECT_LEFT and CORRECT_RIGHT);
// otherwise every step measures the views given. Every step gets the whole
// parameters string and matches features afresh.
class Stereolint : public StereolintInterface {
 public:
  // Makes the steps of HIERARCHY once; every frame measures with them.
  explicit Stereolint(std::string parameters);
  ~Stereolint() override;

  // A copy of `view`; `amount` is ignored.
  cv::Mat correct(cv::Mat view, double amount) const override;
  // The steps' results, concatenated in step order; empty when HIERARCHY
  // names no step.
  Results compute(const FeatureMatches* matches, cv::Mat left, cv::Mat right) const override;
  // Each step's MEDIAN is its measure (VERTICAL, ROTATION, SCALE) and the
  // fewest calculation points of the steps that had any are the points. A
  // step that matched nothing makes the frame INCONCLUSIVE (the first such
  // step is named); so does a HIERARCHY that names no step.
  FrameOutcome measureFrame(cv::Mat left, cv::Mat right) const override;
  // The summary grid (see SummaryPicture.h).
  cv::Mat visualize(const Results& results) const override;
  std::vector<PictureName> visualizeSources(const Results& results) const override;

 private:
  // The steps of HIERARCHY, in order, with the step each one is.
  std::vector<std::pair<Step, std::unique_ptr<SingleStereolint>>> steps;

  // Every step on the pair, each given `matches` (null: each step matches
  // the views it measures).
  FrameOutcome measureSteps(const FeatureMatches* matches, cv::Mat left, cv::Mat right) const;
};

// The first picture called `key` in the first result that has one, among
// the results named `name` (all results when `name` is empty); an empty
// picture when there is none. The picture shares the result's pixels.
cv::Mat findImage(const Results& results, const std::string& key, const std::string& name);

}  // namespace stereolint
