#include "results/Measures.h"

#include <cmath>
#include <cstdio>

namespace stereolint {

namespace {

// Default limits follow common stereo delivery practice (see the README
// section on quality control): about a third of a percent of the height of
// vertical offset, a tenth of a degree of rotation and a third of a percent
// of scale difference pass unnoticed; up to 1 % (0.5° for rotation) can be
// corrected in post at the cost of a small crop; a depth budget of 1 % of
// the width in front of the screen and 2 % behind it.
constexpr std::array<MeasureInfo, kMeasureCount> kTable = {{
    {Measure::Vertical, "VERTICAL", "rows", "left row minus right row",
     kStepsMethod | kAlignmentMethod, LimitRule::RowsOrHeight, "VERTICAL", "0.3%/1%",
     "pass/fix vertical offset: rows, or % of the view height", "vertical offset",
     "shift one view vertically by {} rows",
     {"rows", "Vertical offset, left row minus right row", "#3d5a80"}},
    {Measure::Rotation, "ROTATION", "°", "turns the right view back, anticlockwise positive",
     kStepsMethod | kAlignmentMethod, LimitRule::Degrees, "ROTATION", "0.1/0.5",
     "pass/fix rotation: degrees", "rotation", "turn the right view by {}°",
     {"degrees", "Rotation of the right view against the left", "#3d5a80"}},
    {Measure::Scale, "SCALE", "ratio", "left over right, 1 = equal size",
     kStepsMethod | kAlignmentMethod, LimitRule::PercentFromOne, "SCALE", "0.3%/1%",
     "pass/fix magnification difference: % from equal size", "size difference",
     "scale the right view by {} %",
     {"% size difference", "Magnification difference, % from equal size", "#3d5a80"}},
    {Measure::Keystone, "KEYSTONE", "rows", "rows added at the bottom-right corner",
     kAlignmentMethod, LimitRule::RowsOrHeight, "KEYSTONE", "0.3%/1%",
     "pass/fix keystone (vertical offset difference at the corners): rows, or % of the view "
     "height",
     "keystone", "correct the keystone (a perspective warp of one view) by {} rows",
     {"rows", "Keystone, difference of vertical offset at the corners", "#3d5a80"}},
    {Measure::NearParallax, "NEAR PARALLAX", "% of width", "negative in front of the screen",
     kAlignmentMethod, LimitRule::BudgetNear, "PARALLAX", "-1%/2%",
     "near/far depth budget: % of the view width, negative in front of the screen",
     "parallax outside the depth budget", "move the eyes apart by {} % of the width",
     {"% of width", "Nearest and farthest parallax, % of the view width", "#7b4fa0"}},
    {Measure::FarParallax, "FAR PARALLAX", "% of width", "positive behind the screen",
     kAlignmentMethod, LimitRule::BudgetFar, "PARALLAX", nullptr, nullptr,
     "parallax outside the depth budget", "move the eyes together by {} % of the width",
     {"% of width", "Nearest and farthest parallax, % of the view width", "#2b7bb9"}},
    {Measure::Window, "WINDOW", "% of the edge", "0 when nothing in front of the screen is cut",
     kDepthMethod, LimitRule::AtMost, "WINDOW", "5%/100%",
     "pass/fix stereo window violation: % of the height of the worse edge", "window violation",
     "mask the left view's left edge and the right view's right edge black, as wide as the "
     "FLOATING WINDOW of the worst frame's DEPTH block",
     {"% of the edge", "Window violations, % of the edge height", "#b5542d"}},
    {Measure::Divergence, "DIVERGENCE", "mm", "farthest parallax on the screen of --screen",
     kDepthMethod, LimitRule::AtMost, "DIVERGENCE", "65/130",
     "pass/fix farthest parallax on the screen of --screen: millimetres (the pass limit is the "
     "interocular distance)",
     "divergence", "move the eyes together by {} mm on that screen",
     {"mm", "Farthest parallax on the screen, millimetres", "#2b7bb9"}},
    {Measure::EyeOrder, "EYE ORDER", "score", "1 as shot, -1 the eyes swapped", kDepthMethod,
     LimitRule::AtLeast, "EYE ORDER", "-0.12/-0.12",
     "pass/fix lowest eye-order score (-1 swapped to 1 as shot); below both: the eyes are swapped",
     "eyes swapped", "swap the left and right views",
     {"score", "Eye order, 1 as shot, -1 swapped", "#5a7d3d"}},
    {Measure::MedianParallax, "MEDIAN PARALLAX", "% of width", "negative in front of the screen",
     kDepthMethod, LimitRule::NotJudged, "PARALLAX", nullptr, nullptr, "", "",
     {"% of width", "Nearest and farthest parallax, % of the view width", "#555555"}},
    {Measure::DepthJump, "DEPTH JUMP", "% of width",
     "how far the median parallax moves across the cut before the shot", kDepthMethod,
     LimitRule::AtMost, "DEPTH JUMP", "1%/3%",
     "pass/fix change of the median parallax across a cut: % of the view width",
     "depth jump at the cut", "move the shot's views against each other by {} % of the width",
     {"% of width", "Depth jump at the cut before the shot, % of the view width", "#b5542d"}},
    {Measure::Luminance, "LUMINANCE", "stops", "positive when the right eye is brighter",
     kEyesMethod, LimitRule::Magnitude, "LUMINANCE", "0.1/1",
     "pass/fix brightness difference between the eyes: stops", "brightness difference",
     "grade the right eye by {} stops",
     {"stops",
      "Brightness of the right eye against the left, stops, above 0 when the right eye is "
      "brighter",
      "#8a6d1f"}},
    {Measure::Colour, "COLOUR", "ΔE2000", "median over the matched pixels", kEyesMethod,
     LimitRule::AtMost, "COLOUR", "2/10",
     "pass/fix colour difference between the eyes: CIEDE2000, median of the matched pixels",
     "colour difference", "grade the right eye onto the left (a median difference of {} ΔE2000)",
     {"ΔE2000", "Colour difference between the eyes, CIEDE2000", "#8a6d1f"},
     true},
    {Measure::Sharpness, "SHARPNESS", "ratio", "the right eye's detail over the left's",
     kEyesMethod, LimitRule::PercentFromOne, "SHARPNESS", "10%/25%",
     "pass/fix detail one eye has lost against the other: |1 - SHARPNESS| × 100",
     "difference of sharpness", "match the focus of the softer eye ({} % of its detail lost)",
     {"% detail",
      "Detail of the right eye against the left, %, below 0 when the right eye is softer",
      "#2d6a8a"}},
    {Measure::HighlightArea, "HIGHLIGHT AREA", "% of the view", "lit in one eye only",
     kEyesMethod, LimitRule::AtMost, "HIGHLIGHTS", "0.1%/1%",
     "pass/fix area of light that reaches one eye only: % of the view",
     "light in one eye only", "paint out the one-eye highlights ({} % of the view)",
     {"% of view", "Light that reaches one eye only, % of the view", "#b07d12"},
     true},
}};

// Which measure owns which limit, worked out once from the table: the
// judging asks it for every frame.
struct LimitLinks {
  std::vector<Measure> owners;                             // in table order
  std::array<Measure, kMeasureCount> ownerOf{};            // by measure
  std::array<std::vector<Measure>, kMeasureCount> under;  // by owner
};

LimitLinks makeLimitLinks() {
  LimitLinks links;
  for (const MeasureInfo& info : kTable)
    if (info.limitDefaults != nullptr && info.rule != LimitRule::NotJudged)
      links.owners.push_back(info.measure);
  for (const MeasureInfo& info : kTable) {
    Measure owner = info.measure;
    for (Measure candidate : links.owners)
      if (std::string_view(info.limitKey) == kTable[measureIndex(candidate)].limitKey) {
        owner = candidate;
        break;
      }
    links.ownerOf[measureIndex(info.measure)] = owner;
    links.under[measureIndex(owner)].push_back(info.measure);
  }
  return links;
}

const LimitLinks& limitLinks() {
  static const LimitLinks links = makeLimitLinks();
  return links;
}

}  // namespace

const std::array<MeasureInfo, kMeasureCount>& measureTable() { return kTable; }

const MeasureInfo& measureInfo(Measure measure) { return kTable[measureIndex(measure)]; }

const char* measureName(Measure measure) { return measureInfo(measure).key; }

const char* measureUnit(Measure measure) { return measureInfo(measure).unit; }

std::optional<Measure> measureFromName(std::string_view name) {
  for (const MeasureInfo& info : kTable)
    if (name == info.key) return info.measure;
  return std::nullopt;
}

const std::vector<Measure>& limitOwners() { return limitLinks().owners; }

Measure limitOwner(Measure measure) { return limitLinks().ownerOf[measureIndex(measure)]; }

const std::vector<Measure>& measuresUnder(Measure owner) {
  return limitLinks().under[measureIndex(owner)];
}

bool isBudget(Measure measure) {
  const LimitRule rule = measureInfo(measure).rule;
  return rule == LimitRule::BudgetNear || rule == LimitRule::BudgetFar;
}

double distanceFromPerfect(Measure measure, double value) {
  switch (measureInfo(measure).rule) {
    case LimitRule::PercentFromOne: return std::fabs(value - 1.0);
    case LimitRule::BudgetNear:
    case LimitRule::AtLeast: return -value;
    case LimitRule::BudgetFar:
    case LimitRule::AtMost: return value;
    case LimitRule::NotJudged: return 0;
    case LimitRule::RowsOrHeight:
    case LimitRule::Degrees:
    case LimitRule::Magnitude: break;
  }
  return std::fabs(value);
}

double plottedValue(Measure measure, double value) {
  return measureInfo(measure).rule == LimitRule::PercentFromOne ? (value - 1.0) * 100.0 : value;
}

std::string formatMeasureValue(Measure measure, double value) {
  char text[64];
  switch (measureInfo(measure).rule) {
    case LimitRule::Degrees: std::snprintf(text, sizeof text, "%.3f°", value); break;
    case LimitRule::PercentFromOne:
      std::snprintf(text, sizeof text, "%+.2f %%", (value - 1.0) * 100.0);
      break;
    case LimitRule::BudgetNear:
    case LimitRule::BudgetFar:
    case LimitRule::NotJudged:
      std::snprintf(text, sizeof text, "%.2f %% of width", value);
      break;
    case LimitRule::RowsOrHeight: std::snprintf(text, sizeof text, "%.2f rows", value); break;
    case LimitRule::AtMost:
    case LimitRule::AtLeast:
    case LimitRule::Magnitude:
      std::snprintf(text, sizeof text, "%.2f %s", value, measureUnit(measure));
      break;
  }
  return text;
}

std::string standardErrorName(Measure measure) {
  return std::string(measureName(measure)) + " ERROR";
}

const std::vector<std::string>& blockColumns(std::string_view blockName) {
  static const std::vector<std::string> none;
  static const std::vector<std::string> alignment = [] {
    std::vector<std::string> columns;
    for (const MeasureInfo& info : kTable)
      if ((info.methods & kAlignmentMethod) != 0) columns.emplace_back(info.key);
    for (Measure measure : kAlignmentErrorMeasures) columns.push_back(standardErrorName(measure));
    for (const char* field : {kPointsField, kResidualField, kStatusField, kTimeField})
      columns.emplace_back(field);
    return columns;
  }();
  static const std::vector<std::string> depth(depth_fields::kAll.begin(),
                                              depth_fields::kAll.end());
  static const std::vector<std::string> eyes(eyes_fields::kAll.begin(), eyes_fields::kAll.end());
  if (blockName == kAlignmentBlock) return alignment;
  if (blockName == kEyesBlock) return eyes;
  return blockName == kDepthBlock ? depth : none;
}

}  // namespace stereolint
