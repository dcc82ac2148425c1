#include "tools/correct/CorrectionsPlan.h"

#include <nlohmann/json.hpp>

#include "corrections/CorrectionsJson.h"

namespace stereolint::correct {

namespace {

using Json = nlohmann::json;

cv::Matx33d matrixOf(const Json& rows) {
  cv::Matx33d m;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      m(r, c) = rows.at(static_cast<size_t>(r)).at(static_cast<size_t>(c)).get<double>();
  return m;
}

ColourDecision decisionOf(const Json& grade) {
  ColourDecision decision;
  decision.slope = grade.at("slope").get<std::array<double, 3>>();
  decision.offset = grade.at("offset").get<std::array<double, 3>>();
  decision.power = grade.at("power").get<std::array<double, 3>>();
  decision.saturation = grade.at("saturation").get<double>();
  return decision;
}

}  // namespace

const ShotPlan* CorrectionsPlan::shotOf(std::int64_t frame) const {
  for (const ShotPlan& shot : shots)
    if (frame >= shot.firstFrame && frame <= shot.lastFrame) return &shot;
  return nullptr;
}

Expected<CorrectionsPlan> readCorrectionsPlan(const std::string& text, const std::string& source) {
  const Json document = Json::parse(text, nullptr, false);
  if (document.is_discarded()) return Failure{source + " is no JSON document"};
  if (!document.is_object() || document.value("schema", "") != corrections::kCorrectionsSchema ||
      document.value("schema_version", 0) != corrections::kCorrectionsSchemaVersion)
    return Failure{source + " holds no corrections of schema " + corrections::kCorrectionsSchema +
                   " version " + std::to_string(corrections::kCorrectionsSchemaVersion)};
  // The library's own exceptions stop here: a key missing or of another type.
  try {
    CorrectionsPlan plan;
    const Json& take = document.at("take");
    plan.paths = take.at("paths").get<std::vector<std::string>>();
    plan.orientation = take.at("orientation").get<std::string>();
    plan.squeeze = take.at("squeeze").get<int>();
    if (plan.paths.empty() || plan.paths.size() > 2 || plan.squeeze < 1)
      return Failure{source + ": take.paths or take.squeeze is not as a run writes it"};
    for (const Json& shot : document.at("shots")) {
      ShotPlan one;
      one.warped = shot.at("corrected").get<bool>();
      if (shot.contains("grade")) one.grade = decisionOf(shot.at("grade"));
      if (!one.warped && !one.grade) continue;
      one.firstFrame = shot.at("first_frame").get<int>();
      one.lastFrame = shot.at("last_frame").get<int>();
      if (one.warped)
        one.warps = {matrixOf(shot.at("left").at("warp")), matrixOf(shot.at("right").at("warp"))};
      plan.shots.push_back(one);
    }
    return plan;
  } catch (const Json::exception& problem) {
    return Failure{source + " cannot be read as corrections: " + problem.what()};
  }
}

}  // namespace stereolint::correct
