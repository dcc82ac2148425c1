#include "tools/correct/CorrectionsPlan.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "corrections/CorrectionsJson.h"

namespace stereolint::correct {

namespace {

using Json = nlohmann::json;

// A key of the document that is missing or holds what no run writes.
struct BadKey {
  std::string message;
};

// Reads the document's values by their key paths ("shots[2].right.warp"),
// so that a failure names the key.
class Reader {
 public:
  static const Json& at(const Json& object, const std::string& key, const std::string& path) {
    if (!object.is_object() || !object.contains(key)) throw BadKey{path + " is missing"};
    return object.at(key);
  }
  static int integer(const Json& object, const std::string& key, const std::string& path,
                     int least) {
    const Json& value = at(object, key, path);
    if (!value.is_number_integer() || value.get<long long>() < least ||
        value.get<long long>() > 1'000'000'000)
      throw BadKey{path + " is not a whole number of at least " + std::to_string(least)};
    return value.get<int>();
  }
  static double number(const Json& value, const std::string& path) {
    if (!value.is_number() || !std::isfinite(value.get<double>()))
      throw BadKey{path + " is not a finite number"};
    return value.get<double>();
  }
  static bool boolean(const Json& object, const std::string& key, const std::string& path) {
    const Json& value = at(object, key, path);
    if (!value.is_boolean()) throw BadKey{path + " is not true or false"};
    return value.get<bool>();
  }
  static std::string text(const Json& object, const std::string& key, const std::string& path) {
    const Json& value = at(object, key, path);
    if (!value.is_string()) throw BadKey{path + " is not a text"};
    return value.get<std::string>();
  }
  static std::array<double, 3> triple(const Json& object, const std::string& key,
                                      const std::string& path) {
    const Json& value = at(object, key, path);
    if (!value.is_array() || value.size() != 3) throw BadKey{path + " is not a list of 3 numbers"};
    return {number(value[0], path), number(value[1], path), number(value[2], path)};
  }
};

cv::Matx33d matrixOf(const Json& eye, const std::string& path) {
  const Json& rows = Reader::at(eye, "warp", path);
  if (!rows.is_array() || rows.size() != 3) throw BadKey{path + " is not a 3 x 3 matrix"};
  cv::Matx33d m;
  for (size_t r = 0; r < 3; ++r) {
    if (!rows[r].is_array() || rows[r].size() != 3) throw BadKey{path + " is not a 3 x 3 matrix"};
    for (size_t c = 0; c < 3; ++c)
      m(static_cast<int>(r), static_cast<int>(c)) = Reader::number(rows[r][c], path);
  }
  return m;
}

// A warp that turns the view inside out or sends a corner to infinity
// cannot come from a measured misalignment.
void checkWarp(const cv::Matx33d& warp, cv::Size view, const std::string& path) {
  const double scale = cv::norm(warp, cv::NORM_INF);
  const bool singular = !(std::abs(cv::determinant(warp)) > 1e-12 * scale * scale * scale);
  bool behind = false;
  for (const cv::Point2d corner :
       {cv::Point2d(0, 0), cv::Point2d(view.width - 1, 0), cv::Point2d(0, view.height - 1),
        cv::Point2d(view.width - 1, view.height - 1)}) {
    const cv::Vec3d mapped = warp * cv::Vec3d(corner.x, corner.y, 1);
    behind = behind || !(mapped[2] > 1e-9 * scale);
  }
  if (singular || behind) throw BadKey{path + " is a singular homography, not a correction"};
}

ColourDecision decisionOf(const Json& grade, const std::string& path) {
  ColourDecision decision;
  decision.slope = Reader::triple(grade, "slope", path + ".slope");
  decision.offset = Reader::triple(grade, "offset", path + ".offset");
  decision.power = Reader::triple(grade, "power", path + ".power");
  decision.saturation =
      Reader::number(Reader::at(grade, "saturation", path + ".saturation"), path + ".saturation");
  for (size_t c = 0; c < 3; ++c)
    if (!(decision.power[c] > 0)) throw BadKey{path + ".power holds a power that is not positive"};
  return decision;
}

ShotPlan shotOf(const Json& shot, const std::string& path) {
  ShotPlan one;
  one.firstFrame = Reader::integer(shot, "first_frame", path + ".first_frame", 0);
  one.lastFrame = Reader::integer(shot, "last_frame", path + ".last_frame", one.firstFrame);
  one.view = {Reader::integer(shot, "width", path + ".width", 1),
              Reader::integer(shot, "height", path + ".height", 1)};
  one.warped = Reader::boolean(shot, "corrected", path + ".corrected");
  if (one.warped) {
    for (const char* eye : {"left", "right"}) {
      const std::string where = path + "." + eye + ".warp";
      const cv::Matx33d warp = matrixOf(Reader::at(shot, eye, path + "." + eye), where);
      checkWarp(warp, one.view, where);
      one.warps[std::string(eye) == "left" ? 0 : 1] = warp;
    }
  }
  if (shot.contains("floating_window"))
    one.floatingWindow = Reader::integer(shot, "floating_window", path + ".floating_window", 0);
  if (one.floatingWindow > one.view.width / 2)
    throw BadKey{path + ".floating_window is wider than half the view"};
  if (shot.contains("grade")) one.grade = decisionOf(shot.at("grade"), path + ".grade");
  return one;
}

void readTake(const Json& document, CorrectionsPlan& plan) {
  const Json& take = Reader::at(document, "take", "take");
  plan.takeName = Reader::text(take, "name", "take.name");
  const Json& paths = Reader::at(take, "paths", "take.paths");
  if (!paths.is_array() || paths.empty() || paths.size() > 2)
    throw BadKey{"take.paths is not a list of one or two paths"};
  for (const Json& path : paths) {
    if (!path.is_string()) throw BadKey{"take.paths is not a list of one or two paths"};
    plan.paths.push_back(path.get<std::string>());
  }
  plan.orientation = Reader::text(take, "orientation", "take.orientation");
  if (plan.orientation != "VERTICALLY" && plan.orientation != "HORIZONTALLY" &&
      !plan.orientation.empty())
    throw BadKey{"take.orientation is none of VERTICALLY, HORIZONTALLY and \"\""};
  if ((plan.paths.size() == 2) != plan.orientation.empty())
    throw BadKey{"take.orientation does not fit take.paths: two inputs have \"\", one a word"};
  plan.squeeze = Reader::integer(take, "squeeze", "take.squeeze", 1);
  plan.frameCount = Reader::integer(take, "frame_count", "take.frame_count", 1);
  plan.firstFrame = Reader::integer(take, "first_frame", "take.first_frame", 0);
  plan.view = {Reader::integer(take, "width", "take.width", 1),
               Reader::integer(take, "height", "take.height", 1)};
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
  if (!document.is_object() ||
      document.value("schema", Json()) != corrections::kCorrectionsSchema ||
      document.value("schema_version", Json()) != corrections::kCorrectionsSchemaVersion)
    return Failure{source + " holds no corrections of schema " + corrections::kCorrectionsSchema +
                   " version " + std::to_string(corrections::kCorrectionsSchemaVersion)};
  try {
    CorrectionsPlan plan;
    readTake(document, plan);
    const Json& shots = Reader::at(document, "shots", "shots");
    if (!shots.is_array()) throw BadKey{"shots is not a list"};
    int previous = plan.firstFrame - 1;
    for (size_t s = 0; s < shots.size(); ++s) {
      const std::string path = "shots[" + std::to_string(s) + "]";
      ShotPlan shot = shotOf(shots[s], path);
      if (shot.firstFrame <= previous)
        throw BadKey{path + ".first_frame is not after the frames of the shots before it"};
      previous = shot.lastFrame;
      if (shot.changesPictures()) plan.shots.push_back(shot);
    }
    return plan;
  } catch (const BadKey& bad) {
    return Failure{source + ": " + bad.message};
  }
}

}  // namespace stereolint::correct
