#include "report/SvgPlot.h"

#include <algorithm>
#include <cmath>

#include "report/HtmlText.h"

namespace stereolint::report {

namespace {

constexpr double kWidth = 960;
constexpr double kHeight = 230;
constexpr double kLeft = 64;
constexpr double kRight = 18;
constexpr double kTop = 26;
constexpr double kBottom = 32;
// Beyond this many frames only the points that are not PASS are drawn: the
// line shows the rest, and the page stays light.
constexpr size_t kMaxDrawnPoints = 2000;
// Vertical room a value label needs, in plot units.
constexpr double kLabelSpacing = 11;

const char* verdictColour(qc::Verdict verdict) {
  switch (verdict) {
    case qc::Verdict::Pass: return "#1e8e3e";
    case qc::Verdict::Fix: return "#e37400";
    case qc::Verdict::Reject: return "#d93025";
    case qc::Verdict::Inconclusive: return "#80868b";
  }
  return "#80868b";
}

std::string num(double value) { return fixedNumber(value, 1); }

class Frame {
 public:
  explicit Frame(const Plot& plot) : plot(plot) {
    double low = std::min(plot.fixLow, 0.0);
    double high = std::max(plot.fixHigh, 0.0);
    for (const PlotSeries& series : plot.series)
      for (const PlotPoint& point : series.points) {
        low = std::min(low, point.value);
        high = std::max(high, point.value);
      }
    // Keep wild values from squeezing the bands: at most three band widths
    // beyond the fix band.
    const double span = std::max(plot.fixHigh - plot.fixLow, 1e-9);
    low = std::max(low, plot.fixLow - 3 * span);
    high = std::min(high, plot.fixHigh + 3 * span);
    const double margin = (high - low) * 0.08 + 1e-9;
    shownLow = low;
    shownHigh = high;
    lowest = low - margin;
    highest = high + margin;
  }

  // The lowest and highest value the plot shows a point at (wild values
  // beyond are drawn at the edge).
  double lowestShown() const { return shownLow; }
  double highestShown() const { return shownHigh; }

  double x(double frame) const {
    if (plot.lastFrame == plot.firstFrame) return kLeft + (kWidth - kLeft - kRight) / 2;
    return kLeft + (frame - plot.firstFrame) / (plot.lastFrame - plot.firstFrame) *
                       (kWidth - kLeft - kRight);
  }
  double y(double value) const {
    const double clamped = std::clamp(value, lowest, highest);
    return kTop + (highest - clamped) / (highest - lowest) * (kHeight - kTop - kBottom);
  }
  bool clipped(double value) const { return value < lowest || value > highest; }
  double bottom() const { return kHeight - kBottom; }

 private:
  const Plot& plot;
  double shownLow = 0;
  double shownHigh = 0;
  double lowest = 0;
  double highest = 1;
};

std::string band(const Frame& frame, double low, double high, const char* cssClass) {
  const double top = frame.y(high);
  return "<rect class=\"" + std::string(cssClass) + "\" x=\"" + num(kLeft) + "\" y=\"" + num(top) +
         "\" width=\"" + num(kWidth - kLeft - kRight) + "\" height=\"" +
         num(std::max(0.0, frame.y(low) - top)) + "\"/>";
}

std::string horizontalLabel(const Frame& frame, double value) {
  const double y = frame.y(value);
  return "<line class=\"grid\" x1=\"" + num(kLeft) + "\" x2=\"" + num(kWidth - kRight) +
         "\" y1=\"" + num(y) + "\" y2=\"" + num(y) + "\"/><text class=\"tick\" x=\"" +
         num(kLeft - 6) + "\" y=\"" + num(y + 4) + "\" text-anchor=\"end\">" +
         escapeHtml(fixedNumber(value, 3)) + "</text>";
}

std::string bands(const Plot& plot, const Frame& frame) {
  std::string svg = band(frame, plot.fixLow, plot.fixHigh, "band-fix");
  svg += band(frame, plot.passLow, plot.passHigh, "band-pass");
  // Labels in order of importance; one that would touch a placed label is
  // left out.
  std::vector<double> marks = {plot.fixLow, plot.fixHigh, plot.passLow, plot.passHigh};
  if (plot.fixLow < 0 && plot.fixHigh > 0) marks.push_back(0);
  // Points beyond the fix band get a label of their own at the extreme, so
  // that the axis reads up to the data.
  if (frame.highestShown() > plot.fixHigh) marks.push_back(frame.highestShown());
  if (frame.lowestShown() < plot.fixLow) marks.push_back(frame.lowestShown());
  std::vector<double> placed;
  for (double mark : marks) {
    const bool crowded = std::any_of(placed.begin(), placed.end(), [&](double y) {
      return std::fabs(y - frame.y(mark)) < kLabelSpacing;
    });
    if (crowded) continue;
    placed.push_back(frame.y(mark));
    svg += horizontalLabel(frame, mark);
  }
  return svg;
}

std::string shotBoundaries(const Plot& plot, const Frame& frame) {
  std::string svg;
  const double right = kWidth - kRight;
  for (size_t i = 0; i < plot.shots.size(); ++i) {
    const PlotShot& shot = plot.shots[i];
    const double start =
        i == 0 ? kLeft : (frame.x(plot.shots[i - 1].lastFrame) + frame.x(shot.firstFrame)) / 2;
    const double end = i + 1 == plot.shots.size()
                           ? right
                           : (frame.x(shot.lastFrame) + frame.x(plot.shots[i + 1].firstFrame)) / 2;
    if (i > 0)
      svg += "<line class=\"cut\" x1=\"" + num(start) + "\" x2=\"" + num(start) + "\" y1=\"" +
             num(kTop - 14) + "\" y2=\"" + num(frame.bottom()) + "\"/>";
    svg += "<rect class=\"shot-bar\" fill=\"" + std::string(verdictColour(shot.verdict)) +
           "\" x=\"" + num(start + 1) + "\" y=\"" + num(kTop - 6) + "\" width=\"" +
           num(std::max(0.0, end - start - 2)) + "\" height=\"3\"><title>Shot " +
           std::to_string(shot.number) + " · " + qc::verdictName(shot.verdict) + "</title></rect>";
    svg += "<text class=\"shot-label\" x=\"" + num(start + 4) + "\" y=\"" + num(kTop - 11) +
           "\">S" + std::to_string(shot.number) + "</text>";
  }
  return svg;
}

int shotOf(const Plot& plot, int frame) {
  for (const PlotShot& shot : plot.shots)
    if (frame >= shot.firstFrame && frame <= shot.lastFrame) return shot.number;
  return 0;
}

std::string seriesLines(const Plot& plot, const Frame& frame, const PlotSeries& series) {
  std::string svg;
  std::string points;
  int currentShot = -1;
  auto flush = [&]() {
    if (!points.empty())
      svg += "<polyline class=\"series\" stroke=\"" + series.colour + "\" points=\"" + points +
             "\"/>";
    points.clear();
  };
  for (const PlotPoint& point : series.points) {
    const int shot = shotOf(plot, point.frame);
    if (shot != currentShot) flush();
    currentShot = shot;
    points += num(frame.x(point.frame)) + "," + num(frame.y(point.value)) + " ";
  }
  flush();
  return svg;
}

std::string seriesPoints(const Frame& frame, const PlotSeries& series, bool onlyFlagged) {
  std::string svg;
  for (const PlotPoint& point : series.points) {
    if (onlyFlagged && point.verdict == qc::Verdict::Pass) continue;
    const double x = frame.x(point.frame);
    const double y = frame.y(point.value);
    const std::string title = "<title>" + escapeHtml(point.tooltip) + "</title>";
    const std::string fill = verdictColour(point.verdict);
    if (frame.clipped(point.value)) {
      const double tip = point.value > 0 ? y - 5 : y + 5;
      svg += "<path class=\"point clipped\" fill=\"" + fill + "\" d=\"M" + num(x) + " " + num(tip) +
             " L" + num(x - 4.5) + " " + num(y) + " L" + num(x + 4.5) + " " + num(y) + " Z\">" +
             title + "</path>";
    } else {
      svg += "<circle class=\"point\" fill=\"" + fill + "\" cx=\"" + num(x) + "\" cy=\"" + num(y) +
             "\" r=\"2.8\">" + title + "</circle>";
    }
  }
  return svg;
}

std::string frameAxis(const Plot& plot, const Frame& frame) {
  std::string svg = "<line class=\"axis\" x1=\"" + num(kLeft) + "\" x2=\"" + num(kWidth - kRight) +
                    "\" y1=\"" + num(frame.bottom()) + "\" y2=\"" + num(frame.bottom()) + "\"/>";
  const int ticks = plot.lastFrame == plot.firstFrame ? 1 : 6;
  int previous = -1;
  for (int i = 0; i < ticks; ++i) {
    const int number = ticks == 1 ? plot.firstFrame
                                  : plot.firstFrame + static_cast<int>(std::lround(
                                        (plot.lastFrame - plot.firstFrame) * i / (ticks - 1.0)));
    if (number == previous) continue;
    previous = number;
    svg += "<text class=\"tick\" x=\"" + num(frame.x(number)) + "\" y=\"" +
           num(frame.bottom() + 16) + "\" text-anchor=\"middle\">" + std::to_string(number) +
           "</text>";
  }
  for (const PlotPoint& point : plot.inconclusive)
    svg += "<rect class=\"no-value\" x=\"" + num(frame.x(point.frame) - 1.5) + "\" y=\"" +
           num(frame.bottom() - 7) + "\" width=\"3\" height=\"7\"><title>" +
           escapeHtml(point.tooltip) + "</title></rect>";
  return svg;
}

}  // namespace

std::string svgPlot(const Plot& plot) {
  const Frame frame(plot);
  size_t pointCount = 0;
  for (const PlotSeries& series : plot.series) pointCount += series.points.size();
  std::string svg = "<svg class=\"plot\" data-measure=\"" + escapeHtml(plot.measure) +
                    "\" viewBox=\"0 0 " + num(kWidth) + " " + num(kHeight) +
                    "\" xmlns=\"http://www.w3.org/2000/svg\" role=\"img\" aria-label=\"" +
                    escapeHtml(plot.measure) + " in " + escapeHtml(plot.unit) + " over the frames\">";
  svg += bands(plot, frame);
  svg += shotBoundaries(plot, frame);
  for (const PlotSeries& series : plot.series) svg += seriesLines(plot, frame, series);
  for (const PlotSeries& series : plot.series)
    svg += seriesPoints(frame, series, pointCount > kMaxDrawnPoints);
  svg += frameAxis(plot, frame);
  return svg + "</svg>";
}

}  // namespace stereolint::report
