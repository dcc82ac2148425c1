#include "report/ReportContent.h"

namespace stereolint::report {

bool TakeInfo::operator==(const TakeInfo& other) const {
  return name == other.name && inputs == other.inputs && frameCount == other.frameCount &&
         frameRate == other.frameRate && startTimecode == other.startTimecode;
}

qc::Timecode ReportContent::timecode() const {
  Expected<qc::Timecode> made = qc::makeTimecode(take.frameRate, take.startTimecode.value_or(""));
  return made ? made.value() : qc::Timecode();
}

}  // namespace stereolint::report
