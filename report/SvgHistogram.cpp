#include "report/SvgHistogram.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "report/HtmlText.h"

namespace stereolint::report {

namespace {

constexpr double kWidth = 460;
constexpr double kHeight = 220;
constexpr double kLeft = 44;
constexpr double kRight = 14;
// Room for the labels of the screen and the limits above the bars, and for
// the ticks and the axis title below them.
constexpr double kTop = 26;
constexpr double kBottom = 40;
constexpr double kTicks = 6;
// Horizontal room of a character of the labels.
constexpr double kCharWidth = 6;

constexpr const char* kInside = "#7b4fa0";
constexpr const char* kOutside = "#d93025";
constexpr const char* kLimitColour = "#b08a3a";

std::string num(double value) { return fixedNumber(value, 1); }

// 1, 2 or 5 times a power of ten, at least `raw`.
double niceStep(double raw) {
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double factor : {1.0, 2.0, 5.0})
    if (raw <= factor * power * (1 + 1e-9)) return factor * power;
  return 10 * power;
}

int decimalsOf(double step) {
  return std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
}

struct Axes {
  double low = 0, high = 1;   // parallax, % of width
  double top = 1;             // share, % of the pixels
  double xStep = 1, yStep = 1;

  double x(double parallax) const {
    return kLeft + (parallax - low) / (high - low) * (kWidth - kLeft - kRight);
  }
  double y(double share) const {
    return kHeight - kBottom - share / top * (kHeight - kTop - kBottom);
  }
};

Axes axesOf(const HistogramPlot& plot) {
  const ParallaxHistogram& h = plot.histogram;
  Axes axes;
  const double low = std::min({h.fromPercent, plot.nearLimit, 0.0});
  const double high = std::max({h.toPercent, plot.farLimit, 0.0});
  const double margin = (high - low) * 0.03 + 1e-6;
  axes.xStep = niceStep((high - low + 2 * margin) / kTicks);
  axes.low = std::floor((low - margin) / axes.xStep) * axes.xStep;
  axes.high = std::ceil((high + margin) / axes.xStep) * axes.xStep;
  double most = 0;
  for (int i = 0; i < ParallaxHistogram::kBins; ++i) most = std::max(most, h.percentOf(i));
  axes.yStep = niceStep(std::max(most, 1.0) / 4);
  axes.top = std::ceil(std::max(most, 1.0) / axes.yStep) * axes.yStep;
  return axes;
}

std::string text(double x, double y, const char* cssClass, const char* anchor,
                 const std::string& content, const char* fill = nullptr) {
  return "<text class=\"" + std::string(cssClass) + "\" x=\"" + num(x) + "\" y=\"" + num(y) +
         "\" text-anchor=\"" + anchor + "\"" +
         (fill != nullptr ? " fill=\"" + std::string(fill) + "\"" : std::string()) + ">" +
         escapeHtml(content) + "</text>";
}

std::string verticalLine(double x, double y1, double y2, const std::string& look) {
  return "<line x1=\"" + num(x) + "\" x2=\"" + num(x) + "\" y1=\"" + num(y1) + "\" y2=\"" +
         num(y2) + "\" " + look + "/>";
}

// The share ticks with their grid, and the parallax ticks below the bars.
std::string grid(const Axes& axes) {
  const double bottom = kHeight - kBottom;
  std::string svg;
  const int yDecimals = decimalsOf(axes.yStep);
  for (double share = 0; share <= axes.top + 1e-9; share += axes.yStep) {
    const double y = axes.y(share);
    svg += "<line class=\"" + std::string(share == 0 ? "axis" : "grid") + "\" x1=\"" + num(kLeft) +
           "\" x2=\"" + num(kWidth - kRight) + "\" y1=\"" + num(y) + "\" y2=\"" + num(y) + "\"/>";
    svg += text(kLeft - 5, y + 4, "tick", "end", fixedNumber(share, yDecimals) + " %");
  }
  const int xDecimals = decimalsOf(axes.xStep);
  const long count = std::lround((axes.high - axes.low) / axes.xStep);
  for (long i = 0; i <= count; ++i) {
    const double parallax = axes.low + static_cast<double>(i) * axes.xStep;
    const double x = axes.x(parallax);
    svg += verticalLine(x, bottom, bottom + 4, "class=\"axis\"");
    svg += text(x, bottom + 15, "tick", "middle", fixedNumber(parallax, xDecimals));
  }
  svg += text((kLeft + kWidth - kRight) / 2, bottom + 32, "axis-title", "middle",
              "parallax, % of width (negative: in front of the screen)");
  return svg;
}

std::string bars(const HistogramPlot& plot, const Axes& axes) {
  const ParallaxHistogram& h = plot.histogram;
  const double width = h.binWidth();
  std::string svg;
  for (int i = 0; i < ParallaxHistogram::kBins; ++i) {
    const double share = h.percentOf(i);
    if (share <= 0) continue;
    const double from = h.fromPercent + i * width;
    const double centre = from + width / 2;
    const bool outside = centre < plot.nearLimit || centre > plot.farLimit;
    const double left = axes.x(from);
    const double top = axes.y(share);
    svg += "<rect class=\"bar\" fill=\"" + std::string(outside ? kOutside : kInside) + "\" x=\"" +
           num(left) + "\" y=\"" + num(top) + "\" width=\"" +
           num(std::max(0.6, axes.x(from + width) - left - 0.6)) + "\" height=\"" +
           num(axes.y(0) - top) + "\"><title>" +
           escapeHtml(fixedNumber(from, 2) + " to " + fixedNumber(from + width, 2) +
                      " % of width: " + fixedNumber(share, 1) + " % of the pixels" +
                      (outside ? ", outside the depth budget" : "")) +
           "</title></rect>";
  }
  return svg;
}

// The screen plane and the two limits, labelled above the bars.
std::string markers(const HistogramPlot& plot, const Axes& axes) {
  const double bottom = kHeight - kBottom;
  const std::string limitLook =
      "stroke=\"" + std::string(kLimitColour) + "\" stroke-width=\"1.2\" stroke-dasharray=\"5 3\"";
  std::string svg;
  svg += verticalLine(axes.x(plot.nearLimit), kTop - 6, bottom, limitLook);
  svg += verticalLine(axes.x(plot.farLimit), kTop - 6, bottom, limitLook);
  svg += verticalLine(axes.x(0), kTop - 16, bottom, "stroke=\"#24292f\" stroke-width=\"1.4\"");
  svg += text(axes.x(0), kTop - 19, "limit-label", "middle", "screen", "#24292f");
  // Each limit is labelled on its outer side, or on its inner side where
  // the outer one has no room.
  const auto label = [&](double x, const std::string& words, bool leftward) {
    const double room = kCharWidth * static_cast<double>(words.size()) + 3;
    if (leftward ? x - room < 0 : x + room > kWidth) leftward = !leftward;
    svg += text(leftward ? x - 3 : x + 3, kTop - 8, "limit-label", leftward ? "end" : "start",
                words);
  };
  label(axes.x(plot.nearLimit), "near " + fixedNumber(plot.nearLimit, 3) + " %", true);
  label(axes.x(plot.farLimit), "far " + fixedNumber(plot.farLimit, 3) + " %", false);
  return svg;
}

}  // namespace

void writeSvgHistogram(std::ostream& out, const HistogramPlot& plot) {
  const Axes axes = axesOf(plot);
  out << "<svg class=\"plot histogram\" viewBox=\"0 0 " << num(kWidth) << ' ' << num(kHeight)
      << "\" xmlns=\"http://www.w3.org/2000/svg\" role=\"img\" aria-label=\""
      << escapeHtml(plot.label) << "\">" << grid(axes) << bars(plot, axes) << markers(plot, axes)
      << "</svg>";
}

}  // namespace stereolint::report
