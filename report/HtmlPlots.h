// The plots of the HTML report: one per limit whose measures any frame has.
#pragma once

#include <string>
#include <vector>

#include "qc/FrameAssessment.h"
#include "qc/Shot.h"
#include "report/ReportContent.h"

namespace stereolint::report {

struct KeyPlot {
  Measure owner;      // the owner of the limit plotted (see limitOwners())
  std::string svg;   // the <svg> element
  std::string unit;  // the unit of its values, e.g. "rows"
  std::string note;  // one line saying what is plotted and where the bands lie
  // The lines of a plot with several series: name and CSS colour.
  std::vector<std::pair<std::string, std::string>> lines;
};

// `assessments` holds the judgement of each of content.frames, in the same
// order. VERTICAL and KEYSTONE are plotted in rows (bands given in % of the
// height use the first frame's height), ROTATION in degrees, SCALE as %
// difference from equal size, PARALLAX as its near and far values against
// the depth budget. Each point is coloured by the verdict of its own limit, so
// a plot shows which measure puts a frame out.
std::vector<KeyPlot> reportPlots(const ReportContent& content,
                                 const std::vector<qc::FrameAssessment>& assessments,
                                 const std::vector<qc::Shot>& shots);

}  // namespace stereolint::report
