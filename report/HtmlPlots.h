// The plots of the HTML report: one per limit whose measures any judged
// frame has.
#pragma once

#include <ostream>
#include <vector>

#include "qc/FrameAssessment.h"
#include "qc/Shot.h"
#include "report/FrameJudgements.h"
#include "report/ReportContent.h"

namespace stereolint::report {

// `assessments` judges content.frames. The owners of the limits (see limitOwners()) that get a plot, in
// table order: those whose measures a judged frame has.
std::vector<Measure> plottedLimits(const ReportContent& content,
                                   const FrameJudgements& assessments);

// Writes the block of the plot of `owner`'s limit: its heading, a line
// saying what is plotted and where the bands lie, and the <svg>. VERTICAL
// and KEYSTONE are plotted in rows (a limit in % of the height is labelled
// in % and in rows of the first frame's height), ROTATION in degrees, SCALE
// as % difference from equal size, PARALLAX as its near and far values
// (solid and dashed) against the depth budget. Each point is coloured by
// the verdict of its own limit, so a plot shows which measure puts a frame
// out.
void writeKeyPlot(std::ostream& out, Measure owner, const ReportContent& content,
                  const FrameJudgements& assessments,
                  const std::vector<qc::Shot>& shots);

}  // namespace stereolint::report
