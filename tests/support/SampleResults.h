// A Result in one expression, for tests of what reads results.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "results/Result.h"

namespace stereolint::test {

inline std::unique_ptr<Result> makeResult(
    const std::string& name, const std::vector<std::pair<std::string, double>>& values,
    const std::vector<std::pair<std::string, cv::Mat>>& images = {}) {
  Result::KeyValues keyValues;
  for (const auto& [key, value] : values) {
    keyValues.push_back(std::make_unique<Result::KeyValue>(key, value));
  }
  Result::KeyImages keyImages;
  for (const auto& [key, image] : images) {
    keyImages.push_back(std::make_unique<Result::KeyImage>(key, image));
  }
  return std::make_unique<Result>(name, std::move(keyValues), std::move(keyImages));
}

}  // namespace stereolint::test
