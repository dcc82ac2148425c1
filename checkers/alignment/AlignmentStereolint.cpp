#include "checkers/alignment/AlignmentStereolint.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <opencv2/imgproc.hpp>

#include "checkers/alignment/AlignmentMeasurement.h"
#include "checkers/alignment/AlignmentPictures.h"
#include "checkers/alignment/AlignmentResultKeys.h"
#include "checkers/alignment/AlignmentViews.h"

namespace stereolint {

namespace {

namespace k = alignment_keys;

constexpr int kSummaryWidth = 960;
const cv::Size kDarkSize(640, 360);

Result::KeyValues values(const AlignmentMeasurement& m) {
  Result::KeyValues list;
  const auto add = [&list](const char* key, double value) {
    list.push_back(std::make_unique<Result::KeyValue>(key, value));
  };
  if (m.fitted) {
    add(k::kVertical, m.vertical);
    add(k::kRotation, m.rotationDegrees);
    add(k::kScale, m.scale);
    add(k::kKeystone, m.keystone);
  }
  if (m.parallaxKnown) {
    add(k::kNearParallax, m.nearParallax);
    add(k::kFarParallax, m.farParallax);
  }
  add(k::kPoints, m.points);
  if (m.fitted) add(k::kResidual, m.residual);
  list.push_back(std::make_unique<Result::KeyValue>(k::kStatus, m.statusText()));
  add(k::kTime, m.milliseconds);
  return list;
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
    if (result && result->getName() == k::kResultName) return result.get();
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
  const AlignmentMeasurement m = measureAlignment(left, right, alignment);
  Result::KeyImages images;
  // Pictures combine the views pixel by pixel: views of different sizes get none.
  if (alignment.pictures && !left.empty() && left.size() == right.size()) {
    images = pictures(left, right, m);
  }
  Results results;
  results.push_back(std::make_unique<Result>(k::kResultName, values(m), std::move(images)));
  return results;
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
