#include "report/ReportContent.h"

#include <algorithm>
#include <utility>

namespace stereolint::report {

bool TakeInfo::operator==(const TakeInfo& other) const {
  return name == other.name && inputs == other.inputs && frameCount == other.frameCount &&
         firstFrame == other.firstFrame && frameRate == other.frameRate &&
         startTimecode == other.startTimecode && paths == other.paths && read == other.read &&
         readToEnd == other.readToEnd && joinBefore == other.joinBefore;
}

namespace {

std::string baseName(const std::string& path) {
  const size_t separator = path.find_last_of("/\\");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

}  // namespace

TakeInfo takeOf(const std::vector<std::string>& inputPaths, int frameCount, int firstFrame,
                std::optional<double> frameRate, std::optional<std::string> startTimecode) {
  TakeInfo take;
  for (const std::string& path : inputPaths) take.inputs.push_back(baseName(path));
  take.paths = inputPaths;
  if (!take.inputs.empty()) take.name = take.inputs.front();
  take.frameCount = frameCount;
  take.firstFrame = firstFrame;
  take.frameRate = frameRate;
  take.startTimecode = frameRate ? std::move(startTimecode) : std::nullopt;
  return take;
}

PlaceRanges rangesUnion(PlaceRanges ranges) {
  std::sort(ranges.begin(), ranges.end());
  PlaceRanges joined;
  for (const auto& range : ranges) {
    // Touching: the next range starts right after the last one ends.
    if (!joined.empty() && static_cast<long long>(range.first) <= joined.back().second + 1LL) {
      joined.back().second = std::max(joined.back().second, range.second);
    } else {
      joined.push_back(range);
    }
  }
  return joined;
}

const qc::FrameRecord* shotDepthFrame(const std::vector<qc::FrameRecord>& frames,
                                      const qc::Shot& shot) {
  if (!shot.worstFrame) return nullptr;
  const auto found = std::lower_bound(
      frames.begin(), frames.end(), *shot.worstFrame,
      [](const qc::FrameRecord& record, int frame) { return record.frame < frame; });
  if (found == frames.end() || found->frame != *shot.worstFrame || !found->depth) return nullptr;
  return &*found;
}

qc::Timecode ReportContent::timecode() const {
  Expected<qc::Timecode> made = qc::makeTimecode(take.frameRate, take.startTimecode.value_or(""), take.firstFrame);
  return made ? made.value() : qc::Timecode();
}

}  // namespace stereolint::report
