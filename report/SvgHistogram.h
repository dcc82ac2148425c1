// A parallax histogram as inline SVG: the share of a frame's pixels at each
// parallax, in % of the view width, with the screen plane at 0 and the
// depth budget's near and far limits as lines; bars outside the budget are
// red.
#pragma once

#include <ostream>
#include <string>

#include "results/DepthDetail.h"

namespace stereolint::report {

struct HistogramPlot {
  std::string label;  // the svg's accessible label, e.g. "Parallax of frame 7"
  ParallaxHistogram histogram;
  double nearLimit = 0;  // the depth budget, % of the width (near negative)
  double farLimit = 0;
};

// Writes the <svg> element (class "plot histogram"). The parallax axis
// spans the bins, the screen plane and both limits.
void writeSvgHistogram(std::ostream& out, const HistogramPlot& plot);

}  // namespace stereolint::report
