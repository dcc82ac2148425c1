#include "corrections/CorrectionsJson.h"

#include "corrections/ShotGrade.h"

#include <nlohmann/json.hpp>

#include "util/ToolFacts.h"

namespace stereolint::corrections {

namespace {

using Json = nlohmann::ordered_json;

Json toolJson() {
  const ToolFacts& facts = toolFacts();
  Json libraries = Json::object();
  for (const auto& [name, version] : facts.libraries) libraries[name] = version;
  return Json{{"program", facts.program},
              {"version", facts.version},
              {"revision", facts.revision},
              {"libraries", libraries}};
}

Json matrixJson(const cv::Matx33d& m) {
  Json rows = Json::array();
  for (int r = 0; r < 3; ++r) rows.push_back(Json::array({m(r, 0), m(r, 1), m(r, 2)}));
  return rows;
}

Json eyeJson(const EyeCorrection& eye) {
  return Json{{"homography", matrixJson(eye.alignment)},
              {"shift", eye.shift},
              {"warp", matrixJson(eye.warp)}};
}

Json gradeJson(const ShotCorrection& c) {
  const ColourDecision& d = *c.grade;
  return Json{{"slope", d.slope},
              {"offset", d.offset},
              {"power", d.power},
              {"saturation", d.saturation},
              {"cdl", shotCdlName(c.shot)},
              {"cube", shotCubeName(c.shot)}};
}

Json shotJson(const ShotCorrection& c) {
  const cv::Rect2d crop = c.cropRectangle();
  Json shot{{"shot", c.shot},
            {"first_frame", c.firstFrame},
            {"last_frame", c.lastFrame},
            {"verdict", qc::verdictName(c.verdict)},
            {"corrected", c.applies},
            {"correction", c.words},
            {"width", c.view.width},
            {"height", c.view.height},
            {"left", eyeJson(c.eyes[0])},
            {"right", eyeJson(c.eyes[1])},
            {"shift_percent", c.shiftPercent},
            {"keystone", c.keystone},
            {"floating_window", c.floatingWindow},
            {"crop", Json{{"x", crop.x},
                          {"y", crop.y},
                          {"width", crop.width},
                          {"height", crop.height},
                          {"zoom", 1 / c.crop.fraction},
                          {"percent", c.cropPercent()},
                          {"large", c.cropPercent() > kLargeCropPercent}}}};
  if (c.grade) shot["grade"] = gradeJson(c);
  return shot;
}

}  // namespace

std::string correctionsJson(const CorrectionsContent& content) {
  const CorrectedTake& take = content.take;
  Json shots = Json::array();
  for (const ShotCorrection& shot : content.shots) shots.push_back(shotJson(shot));
  const Json document{{"schema", kCorrectionsSchema},
                      {"schema_version", kCorrectionsSchemaVersion},
                      {"tool", toolJson()},
                      {"take", Json{{"name", take.name},
                                    {"paths", take.paths},
                                    {"orientation", take.orientation},
                                    {"squeeze", take.squeeze},
                                    {"frame_count", take.frameCount},
                                    {"first_frame", take.firstFrame},
                                    {"width", take.view.width},
                                    {"height", take.view.height}}},
                      {"eyes", correctedEyesWord(content.eyes)},
                      {"shots", shots}};
  // File names need not be UTF-8; a byte that is not becomes U+FFFD.
  return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace stereolint::corrections
