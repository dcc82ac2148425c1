// The table of measures: every quantity a method reports about a frame, with
// what it means, how it is judged, shown and named.
//
// One entry per measure feeds the method blocks' table columns, the parsing
// of the quality-control limits, the judging of frames and shots, the
// console line of a shot, report.json, report.html and the README's list of
// limits. A new measure is one entry here (and its enum value) plus its
// computation in a method.
//
// Units of a frame's value:
//   VERTICAL       rows, left row minus right row (either sign)
//   ROTATION       degrees that turn the right view back, anticlockwise positive
//   SCALE          ratio of vertical separations, left over right (1 = equal)
//   KEYSTONE       rows the x·y term adds at the bottom-right and top-left corners
//   NEAR PARALLAX  % of the view width, 2nd percentile; negative in front of the screen
//   FAR PARALLAX   % of the view width, 98th percentile; positive behind the screen
//   WINDOW         % of the height of the worse edge where content in front of
//                  the window is cut by the edge
//   DIVERGENCE     millimetres of the farthest parallax on the screen of --screen
//   EYE ORDER      score from -1 (the eyes swapped) to 1 (as shot)
//   MEDIAN PARALLAX  % of the view width, 50th percentile (not judged)
//   DEPTH JUMP     % of the view width: how far the median parallax moves
//                  across the cut before a shot (a shot's value, not a frame's)
//   LUMINANCE      stops, right eye brighter positive
//   COLOUR         CIEDE2000 between the eyes' matched pixels, median
//   SHARPNESS      ratio of the right eye's detail to the left's (1 = equal)
//   HIGHLIGHT AREA % of the view lit in one eye only
// With the dense parallax map of the alignment method, NEAR and FAR
// PARALLAX are read from the map rather than from the matched features.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stereolint {

enum class Measure {
  Vertical,
  Rotation,
  Scale,
  Keystone,
  NearParallax,
  FarParallax,
  Window,
  Divergence,
  EyeOrder,
  MedianParallax,
  DepthJump,
  Luminance,
  Colour,
  Sharpness,
  HighlightArea
};

inline constexpr int kMeasureCount = 15;
inline constexpr std::array<Measure, kMeasureCount> kAllMeasures = {
    Measure::Vertical,     Measure::Rotation,    Measure::Scale,          Measure::Keystone,
    Measure::NearParallax, Measure::FarParallax, Measure::Window,         Measure::Divergence,
    Measure::EyeOrder,     Measure::MedianParallax, Measure::DepthJump,   Measure::Luminance,
    Measure::Colour,       Measure::Sharpness,   Measure::HighlightArea};

inline std::size_t measureIndex(Measure measure) { return static_cast<std::size_t>(measure); }

// One value per measure; a measure the method does not report is empty.
using MeasureValues = std::array<std::optional<double>, kMeasureCount>;

// The methods that give a measure (a bit set).
enum MethodBit : unsigned {
  kStepsMethod = 1u,      // the method of steps, each step's MEDIAN
  kAlignmentMethod = 2u,  // the joint fit, its ALIGNMENT block
  kDepthMethod = 4u,      // the alignment method's dense parallax, its DEPTH block
  kEyesMethod = 8u,       // the alignment method's eye match, its EYES block
};

// How a limit reads and how a value is judged against it.
enum class LimitRule {
  RowsOrHeight,    // |value| in rows; a limit is rows, or % of the view height with "%"
  Degrees,         // |value| in degrees; a limit takes no "%"
  PercentFromOne,  // |value - 1| × 100 against % limits ("%" optional)
  BudgetNear,      // the near side of a depth budget in % of the view width
  BudgetFar,       // the far side of the same budget (it shares the near side's limit)
  AtMost,          // the value as it is, in its unit; larger is worse
  AtLeast,         // the value as it is, in its unit; smaller is worse (limits PASS/FIX
                   // are lower bounds, PASS the higher)
  NotJudged,       // shown (with the measures of its limit key's plot), never judged
  Magnitude,       // |value| in its unit; larger is worse
};

// How the report plots a measure.
struct PlotLook {
  const char* axis;    // the axis unit, e.g. "rows"
  const char* title;   // one line for people, e.g. "Vertical offset, left row minus right row"
  const char* colour;  // the line's colour, e.g. "#3d5a80"
};

struct MeasureInfo {
  Measure measure;
  const char* key;    // console label, table column and JSON name, e.g. "NEAR PARALLAX"
  const char* unit;   // the unit of a value, for people: "rows", "°", "ratio", "% of width"
  const char* sign;   // the sign convention, for people
  unsigned methods;   // MethodBit of the methods that give it
  LimitRule rule;
  // The limit the measure is judged under: its --limits key, the default
  // FIRST/SECOND text and what the two numbers mean. A measure judged under
  // another's limit (FAR PARALLAX under PARALLAX) repeats the key and has no
  // defaults of its own.
  const char* limitKey;
  const char* limitDefaults;
  const char* limitMeaning;
  // What a value beyond the pass limit is called ("vertical offset") and
  // what corrects it, "{}" standing for the amount in `unit` ("shift one
  // view vertically by {} rows"); see qc/Findings.h for the amount.
  const char* problem;
  const char* correction;
  PlotLook plot;
  // For a measure judged at most its limit: true when the correction takes
  // out the whole value (grading away a colour difference, painting out a
  // highlight), false when it moves the value just inside the pass limit
  // (a divergence, a depth jump).
  bool correctsWholeValue = false;
};

const std::array<MeasureInfo, kMeasureCount>& measureTable();
const MeasureInfo& measureInfo(Measure measure);

// The measure's key: "VERTICAL", …, "FAR PARALLAX".
const char* measureName(Measure measure);
std::optional<Measure> measureFromName(std::string_view name);
const char* measureUnit(Measure measure);

// The measures that own a limit, in table order: VERTICAL, ROTATION, SCALE,
// KEYSTONE, NEAR PARALLAX (the PARALLAX budget).
const std::vector<Measure>& limitOwners();
// The measure that owns the limit `measure` is judged under.
Measure limitOwner(Measure measure);
// The measures judged under `owner`'s limit, in table order.
const std::vector<Measure>& measuresUnder(Measure owner);

// True for a side of a depth budget (NEAR or FAR PARALLAX).
bool isBudget(Measure measure);

// How far a value lies from perfect, larger is worse: |value| (SCALE
// |value - 1|), -value for a budget's near side, value for its far side
// and an AtMost measure, -value for an AtLeast measure.
double distanceFromPerfect(Measure measure, double value);
// The value as a plot shows it: SCALE as % difference from 1, the others as they are.
double plottedValue(Measure measure, double value);

// A value as people read it, with its unit: "2.10 rows", "0.125°",
// "+0.42 %" (SCALE as % difference from 1), "-1.20 % of width", "12.50 mm".
std::string formatMeasureValue(Measure measure, double value);

// The measures whose standard error the alignment method gives (one
// standard error in the measure's own unit: rows, degrees, ratio), and the
// name of that line and column: the measure's key and " ERROR".
inline constexpr std::array<Measure, 3> kAlignmentErrorMeasures = {
    Measure::Vertical, Measure::Rotation, Measure::Scale};
std::string standardErrorName(Measure measure);

// The lines of a method's own block and the columns of its table, in
// order: the measures the method gives, then its own fields. For the
// alignment method: VERTICAL … FAR PARALLAX, VERTICAL ERROR, ROTATION
// ERROR, SCALE ERROR, POINTS, RESIDUAL, STATUS, TIME.
// Empty for a block this table does not describe.
const std::vector<std::string>& blockColumns(std::string_view blockName);

// The alignment method's block name and its fields after the measures.
inline constexpr const char* kAlignmentBlock = "ALIGNMENT";
inline constexpr const char* kPointsField = "POINTS";
inline constexpr const char* kResidualField = "RESIDUAL";
inline constexpr const char* kStatusField = "STATUS";
inline constexpr const char* kTimeField = "TIME";

// The alignment method's second block, read from the dense parallax map,
// and its lines in order (see checkers/alignment/AlignmentDepth.h).
inline constexpr const char* kDepthBlock = "DEPTH";
namespace depth_fields {
inline constexpr const char* kNear = "NEAR";
inline constexpr const char* kMedian = "MEDIAN";
inline constexpr const char* kFar = "FAR";
inline constexpr const char* kCoverage = "COVERAGE";
inline constexpr const char* kWindowLeft = "WINDOW LEFT";
inline constexpr const char* kWindowRight = "WINDOW RIGHT";
inline constexpr const char* kFloatingWindow = "FLOATING WINDOW";
inline constexpr const char* kDivergence = "DIVERGENCE";
inline constexpr const char* kEyeOrder = "EYE ORDER";
inline constexpr const char* kEyeOrderScore = "EYE ORDER SCORE";
inline constexpr std::array<const char*, 12> kAll = {
    kNear,           kMedian,     kFar,      kCoverage,      kWindowLeft, kWindowRight,
    kFloatingWindow, kDivergence, kEyeOrder, kEyeOrderScore, kStatusField, kTimeField};
}  // namespace depth_fields

// The alignment method's third block: how the eyes match in brightness and
// colour (see checkers/alignment/AlignmentEyes.h).
inline constexpr const char* kEyesBlock = "EYES";
namespace eyes_fields {
inline constexpr const char* kLuminance = "LUMINANCE";
inline constexpr const char* kColour = "COLOUR";
inline constexpr const char* kColour95 = "COLOUR 95";
inline constexpr const char* kCastA = "CAST A";
inline constexpr const char* kCastB = "CAST B";
// The ten numbers of the colour decision that maps the right eye onto the
// left (see results/ColourDecision.h).
inline constexpr const char* kCdl = "CDL";
inline constexpr const char* kSharpness = "SHARPNESS";
// The softer eye and its blur in pixels ("RIGHT 0.80"), or "NONE".
inline constexpr const char* kBlur = "BLUR";
// The regions of light that reaches one eye only, and their area, % of the view.
inline constexpr const char* kHighlights = "HIGHLIGHTS";
inline constexpr const char* kHighlightArea = "HIGHLIGHT AREA";
inline constexpr const char* kMatched = "MATCHED";
inline constexpr std::array<const char*, 13> kAll = {
    kLuminance,  kColour,        kColour95, kCastA,       kCastB,    kCdl,      kSharpness,
    kBlur,       kHighlights,    kHighlightArea, kMatched, kStatusField, kTimeField};
}  // namespace eyes_fields

}  // namespace stereolint
