#include "corrections/ShotCorrection.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "corrections/EyeWarp.h"
#include "corrections/ShotGrade.h"
#include "util/Words.h"

namespace stereolint::corrections {

namespace {

// The crop stays this many pixels clear of the warped edges, so that the
// interpolation never reaches past a picture's border.
constexpr double kCropMargin = 2;
// The depth budget is entered by this much (% of the width), or by half the
// room the budget leaves when that is less: the nearest and farthest
// percentiles move when the crop takes features away at the edges, by a
// tenth or two of a percent on real pictures, and the shot should pass
// still.
constexpr double kBudgetMargin = 0.5;

std::optional<double> medianOf(const qc::Shot& shot, Measure measure) {
  for (const qc::MeasureSummary& summary : shot.measures)
    if (summary.measure == measure) return summary.median;
  return std::nullopt;
}

bool beyondPass(const qc::Shot& shot, Measure measure) {
  const std::optional<qc::Verdict>& verdict = shot.byLimit[measureIndex(limitOwner(measure))];
  return verdict && (*verdict == qc::Verdict::Fix || *verdict == qc::Verdict::Reject);
}

// The limits a warp and a shift of the eyes correct; the others (a window
// violation, divergence, swapped eyes) ask for other remedies.
bool beyondAnyPass(const qc::Shot& shot) {
  for (Measure measure : {Measure::Vertical, Measure::Rotation, Measure::Scale, Measure::Keystone,
                          Measure::NearParallax})
    if (beyondPass(shot, measure)) return true;
  return false;
}

// The parallax, % of the width, that the eyes' shift must add after the
// crop's zoom `1 / fraction`: the medians brought inside the budget's side
// they are beyond. Nothing when the shot is within the budget, when its
// range does not fit in it, or when it was not measured.
std::optional<double> parallaxChange(const qc::Shot& shot, const qc::QcLimits& limits,
                                     double fraction) {
  if (!beyondPass(shot, Measure::NearParallax)) return std::nullopt;
  const std::optional<double> nearest = medianOf(shot, Measure::NearParallax);
  const std::optional<double> farthest = medianOf(shot, Measure::FarParallax);
  if (!nearest || !farthest) return std::nullopt;
  const qc::LimitPair& budget = limits.of(Measure::NearParallax);
  const double room = (budget.second.amount - budget.first.amount) - (*farthest - *nearest);
  if (room < 0) return std::nullopt;
  const double margin = std::min(kBudgetMargin, room / 2);
  // Scaling back up multiplies every parallax by 1 / fraction.
  if (*nearest < budget.first.amount) return (budget.first.amount + margin) * fraction - *nearest;
  if (*farthest > budget.second.amount)
    return (budget.second.amount - margin) * fraction - *farthest;
  return std::nullopt;
}

// Scaling the crop back to the full view: the crop's corners to the view's.
cv::Matx33d cropZoom(const Crop& crop, cv::Size view) {
  const double zoom = 1 / crop.fraction;
  const cv::Point2d middle((view.width - 1) / 2.0, (view.height - 1) / 2.0);
  return {zoom, 0, middle.x - zoom * crop.centre.x, 0, zoom, middle.y - zoom * crop.centre.y, 0,
          0,    1};
}

// The eyes' warps with `shiftPercent` of the width split between them, the
// crop they need and the whole warps.
void assemble(ShotCorrection& c, CorrectedEyes eyes) {
  const double columns = c.shiftPercent / 100 * c.view.width;
  c.eyes[0].shift = eyes == CorrectedEyes::Both ? -columns / 2 : 0;
  c.eyes[1].shift = eyes == CorrectedEyes::Both ? columns / 2 : columns;
  std::vector<std::array<cv::Point2d, 4>> outlines;
  for (EyeCorrection& eye : c.eyes)
    outlines.push_back(warpedOutline(horizontalMove(eye.shift) * eye.alignment, c.view));
  c.crop = fitCrop(outlines, c.view, kCropMargin);
  const cv::Matx33d zoom = cropZoom(c.crop, c.view);
  for (EyeCorrection& eye : c.eyes) eye.warp = zoom * horizontalMove(eye.shift) * eye.alignment;
}

std::string number(const char* format, double value) {
  char text[48];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// "down 2.40 rows, turned 0.31° clockwise, 0.60 % smaller, moved right 3.1
// columns": what one eye's warp does before the crop; "" for none.
std::string eyeWords(const EyeCorrection& eye, cv::Size view) {
  const WarpReading reading = readWarp(eye.alignment, view);
  std::vector<std::string> parts;
  if (std::fabs(reading.down) >= 0.005)
    parts.push_back((reading.down > 0 ? "down " : "up ") +
                    number("%.2f rows", std::fabs(reading.down)));
  if (std::fabs(reading.clockwise) >= 0.005)
    parts.push_back("turned " + number("%.2f°", std::fabs(reading.clockwise)) +
                    (reading.clockwise > 0 ? " clockwise" : " anticlockwise"));
  const double percent = (reading.scale - 1) * 100;
  if (std::fabs(percent) >= 0.005)
    parts.push_back(number("%.2f %%", std::fabs(percent)) + (percent > 0 ? " larger" : " smaller"));
  if (std::fabs(eye.shift) >= 0.05)
    parts.push_back((eye.shift > 0 ? "moved right " : "moved left ") +
                    number("%.1f columns", std::fabs(eye.shift)) + " (" +
                    number("%.2f %% of the width", std::fabs(eye.shift) / view.width * 100) + ")");
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : ", ") + part;
  return text;
}

std::string gradeWords(const ShotCorrection& c) {
  return "right eye: graded onto the left (" + shotCdlName(c.shot) + ", " +
         shotCubeName(c.shot) + ")";
}

std::string maskWords(const ShotCorrection& c) {
  return "floating window " + std::to_string(c.floatingWindow) + " px";
}

std::string correctionWords(const ShotCorrection& c, const qc::Shot& shot) {
  if (!c.applies && (c.grade || c.floatingWindow > 0)) {
    std::string text = c.floatingWindow > 0 ? maskWords(c) : "";
    if (c.grade) text += (text.empty() ? "" : "; ") + gradeWords(c);
    return text;
  }
  if (!c.applies) {
    if (shot.verdict == qc::Verdict::Pass) return "none: the shot passes";
    if (shot.verdict == qc::Verdict::Inconclusive) return "none: the shot cannot be judged";
    return "none: no limit that a warp or a shift of the eyes corrects is exceeded";
  }
  std::string text;
  const char* names[] = {"left eye: ", "right eye: "};
  for (size_t e = 0; e < c.eyes.size(); ++e) {
    const std::string words = eyeWords(c.eyes[e], c.view);
    if (!words.empty()) text += (text.empty() ? "" : "; ") + std::string(names[e]) + words;
  }
  if (c.keystone) text += (text.empty() ? "" : "; ") + std::string("keystone corrected");
  text += (text.empty() ? "" : "; ") + number("crop %.1f %%", c.cropPercent());
  if (c.cropPercent() > kLargeCropPercent)
    text += number(" (over %g %% of the picture)", kLargeCropPercent);
  if (c.floatingWindow > 0) text += "; " + maskWords(c);
  if (c.grade) text += "; " + gradeWords(c);
  if (!shot.eyes.empty()) text += "; the eyes' timing is not corrected";
  return text;
}

// The crop that keeps the whole view.
Crop wholeView(cv::Size view) { return {{(view.width - 1) / 2.0, (view.height - 1) / 2.0}, 1}; }

// The eyes' warps, shift and crop of a shot beyond the limits they correct;
// false when they would leave less than a quarter of the picture, which is
// no correction.
bool warpShot(ShotCorrection& c, const qc::Shot& shot, const qc::QcLimits& limits,
              CorrectedEyes eyes) {
  Misalignment m;
  m.vertical = medianOf(shot, Measure::Vertical).value_or(0);
  m.rotation = medianOf(shot, Measure::Rotation).value_or(0);
  m.scale = medianOf(shot, Measure::Scale).value_or(1);
  const std::optional<double> keystone = medianOf(shot, Measure::Keystone);
  c.keystone = keystone && (beyondPass(shot, Measure::Keystone) ||
                            std::abs(*keystone) >= kKeystoneToCorrect);
  if (c.keystone) m.keystone = *keystone;
  const cv::Matx33d whole = rightCorrection(m, c.view);
  if (eyes == CorrectedEyes::Both) {
    c.eyes[1].alignment = halfWarp(whole);
    c.eyes[0].alignment = c.eyes[1].alignment.inv();
  } else {
    c.eyes[1].alignment = whole;
  }
  assemble(c, eyes);
  // The shift's share of the crop changes the zoom and so the parallax it
  // must add: a few rounds settle both.
  for (int round = 0; round < 4; ++round) {
    const std::optional<double> change = parallaxChange(shot, limits, c.crop.fraction);
    if (!change) break;
    c.shiftPercent = *change;
    assemble(c, eyes);
  }
  return c.crop.fraction >= 0.5;
}

// The floating window of the corrected picture for the frames' own
// `asShot` (pixels of the full view): the shift apart moves the cut
// content back by its columns, the crop's zoom scales what is left. A
// thousandth of a pixel is forgiven before rounding up, so that a whole
// number stays whole.
int correctedFloatingWindow(const ShotCorrection& c, int asShot) {
  if (asShot <= 0) return 0;
  const double shift = c.shiftPercent / 100 * c.view.width;
  const double needed = (asShot - shift) / c.crop.fraction;
  return needed > 1e-3 ? static_cast<int>(std::ceil(needed - 1e-3)) : 0;
}

}  // namespace

std::optional<CorrectedEyes> correctedEyesFromWord(const std::string& word) {
  if (equalIgnoringCase(word, "right")) return CorrectedEyes::Right;
  if (equalIgnoringCase(word, "both")) return CorrectedEyes::Both;
  return std::nullopt;
}

const char* correctedEyesWord(CorrectedEyes eyes) {
  return eyes == CorrectedEyes::Both ? "both" : "right";
}

cv::Rect2d ShotCorrection::cropRectangle() const {
  const double width = crop.fraction * view.width;
  const double height = crop.fraction * view.height;
  // Pixel-centre coordinates to the picture's corner: half a pixel.
  return {crop.centre.x + 0.5 - width / 2, crop.centre.y + 0.5 - height / 2, width, height};
}

ShotCorrection correctShot(const qc::Shot& shot, const qc::QcLimits& limits, cv::Size view,
                           CorrectedEyes eyes, std::optional<ColourDecision> grade,
                           int floatingWindow) {
  ShotCorrection c;
  c.grade = std::move(grade);
  c.shot = shot.number;
  c.firstFrame = shot.firstFrame;
  c.lastFrame = shot.lastFrame;
  c.verdict = shot.verdict;
  c.view = view;
  c.crop = wholeView(view);
  const bool viewKnown = view.width > 0 && view.height > 0;
  c.applies = (shot.verdict == qc::Verdict::Fix || shot.verdict == qc::Verdict::Reject) &&
              beyondAnyPass(shot) && viewKnown;
  const bool tooLittleLeft = c.applies && !warpShot(c, shot, limits, eyes);
  if (tooLittleLeft) {
    c.applies = false;
    c.eyes = {};
    c.shiftPercent = 0;
    c.keystone = false;
    c.crop = wholeView(view);
  }
  if (viewKnown && (c.applies || beyondPass(shot, Measure::Window)))
    c.floatingWindow = correctedFloatingWindow(c, floatingWindow);
  if (!tooLittleLeft)
    c.words = correctionWords(c, shot);
  else if (c.floatingWindow > 0)
    c.words = maskWords(c) + "; no warp: it would leave less than a quarter of the picture";
  else
    c.words = "none: the warp would leave less than a quarter of the picture";
  return c;
}

ShotCorrection correctShot(const qc::Shot& shot, const std::vector<qc::FrameRecord>& frames,
                           const qc::QcLimits& limits, CorrectedEyes eyes) {
  return correctShot(shot, limits, viewSizeAt(frames, shot.firstFrame), eyes,
                     shotGrade(shot, frames), largestFloatingWindow(shot, frames));
}

int largestFloatingWindow(const qc::Shot& shot, const std::vector<qc::FrameRecord>& frames) {
  int largest = 0;
  for (const qc::FrameRecord& record : frames)
    if (record.frame >= shot.firstFrame && record.frame <= shot.lastFrame && record.depth)
      largest = std::max(largest, record.depth->floatingWindowPixels);
  return largest;
}

cv::Size viewSizeAt(const std::vector<qc::FrameRecord>& frames, int frame) {
  for (const qc::FrameRecord& record : frames)
    if (record.frame >= frame && record.viewSize.area() > 0) return record.viewSize;
  return {0, 0};
}

}  // namespace stereolint::corrections
