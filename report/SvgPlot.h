// A plot of one measure over the frames of a take, as inline SVG: the pass
// and fix bands with their limits labelled at the right, a value axis whose
// ticks cover every point, the shot boundaries, the values joined within
// each shot and every frame's point coloured by its verdict, with a tooltip;
// a frame axis titled "frame", with a second row in timecode when the take
// has a frame rate.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "qc/Timecode.h"
#include "qc/Verdict.h"

namespace stereolint::report {

struct PlotPoint {
  int frame = 0;
  double value = 0;
  qc::Verdict verdict = qc::Verdict::Pass;
};

struct PlotSeries {
  std::string name;
  std::string colour;  // CSS colour of its line
  // A dashed line and square points, to tell a second series from the
  // first (solid line, round points) without colour.
  bool dashed = false;
  std::vector<PlotPoint> points;  // in frame order
};

struct PlotShot {
  int number = 0;
  int firstFrame = 0;
  int lastFrame = 0;
  qc::Verdict verdict = qc::Verdict::Inconclusive;  // coloured as a bar above the shot
};

// A limit line, labelled at the right edge of the plot.
struct LimitMark {
  double value = 0;
  std::string label;  // e.g. "+0.3 % · 3.24 rows"
};

// How far a value moves at a cut, drawn at the cut as a short vertical bar
// from the value before it to the value after it, with its label.
struct JumpMark {
  int shot = 0;       // the number of the shot after the cut
  double from = 0;    // the value before the cut
  double to = 0;      // the value after it
  std::string label;  // e.g. "1.20 %"
  std::string title;  // the tooltip
  // PASS is drawn in grey; FIX and REJECT in their colours, thicker.
  qc::Verdict verdict = qc::Verdict::Pass;
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
  std::vector<LimitMark> limits;  // in order of importance: a label that would touch one placed before is left out
  std::vector<PlotShot> shots;
  std::vector<JumpMark> jumps;  // at cuts between `shots`
  std::vector<PlotPoint> inconclusive;  // frames without a value, marked on the axis
  int firstFrame = 1;
  int lastFrame = 1;
  qc::Timecode timecode;  // known: ticks at whole timecode seconds, labelled in timecode too
  // The tooltip of a drawn point of `series`, or of an inconclusive frame's
  // mark (`series` null). Asked only for what is drawn.
  std::function<std::string(const PlotSeries* series, const PlotPoint& point)> describe;
};

// Writes the <svg> element. Values far beyond the fix band are drawn at the
// plot's edge as triangles, so one wild frame does not flatten the rest.
void writeSvgPlot(std::ostream& out, const Plot& plot);

}  // namespace stereolint::report
