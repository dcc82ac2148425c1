// The correction of one shot: what each eye's picture needs so that the
// shot's medians would pass, in a form post-production tools apply.
//
// A shot judged FIX or REJECT under VERTICAL, ROTATION, SCALE, KEYSTONE or
// the PARALLAX budget gets:
// - each eye's homography (EyeWarp.h) that undoes the misalignment of the
//   shot's medians of VERTICAL, ROTATION and SCALE (and of KEYSTONE when it
//   is beyond its pass limit, or at least kKeystoneToCorrect rows in a shot
//   warped anyway: its perspective warp also moves columns, so it is
//   applied only when it tells): the right eye alone takes the whole
//   correction, or each eye half of it;
// - when the medians lie outside the depth budget and their range fits in
//   it, a horizontal shift of the eyes against each other that brings them
//   inside (by half a percent of the width, or half the room there is);
// - the crop, common to both eyes, that removes the empty edges the warps
//   and the shift leave, scaled back to the full view.
// A shot that passes, cannot be judged, or is beyond other limits alone (the
// eyes' timing, a window violation, divergence, swapped eyes) gets no warp.
//
// A shot judged FIX or REJECT under WINDOW, and any shot with a warp, gets
// the floating window its frames need: the largest FLOATING WINDOW of its
// frames (measured on the views with the misalignment undone, so the
// eyes' alignment leaves it as it is), brought into the corrected picture:
// the eyes' shift apart adds to every parallax and the crop's zoom scales
// it, so a parallax p (pixels) becomes (p + shift) / fraction, and the mask
// that brings the window in front of the nearest cut content is
// (FLOATING WINDOW - shift) / fraction, rounded up; 0 when the shift alone
// takes the cut content behind the window.
#pragma once

#include <array>
#include <opencv2/core.hpp>
#include <optional>
#include <string>
#include <vector>

#include "corrections/CropFit.h"
#include "qc/FrameRecord.h"
#include "qc/QcLimits.h"
#include "qc/Shot.h"
#include "qc/Verdict.h"
#include "results/ColourDecision.h"

namespace stereolint::corrections {

// Which eyes a correction warps (--correct): the right one alone, or both,
// each taking half, which halves the crop.
enum class CorrectedEyes { Right, Both };

// "right" or "both" (any letter case); nothing for another word.
std::optional<CorrectedEyes> correctedEyesFromWord(const std::string& word);
const char* correctedEyesWord(CorrectedEyes eyes);
inline constexpr const char* kCorrectedEyesWords = "right, both";

// The least keystone, in rows, that a shot warped for other reasons has
// corrected too: the hundredth of a row the alignment method tells apart
// from none. The warp costs nothing more.
inline constexpr double kKeystoneToCorrect = 0.01;

// A crop removing more than this share of the picture is pointed out.
inline constexpr double kLargeCropPercent = 2;

struct EyeCorrection {
  // Undoes the eye's share of the misalignment (the identity for an eye
  // left as shot).
  cv::Matx33d alignment = cv::Matx33d::eye();
  double shift = 0;  // columns, rightwards positive, after the alignment
  // The whole warp from the eye as shot to the corrected full view: the
  // alignment, the shift, the crop and its scaling back to the view's size.
  cv::Matx33d warp = cv::Matx33d::eye();
};

struct ShotCorrection {
  int shot = 0;
  int firstFrame = 0;
  int lastFrame = 0;
  qc::Verdict verdict = qc::Verdict::Inconclusive;
  bool applies = false;               // false: the identity, no crop, no shift
  cv::Size view;                      // the view's size in display geometry, pixels
  std::array<EyeCorrection, 2> eyes;  // left, right
  Crop crop;
  // The eyes' shift against each other, % of the view width: apart
  // (positive, the scene further behind the screen) or together.
  double shiftPercent = 0;
  bool keystone = false;  // whether the keystone is corrected
  // The floating window: pixels of the corrected full view (display
  // geometry) masked black at the left edge of the left eye and the right
  // edge of the right eye, after the warp, over the shot's frames; 0 for
  // none. A shot may have one without a warp.
  int floatingWindow = 0;
  // The grade that maps the right eye onto the left (ShotGrade.h), for a
  // shot whose eyes differ in brightness or colour beyond the pass limits.
  std::optional<ColourDecision> grade;
  std::string words;      // the correction as people read it

  // The crop as a rectangle of the corrected eyes, before scaling back:
  // x, y, width, height in pixels, origin at the view's top-left corner.
  cv::Rect2d cropRectangle() const;
  // The share of the picture the crop removes, %.
  double cropPercent() const { return 100 * (1 - crop.fraction * crop.fraction); }
};

// The correction of `shot`, whose views are `view` in size, judged under
// `limits`, with the shot's `grade` (ShotGrade.h) when it has one and the
// largest FLOATING WINDOW of its frames as shot, `floatingWindow` pixels of
// the full view (0: none of them has a window violation).
ShotCorrection correctShot(const qc::Shot& shot, const qc::QcLimits& limits, cv::Size view,
                           CorrectedEyes eyes, std::optional<ColourDecision> grade = std::nullopt,
                           int floatingWindow = 0);

// The correction of `shot` from the records of the take's `frames` (in
// frame order): the view size of its first frame, its grade and the
// largest floating window of its frames.
ShotCorrection correctShot(const qc::Shot& shot, const std::vector<qc::FrameRecord>& frames,
                           const qc::QcLimits& limits, CorrectedEyes eyes);

// The largest FLOATING WINDOW (pixels of the full view) of the frames of
// `frames` within the shot's range that have a dense parallax map; 0 when
// none has a window violation.
int largestFloatingWindow(const qc::Shot& shot, const std::vector<qc::FrameRecord>& frames);

// The view size of the first frame of `frames` (in frame order) at or after
// `frame` that has one; (0, 0) when none.
cv::Size viewSizeAt(const std::vector<qc::FrameRecord>& frames, int frame);

}  // namespace stereolint::corrections
