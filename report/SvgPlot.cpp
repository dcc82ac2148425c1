#include "report/SvgPlot.h"

#include <algorithm>
#include <cmath>

#include "report/HtmlText.h"

namespace stereolint::report {

namespace {

constexpr double kWidth = 960;
constexpr double kHeight = 250;
constexpr double kLeft = 64;
// Room for the limits' labels at the right.
constexpr double kRight = 132;
// Room for the legend and the shots' labels and bars above the plot.
constexpr double kTop = 40;
// Room for one row of frame numbers and the row of timecodes.
constexpr double kBottomFrames = 32;
constexpr double kBottomTimecode = 48;
// Beyond this many frames only the points that are not PASS are drawn: the
// line shows the rest, and the page stays light.
constexpr size_t kMaxDrawnPoints = 2000;
// Vertical room a value label needs, in plot units.
constexpr double kLabelSpacing = 11;
// About as many value ticks and frame ticks as these.
constexpr double kValueTicks = 6;
constexpr double kFrameTicks = 6;
// Horizontal room of a character of the 11-unit labels.
constexpr double kCharWidth = 6.6;

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

// 1, 2 or 5 times a power of ten, at least `raw`.
double niceStep(double raw) {
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double factor : {1.0, 2.0, 5.0})
    if (raw <= factor * power * (1 + 1e-9)) return factor * power;
  return 10 * power;
}

class Frame {
 public:
  explicit Frame(const Plot& plot) : plot(plot) {
    double low = std::min({plot.fixLow, plot.passLow, 0.0});
    double high = std::max({plot.fixHigh, plot.passHigh, 0.0});
    // Keep wild values from squeezing the bands: at most three band widths
    // beyond the fix band; a value beyond is drawn at the edge.
    const double span = std::max(plot.fixHigh - plot.fixLow, 1e-9);
    const double floorValue = plot.fixLow - 3 * span;
    const double ceilingValue = plot.fixHigh + 3 * span;
    for (const PlotSeries& series : plot.series)
      for (const PlotPoint& point : series.points) {
        low = std::min(low, std::max(point.value, floorValue));
        high = std::max(high, std::min(point.value, ceilingValue));
      }
    // The axis runs from tick to tick around every shown value, with a
    // little room so that no point sits on the edge.
    const double margin = (high - low) * 0.02 + 1e-9;
    step = niceStep((high - low + 2 * margin) / kValueTicks);
    lowest = std::floor((low - margin) / step) * step;
    highest = std::ceil((high + margin) / step) * step;
    bottomRoom = plot.timecode.known() ? kBottomTimecode : kBottomFrames;
  }

  double x(double frame) const {
    if (plot.lastFrame == plot.firstFrame) return kLeft + (kWidth - kLeft - kRight) / 2;
    return kLeft + (frame - plot.firstFrame) / (plot.lastFrame - plot.firstFrame) *
                       (kWidth - kLeft - kRight);
  }
  double y(double value) const {
    const double clamped = std::clamp(value, lowest, highest);
    return kTop + (highest - clamped) / (highest - lowest) * (kHeight - kTop - bottomRoom);
  }
  bool clipped(double value) const { return value < lowest || value > highest; }
  double bottom() const { return kHeight - bottomRoom; }
  double right() const { return kWidth - kRight; }

  // The value ticks, lowest first, and the decimals their labels need.
  std::vector<double> ticks() const {
    std::vector<double> values;
    const long count = std::lround((highest - lowest) / step);
    for (long i = 0; i <= count; ++i) values.push_back(lowest + static_cast<double>(i) * step);
    return values;
  }
  int tickDecimals() const {
    return std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
  }

 private:
  const Plot& plot;
  double step = 1;
  double lowest = 0;
  double highest = 1;
  double bottomRoom = kBottomFrames;
};

std::string text(double x, double y, const char* cssClass, const char* anchor,
                 const std::string& content) {
  return "<text class=\"" + std::string(cssClass) + "\" x=\"" + num(x) + "\" y=\"" + num(y) +
         "\" text-anchor=\"" + anchor + "\">" + escapeHtml(content) + "</text>";
}

std::string horizontalLine(const Frame& frame, double value, const char* cssClass) {
  const double y = frame.y(value);
  return "<line class=\"" + std::string(cssClass) + "\" x1=\"" + num(kLeft) + "\" x2=\"" +
         num(frame.right()) + "\" y1=\"" + num(y) + "\" y2=\"" + num(y) + "\"/>";
}

std::string band(const Frame& frame, double low, double high, const char* cssClass) {
  const double top = frame.y(high);
  return "<rect class=\"" + std::string(cssClass) + "\" x=\"" + num(kLeft) + "\" y=\"" + num(top) +
         "\" width=\"" + num(frame.right() - kLeft) + "\" height=\"" +
         num(std::max(0.0, frame.y(low) - top)) + "\"/>";
}

// The bands, the value ticks with their grid at the left, and the limits
// labelled at the right.
std::string valueAxis(const Plot& plot, const Frame& frame) {
  std::string svg = band(frame, plot.fixLow, plot.fixHigh, "band-fix");
  svg += band(frame, plot.passLow, plot.passHigh, "band-pass");
  for (double tick : frame.ticks()) {
    svg += horizontalLine(frame, tick, std::fabs(tick) < 1e-12 ? "zero" : "grid");
    svg += text(kLeft - 6, frame.y(tick) + 4, "tick", "end", fixedNumber(tick, frame.tickDecimals()));
  }
  std::vector<double> placed;
  for (const LimitMark& mark : plot.limits) {
    const double y = frame.y(mark.value);
    svg += horizontalLine(frame, mark.value, "limit");
    const bool crowded = std::any_of(placed.begin(), placed.end(),
                                     [&](double other) { return std::fabs(other - y) < kLabelSpacing; });
    if (crowded) continue;
    placed.push_back(y);
    svg += text(frame.right() + 6, y + 4, "limit-label", "start", mark.label);
  }
  return svg;
}

std::string shotBoundaries(const Plot& plot, const Frame& frame) {
  std::string svg;
  // Where the last shot label ends: a label that would touch it is left
  // out, as is one longer than its own shot's bar (it would stand over the
  // next shot's; the bar's tooltip still names the shot).
  double labelEnd = 0;
  for (size_t i = 0; i < plot.shots.size(); ++i) {
    const PlotShot& shot = plot.shots[i];
    const double start =
        i == 0 ? kLeft : (frame.x(plot.shots[i - 1].lastFrame) + frame.x(shot.firstFrame)) / 2;
    const double end = i + 1 == plot.shots.size()
                           ? frame.right()
                           : (frame.x(shot.lastFrame) + frame.x(plot.shots[i + 1].firstFrame)) / 2;
    if (i > 0)
      svg += "<line class=\"cut\" x1=\"" + num(start) + "\" x2=\"" + num(start) + "\" y1=\"" +
             num(kTop - 14) + "\" y2=\"" + num(frame.bottom()) + "\"/>";
    svg += "<rect class=\"shot-bar\" fill=\"" + std::string(verdictColour(shot.verdict)) +
           "\" x=\"" + num(start + 1) + "\" y=\"" + num(kTop - 6) + "\" width=\"" +
           num(std::max(0.0, end - start - 2)) + "\" height=\"3\"><title>Shot " +
           std::to_string(shot.number) + " · " + qc::verdictName(shot.verdict) + "</title></rect>";
    const std::string label = "S" + std::to_string(shot.number);
    const double labelWidth = kCharWidth * static_cast<double>(label.size());
    if (start + 4 < labelEnd || start + 4 + labelWidth > end) continue;
    labelEnd = start + 4 + labelWidth + 4;
    svg += text(start + 4, kTop - 11, "shot-label", "start", label);
  }
  return svg;
}

// The bars of the jumps at the cuts, each labelled beside its top.
std::string jumpMarks(const Plot& plot, const Frame& frame) {
  std::string svg;
  for (size_t i = 1; i < plot.shots.size(); ++i)
    for (const JumpMark& jump : plot.jumps) {
      if (jump.shot != plot.shots[i].number) continue;
      const double x =
          (frame.x(plot.shots[i - 1].lastFrame) + frame.x(plot.shots[i].firstFrame)) / 2;
      const double top = std::min(frame.y(jump.from), frame.y(jump.to));
      const double bottom = std::max(frame.y(jump.from), frame.y(jump.to));
      const bool beyond = jump.verdict != qc::Verdict::Pass;
      const std::string colour = beyond ? verdictColour(jump.verdict) : "#57606a";
      const std::string stroke = "\" stroke=\"" + colour + "\" stroke-width=\"" +
                                 (beyond ? "3" : "1.8") + "\"/>";
      svg += "<g class=\"jump" + std::string(beyond ? " beyond" : "") + "\"><title>" +
             escapeHtml(jump.title) + "</title>";
      svg += "<line x1=\"" + num(x) + "\" x2=\"" + num(x) + "\" y1=\"" + num(top) + "\" y2=\"" +
             num(bottom) + stroke;
      for (double y : {top, bottom})
        svg += "<line x1=\"" + num(x - 4) + "\" x2=\"" + num(x + 4) + "\" y1=\"" + num(y) +
               "\" y2=\"" + num(y) + stroke;
      svg += "<text class=\"jump-label\" x=\"" + num(x + 5) + "\" y=\"" + num(top - 3) +
             "\" text-anchor=\"start\" font-size=\"10.5\" fill=\"" + colour + "\"" +
             (beyond ? " font-weight=\"700\"" : "") + ">" + escapeHtml(jump.label) + "</text></g>";
    }
  return svg;
}

int shotOf(const Plot& plot, int frame) {
  for (const PlotShot& shot : plot.shots)
    if (frame >= shot.firstFrame && frame <= shot.lastFrame) return shot.number;
  return 0;
}

void writeSeriesLines(std::ostream& out, const Plot& plot, const Frame& frame,
                      const PlotSeries& series) {
  const std::string head = "<polyline class=\"series" + std::string(series.dashed ? " dashed" : "") +
                           "\" stroke=\"" + series.colour + "\" points=\"";
  int currentShot = -1;
  bool open = false;
  for (const PlotPoint& point : series.points) {
    const int shot = shotOf(plot, point.frame);
    if (shot != currentShot && open) {
      out << "\"/>";
      open = false;
    }
    currentShot = shot;
    out << (open ? " " : head) << num(frame.x(point.frame)) << ',' << num(frame.y(point.value));
    open = true;
  }
  if (open) out << "\"/>";
}

void writeSeriesPoints(std::ostream& out, const Plot& plot, const Frame& frame,
                       const PlotSeries& series, bool onlyFlagged) {
  for (const PlotPoint& point : series.points) {
    if (onlyFlagged && point.verdict == qc::Verdict::Pass) continue;
    const double x = frame.x(point.frame);
    const double y = frame.y(point.value);
    const std::string title =
        "<title>" + escapeHtml(plot.describe ? plot.describe(&series, point) : "") + "</title>";
    const std::string fill = verdictColour(point.verdict);
    if (frame.clipped(point.value)) {
      const double tip = point.value > 0 ? y - 5 : y + 5;
      out << "<path class=\"point clipped\" fill=\"" << fill << "\" d=\"M" << num(x) << ' '
          << num(tip) << " L" << num(x - 4.5) << ' ' << num(y) << " L" << num(x + 4.5) << ' '
          << num(y) << " Z\">" << title << "</path>";
    } else if (series.dashed) {
      out << "<rect class=\"point\" fill=\"" << fill << "\" x=\"" << num(x - 2.6) << "\" y=\""
          << num(y - 2.6) << "\" width=\"5.2\" height=\"5.2\">" << title << "</rect>";
    } else {
      out << "<circle class=\"point\" fill=\"" << fill << "\" cx=\"" << num(x) << "\" cy=\""
          << num(y) << "\" r=\"2.8\">" << title << "</circle>";
    }
  }
}

// The frames the frame axis is ticked at: whole timecode seconds (or whole
// frames of a short take) when the take has a timecode, else round frame
// numbers; the first and last frame too where they leave room.
std::vector<int> frameTicks(const Plot& plot, double minimumGap, const Frame& frame) {
  if (plot.lastFrame == plot.firstFrame) return {plot.firstFrame};
  const double span = plot.lastFrame - plot.firstFrame;
  std::vector<long> units;
  const long rate = plot.timecode.nominalRate();
  if (plot.timecode.known()) {
    for (long frames : {1L, 2L, 5L, 10L})
      if (frames < rate) units.push_back(frames);
    for (long seconds : {1L, 2L, 5L, 10L, 15L, 30L, 60L, 120L, 300L, 600L, 900L, 1800L, 3600L})
      units.push_back(seconds * rate);
  } else {
    for (long power = 1; power <= 100000000L; power *= 10)
      for (long factor : {1L, 2L, 5L}) units.push_back(factor * power);
  }
  long unit = units.back();
  for (long candidate : units)
    if (span / static_cast<double>(candidate) <= kFrameTicks) {
      unit = candidate;
      break;
    }
  // The count a tick falls on: the timecode's frame count, or the frame number.
  const long offset = plot.timecode.known() ? plot.timecode.startFrames() - 1 : 0;
  std::vector<int> ticks;
  const long first = plot.firstFrame + offset;
  for (long count = (first + unit - 1) / unit * unit; count <= plot.lastFrame + offset; count += unit)
    ticks.push_back(static_cast<int>(count - offset));
  auto roomFor = [&](int candidate) {
    return std::none_of(ticks.begin(), ticks.end(), [&](int tick) {
      return std::fabs(frame.x(tick) - frame.x(candidate)) < minimumGap;
    });
  };
  if (roomFor(plot.firstFrame)) ticks.insert(ticks.begin(), plot.firstFrame);
  if (roomFor(plot.lastFrame)) ticks.push_back(plot.lastFrame);
  return ticks;
}

std::string frameAxis(const Plot& plot, const Frame& frame) {
  const bool timecode = plot.timecode.known();
  const double row1 = frame.bottom() + 15;
  const double row2 = frame.bottom() + 30;
  std::string svg = "<line class=\"axis\" x1=\"" + num(kLeft) + "\" x2=\"" + num(frame.right()) +
                    "\" y1=\"" + num(frame.bottom()) + "\" y2=\"" + num(frame.bottom()) + "\"/>";
  svg += text(kLeft - 6, row1, "axis-title", "end", "frame");
  if (timecode) svg += text(kLeft - 6, row2, "axis-title", "end", "timecode");
  const double gap = kCharWidth * (timecode ? 12 : 7);
  for (int tick : frameTicks(plot, gap, frame)) {
    const double x = frame.x(tick);
    svg += "<line class=\"axis\" x1=\"" + num(x) + "\" x2=\"" + num(x) + "\" y1=\"" +
           num(frame.bottom()) + "\" y2=\"" + num(frame.bottom() + 4) + "\"/>";
    // A label that would reach into the axis titles starts at its tick.
    const std::string number = std::to_string(tick);
    const double half = kCharWidth * (timecode ? 11 : static_cast<double>(number.size())) / 2;
    const bool atStart = x - half < kLeft;
    const char* anchor = atStart ? "start" : "middle";
    const double at = atStart ? x - 2 : x;
    svg += text(at, row1, "tick", anchor, number);
    if (timecode) svg += text(at, row2, "tick timecode", anchor, *plot.timecode.of(tick));
  }
  for (const PlotPoint& point : plot.inconclusive)
    svg += "<rect class=\"no-value\" x=\"" + num(frame.x(point.frame) - 1.5) + "\" y=\"" +
           num(frame.bottom() - 7) + "\" width=\"3\" height=\"7\"><title>" +
           escapeHtml(plot.describe ? plot.describe(nullptr, point) : "") + "</title></rect>";
  return svg;
}

// The legend of a plot with several series, at its top right: each line
// with its style and point shape.
std::string legend(const Plot& plot, const Frame& frame) {
  if (plot.series.size() < 2) return "";
  std::string svg = "<g class=\"plot-legend\">";
  double x = frame.right();
  for (auto series = plot.series.rbegin(); series != plot.series.rend(); ++series) {
    x -= kCharWidth * static_cast<double>(series->name.size()) + 40;
    const double y = 12;
    svg += "<line class=\"series" + std::string(series->dashed ? " dashed" : "") + "\" stroke=\"" +
           series->colour + "\" x1=\"" + num(x) + "\" x2=\"" + num(x + 26) + "\" y1=\"" + num(y) +
           "\" y2=\"" + num(y) + "\"/>";
    svg += series->dashed ? "<rect fill=\"" + series->colour + "\" x=\"" + num(x + 10.4) +
                                "\" y=\"" + num(y - 2.6) + "\" width=\"5.2\" height=\"5.2\"/>"
                          : "<circle fill=\"" + series->colour + "\" cx=\"" + num(x + 13) +
                                "\" cy=\"" + num(y) + "\" r=\"2.8\"/>";
    svg += text(x + 31, y + 4, "legend-label", "start", series->name);
  }
  return svg + "</g>";
}

}  // namespace

void writeSvgPlot(std::ostream& out, const Plot& plot) {
  const Frame frame(plot);
  size_t pointCount = 0;
  for (const PlotSeries& series : plot.series) pointCount += series.points.size();
  out << "<svg class=\"plot\" data-measure=\"" << escapeHtml(plot.measure) << "\" viewBox=\"0 0 "
      << num(kWidth) << ' ' << num(kHeight)
      << "\" xmlns=\"http://www.w3.org/2000/svg\" role=\"img\" aria-label=\""
      << escapeHtml(plot.measure) << " in " << escapeHtml(plot.unit) << " over the frames\">";
  out << valueAxis(plot, frame) << shotBoundaries(plot, frame);
  for (const PlotSeries& series : plot.series) writeSeriesLines(out, plot, frame, series);
  for (const PlotSeries& series : plot.series)
    writeSeriesPoints(out, plot, frame, series, pointCount > kMaxDrawnPoints);
  out << jumpMarks(plot, frame) << frameAxis(plot, frame) << legend(plot, frame) << "</svg>";
}

}  // namespace stereolint::report
