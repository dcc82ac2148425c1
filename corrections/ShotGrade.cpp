#include "corrections/ShotGrade.h"

#include <algorithm>
#include <functional>

namespace stereolint::corrections {

namespace {

bool needsGrade(const qc::Shot& shot) {
  for (Measure measure : {Measure::Luminance, Measure::Colour}) {
    const auto& verdict = shot.byLimit[measureIndex(limitOwner(measure))];
    if (verdict && (*verdict == qc::Verdict::Fix || *verdict == qc::Verdict::Reject)) return true;
  }
  return false;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

std::optional<ColourDecision> medianDecision(const qc::Shot& shot,
                                             const std::vector<qc::FrameRecord>& frames) {
  std::vector<const ColourDecision*> decisions;
  for (const qc::FrameRecord& record : frames)
    if (record.frame >= shot.firstFrame && record.frame <= shot.lastFrame && record.colour)
      decisions.push_back(&*record.colour);
  if (decisions.empty()) return std::nullopt;
  const auto medianOf = [&](const std::function<double(const ColourDecision&)>& number) {
    std::vector<double> values;
    for (const ColourDecision* decision : decisions) values.push_back(number(*decision));
    return median(values);
  };
  ColourDecision grade;
  for (size_t c = 0; c < 3; ++c) {
    grade.slope[c] = medianOf([c](const ColourDecision& d) { return d.slope[c]; });
    grade.offset[c] = medianOf([c](const ColourDecision& d) { return d.offset[c]; });
    grade.power[c] = medianOf([c](const ColourDecision& d) { return d.power[c]; });
  }
  grade.saturation = medianOf([](const ColourDecision& d) { return d.saturation; });
  return grade;
}

std::optional<ColourDecision> shotGrade(const qc::Shot& shot,
                                        const std::vector<qc::FrameRecord>& frames) {
  if (!needsGrade(shot)) return std::nullopt;
  return medianDecision(shot, frames);
}

std::string shotCdlName(int shot) { return "shot" + std::to_string(shot) + ".cdl"; }
std::string shotCubeName(int shot) { return "shot" + std::to_string(shot) + ".cube"; }

}  // namespace stereolint::corrections
