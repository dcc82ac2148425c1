// A plot of one measure over the frames of a take, as inline SVG: the pass
// and fix bands, the shot boundaries, the values joined within each shot and
// every frame's point coloured by its verdict, with a tooltip.
#pragma once

#include <string>
#include <vector>

#include "qc/Verdict.h"

namespace stereolint::report {

struct PlotPoint {
  int frame = 0;
  double value = 0;
  qc::Verdict verdict = qc::Verdict::Pass;
  std::string tooltip;
};

struct PlotSeries {
  std::string name;
  std::string colour;  // CSS colour of its line
  std::vector<PlotPoint> points;  // in frame order
};

struct PlotShot {
  int number = 0;
  int firstFrame = 0;
  int lastFrame = 0;
  qc::Verdict verdict = qc::Verdict::Inconclusive;  // coloured as a bar above the shot
};

struct Plot {
  std::string measure;  // the limit key, e.g. "VERTICAL"; the svg's data-measure
  std::string unit;     // the values' unit, e.g. "rows", for the accessible label
  std::vector<PlotSeries> series;
  // The pass band [passLow, passHigh] inside the fix band [fixLow, fixHigh].
  double passLow = 0;
  double passHigh = 0;
  double fixLow = 0;
  double fixHigh = 0;
  std::vector<PlotShot> shots;
  std::vector<PlotPoint> inconclusive;  // frames without a value, marked on the axis
  int firstFrame = 1;
  int lastFrame = 1;
};

// The <svg> element. Values far beyond the fix band are drawn at the plot's
// edge as triangles, so one wild frame does not flatten the rest.
std::string svgPlot(const Plot& plot);

}  // namespace stereolint::report
