// The judgement of each frame of a report, made when asked: kept for every
// frame, judgements would make the memory of writing a report grow with the
// length of the take.
#pragma once

#include <cstddef>

#include "qc/FrameAssessment.h"
#include "report/ReportContent.h"

namespace stereolint::report {

class FrameJudgements {
 public:
  explicit FrameJudgements(const ReportContent& content) : content(content) {}
  // The judgement of content.frames[index] against content.limits.
  qc::FrameAssessment operator[](std::size_t index) const {
    return qc::assessFrame(content.frames[index], content.limits);
  }

 private:
  const ReportContent& content;
};

}  // namespace stereolint::report
