#include "EyesBench.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <opencv2/core/utility.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <random>
#include <string>
#include <vector>

#include "BenchFootage.h"
#include "checkers/alignment/AlignmentDepth.h"
#include "checkers/alignment/AlignmentEyes.h"
#include "checkers/alignment/AlignmentMeasurement.h"
#include "checkers/eyes/CdlFit.h"

namespace bench {

namespace {

using namespace stereolint;

const std::string kData = "/usr/share/doc/opencv-doc/examples/data/";

struct Measured {
  AlignmentMeasurement geometry;
  DepthMeasurement depth;
  EyesMeasurement eyes;
};

Measured measure(const cv::Mat& left, const cv::Mat& right) {
  const AlignmentOptions options;
  Measured m{measureAlignment(left, right, options), {}, {}};
  m.depth = measureDepth(left, right, m.geometry, options);
  m.eyes = measureEyes(left, right, m.geometry, m.depth);
  return m;
}

// The right view moved sideways by a fraction of a pixel: the same picture
// as the left, nothing between the eyes but resampling.
cv::Mat movedSideways(const cv::Mat& view, double pixels) {
  cv::Mat moved;
  const cv::Matx23d shift(1, 0, pixels, 0, 1, 0);
  cv::warpAffine(view, moved, shift, view.size(), cv::INTER_CUBIC, cv::BORDER_REFLECT);
  return moved;
}

// What a grade does to a picture, measured on the picture against itself:
// the mean linear luminance in stops, the mean shift of a* and b*.
struct Shift {
  double stops, a, b;
};

// The plain reference: the mean linear luminance of a whole view, stops,
// with no matching at all.
double wholeViewStops(const cv::Mat& view) {
  cv::Mat unit, lab;
  view.convertTo(unit, CV_32FC3, 1 / 255.0);
  cv::cvtColor(unit, lab, cv::COLOR_BGR2Lab);
  double sum = 0;
  for (int y = 0; y < lab.rows; ++y)
    for (int x = 0; x < lab.cols; ++x) {
      const double f = (lab.at<cv::Vec3f>(y, x)[0] + 16) / 116;
      sum += f > 24.0 / 116 ? f * f * f : (116 * f - 16) / 903.3;
    }
  return std::log2(sum / static_cast<double>(lab.total()));
}

Shift appliedShift(const cv::Mat& view, const ColourDecision& grade) {
  cv::Mat before, after;
  view.convertTo(before, CV_32FC3, 1 / 255.0);
  applyColourDecision(grade, view).convertTo(after, CV_32FC3, 1 / 255.0);
  cv::cvtColor(before, before, cv::COLOR_BGR2Lab);
  cv::cvtColor(after, after, cv::COLOR_BGR2Lab);
  const auto linear = [](double lightness) {
    const double f = (lightness + 16) / 116;
    return lightness > 8 ? f * f * f : lightness / 903.3;
  };
  double yBefore = 0, yAfter = 0;
  for (int y = 0; y < view.rows; ++y)
    for (int x = 0; x < view.cols; ++x) {
      yBefore += linear(before.at<cv::Vec3f>(y, x)[0]);
      yAfter += linear(after.at<cv::Vec3f>(y, x)[0]);
    }
  const cv::Scalar difference = cv::mean(after - before);
  return {std::log2(yAfter / yBefore), difference[1], difference[2]};
}

std::vector<ColourDecision> grades() {
  std::vector<ColourDecision> list;
  std::mt19937 random(7);
  std::uniform_real_distribution<double> slope(0.9, 1.1), offset(-0.03, 0.03), power(0.9, 1.1);
  for (int i = 0; i < 6; ++i) {
    ColourDecision grade;
    for (size_t c = 0; c < 3; ++c) {
      grade.slope[c] = slope(random);
      grade.offset[c] = offset(random);
      grade.power[c] = power(random);
    }
    list.push_back(grade);
  }
  return list;
}

void printGrades(const char* name, const cv::Mat& left, const cv::Mat& right) {
  const Measured plain = measure(left, right);
  if (!plain.eyes.figures) {
    std::printf("  %s: no eye match (%s)\n", name,
                statusText(plain.eyes.status, plain.eyes.reason).c_str());
    return;
  }
  const EyeMatchFigures& base = *plain.eyes.figures;
  std::printf("  %s as shot: LUMINANCE %+.3f stops, CAST A %+.2f, CAST B %+.2f, "
              "COLOUR %.2f / %.2f\n",
              name, base.luminanceStops, base.castA, base.castB, base.colourMedian, base.colour95);
  int within = 0, matched = 0, plainWithin = 0;
  const double plainBase = wholeViewStops(right) - wholeViewStops(left);
  for (const ColourDecision& grade : grades()) {
    const cv::Mat graded = applyColourDecision(grade, right);
    const Measured m = measure(left, graded);
    if (!m.eyes.figures || !m.eyes.figures->decision) {
      std::printf("    grade: no eye match\n");
      continue;
    }
    const EyeMatchFigures& f = *m.eyes.figures;
    const Shift truth = appliedShift(right, grade);
    const double stops = f.luminanceStops - base.luminanceStops - truth.stops;
    const double a = f.castA - base.castA - truth.a, b = f.castB - base.castB - truth.b;
    const bool ok = std::fabs(stops) <= 0.02 && std::fabs(a) <= 0.3 && std::fabs(b) <= 0.3;
    within += ok;
    const double unmatched =
        wholeViewStops(graded) - wholeViewStops(left) - plainBase - truth.stops;
    plainWithin += std::fabs(unmatched) <= 0.02;
    const Measured corrected = measure(left, applyColourDecision(*f.decision, graded));
    const auto& after = corrected.eyes.figures;
    const bool close = after && after->colourMedian <= 0.5 && after->colour95 <= 1.5;
    matched += close;
    std::printf("    applied %+.3f stops, a %+.2f, b %+.2f; "
                "read off by %+.3f stops, a %+.2f, b %+.2f %s; "
                "after its CDL COLOUR %.2f / %.2f %s\n",
                truth.stops, truth.a, truth.b, stops, a, b, ok ? "ok" : "MISSED",
                after ? after->colourMedian : NAN, after ? after->colour95 : NAN,
                close ? "ok" : "MISSED");
  }
  std::printf("    within 0.02 stops and 0.3 a*/b*: %d of 6; "
              "after the CDL within 0.5 / 1.5: %d of 6; "
              "plain reference (whole views' means, no matching) within 0.02 stops: %d of 6\n",
              within, matched, plainWithin);
}

void printBlur(const char* name, const cv::Mat& left, const cv::Mat& right) {
  const Measured plain = measure(left, right);
  const auto& s = plain.eyes.sharpness;
  std::printf("  %s unblurred: SHARPNESS %.3f (%s), BLUR %s %.2f over %d patches\n", name,
              s ? s->ratio : NAN, s && std::fabs(s->ratio - 1) <= 0.03 ? "ok" : "MISSED",
              s ? softerEyeName(s->softer) : "-", s ? s->blurPixels : NAN, s ? s->patches : 0);
  int within = 0, total = 0;
  for (double sigma : {0.5, 0.75, 1.0, 1.5, 2.0, 3.0}) {
    cv::Mat blurred;
    cv::GaussianBlur(right, blurred, cv::Size(), sigma);
    const Measured m = measure(left, blurred);
    const auto& b = m.eyes.sharpness;
    const bool ok = b && b->softer == SofterEye::Right && std::fabs(b->blurPixels - sigma) <= 0.25;
    within += ok;
    ++total;
    std::printf("    right blurred by %.2f px: BLUR %s %.2f, SHARPNESS %.3f %s\n", sigma,
                b ? softerEyeName(b->softer) : "-", b ? b->blurPixels : NAN, b ? b->ratio : NAN,
                ok ? "ok" : "MISSED");
  }
  std::printf("    within 0.25 px, the right eye named: %d of %d\n", within, total);
}

// A spot of light can be much brighter than what it lies on only where
// that is not near white already: spots are placed on surfaces of at most
// this mean CIELAB lightness.
constexpr double kBrightestSurface = 75;

double lightnessUnder(const cv::Mat& view, const cv::Rect& box) {
  cv::Mat unit, lab;
  view(box).convertTo(unit, CV_32FC3, 1 / 255.0);
  cv::cvtColor(unit, lab, cv::COLOR_BGR2Lab);
  return cv::mean(lab)[0];
}

// Soft-edged spots of light added to one eye, each at least 0.1 % of the
// view, on surfaces of at most kBrightestSurface; their boxes in pixels of
// the view.
std::vector<cv::Rect> addHighlights(cv::Mat& view, std::mt19937& random, int count) {
  std::vector<cv::Rect> boxes;
  const double least = std::sqrt(0.001 * static_cast<double>(view.total()) / CV_PI);
  std::uniform_real_distribution<double> radius(least, 1.8 * least);
  while (static_cast<int>(boxes.size()) < count) {
    const int r = static_cast<int>(std::ceil(radius(random)));
    std::uniform_int_distribution<int> x(r + 60, view.cols - r - 60), y(r + 60, view.rows - r - 60);
    const cv::Rect box(x(random) - r, y(random) - r, 2 * r, 2 * r);
    bool apart = true;
    for (const cv::Rect& other : boxes) apart = apart && (box & other).empty();
    if (!apart || lightnessUnder(view, box) > kBrightestSurface) continue;
    cv::Mat spot(view.size(), CV_32F, cv::Scalar(0));
    cv::circle(spot, (box.tl() + box.br()) / 2, r, cv::Scalar(1), cv::FILLED, cv::LINE_AA);
    cv::GaussianBlur(spot, spot, cv::Size(), 2);
    for (int py = box.y - 6; py < box.br().y + 6; ++py)
      for (int px = box.x - 6; px < box.br().x + 6; ++px) {
        const float w = spot.at<float>(py, px);
        cv::Vec3b& p = view.at<cv::Vec3b>(py, px);
        for (int c = 0; c < 3; ++c) p[c] = cv::saturate_cast<uchar>(p[c] * (1 - w) + 250 * w);
      }
    boxes.push_back(box);
  }
  return boxes;
}

void printHighlights(const cv::Mat& left, const cv::Mat& right) {
  std::mt19937 random(11);
  int placed = 0, found = 0, falseRegions = 0, cleanFalse = 0;
  const int frames = 20;
  for (int frame = 0; frame < frames; ++frame) {
    // A different crop per frame: different content under the spots.
    const int dx = 8 * frame, dy = 5 * frame;
    const cv::Rect crop(dx, dy, left.cols - 160, left.rows - 100);
    const cv::Mat l = left(crop).clone();
    cv::Mat r = right(crop).clone();
    const Measured clean = measure(l, r);
    if (clean.eyes.highlights)
      cleanFalse += static_cast<int>(clean.eyes.highlights->regions.size());
    const bool inLeft = frame % 2 == 1;
    cv::Mat lit = inLeft ? l.clone() : r.clone();
    const std::vector<cv::Rect> boxes = addHighlights(lit, random, 3);
    const Measured m = inLeft ? measure(lit, r) : measure(l, lit);
    if (!m.eyes.highlights) continue;
    const double scale = static_cast<double>(m.depth.map.cols) / l.cols;
    placed += static_cast<int>(boxes.size());
    std::vector<bool> used(m.eyes.highlights->regions.size(), false);
    for (const cv::Rect& box : boxes) {
      // A spot in the left eye is found where it is; one in the right eye
      // where the left view sees what it lies on: moved along the row by the
      // parallax (the aloe pair's is -3 % to -17 % of the width).
      const double mapWidth = m.depth.map.cols;
      const cv::Rect2d at =
          inLeft ? cv::Rect2d(box.x * scale - 4, box.y * scale - 4, box.width * scale + 8,
                              box.height * scale + 8)
                 : cv::Rect2d(box.x * scale - 4, box.y * scale - 4,
                              box.width * scale + 0.2 * mapWidth, box.height * scale + 8);
      bool hit = false;
      for (size_t i = 0; i < used.size(); ++i) {
        const HighlightRegion& region = m.eyes.highlights->regions[i];
        if (region.inLeft != inLeft || (cv::Rect2d(region.box) & at).empty()) continue;
        hit = used[i] = true;
      }
      found += hit;
    }
    falseRegions += static_cast<int>(std::count(used.begin(), used.end(), false));
  }
  std::printf("  one-eye spots of 0.1-0.3 %% of the view on surfaces of L* <= %.0f: "
              "%d of %d found (%.0f %%), %d other regions "
              "in the lit frames; %d regions over %d clean frames\n",
              kBrightestSurface, found, placed, 100.0 * found / std::max(1, placed), falseRegions,
              cleanFalse, frames);
}

void printSpeed(const char* name, const cv::Mat& l, const cv::Mat& r) {
  const int threads = cv::getNumThreads();
  cv::setNumThreads(1);
  measure(l, r);
  double geometry = 0, depth = 0, eyes = 0;
  const int runs = 5;
  for (int i = 0; i < runs; ++i) {
    const Measured m = measure(l, r);
    geometry += m.geometry.milliseconds / runs;
    depth += m.depth.milliseconds / runs;
    eyes += m.eyes.milliseconds / runs;
  }
  cv::setNumThreads(threads);
  std::printf("  %-52s geometry %5.1f ms, depth %5.1f ms, eyes %5.1f ms, whole frame %5.1f ms\n",
              name, geometry, depth, eyes, geometry + depth + eyes);
}

}  // namespace

void printEyesBench() {
  const cv::Mat aloeLeft = cv::imread(kData + "aloeL.jpg");
  const cv::Mat aloeRight = cv::imread(kData + "aloeR.jpg");
  if (aloeLeft.empty() || aloeRight.empty()) {
    std::printf("Eyes: the aloe pair of opencv-doc is not installed\n");
    return;
  }
  const cv::Mat moved = movedSideways(aloeLeft, 3.4);
  std::printf("Eye match, the aloe pair of opencv-doc (%d x %d):\n", aloeLeft.cols, aloeLeft.rows);
  const Measured same = measure(aloeLeft, moved);
  if (same.eyes.figures)
    std::printf("  left view moved 3.4 px as the right: COLOUR %.2f (at most 0.5: %s), "
                "HIGHLIGHTS %zu\n",
                same.eyes.figures->colourMedian,
                same.eyes.figures->colourMedian <= 0.5 ? "ok" : "MISSED",
                same.eyes.highlights ? same.eyes.highlights->regions.size() : 0);
  std::printf("\nGrades applied to the right eye "
              "(slopes 0.9-1.1, offsets +-0.03, powers 0.9-1.1):\n");
  printGrades("the aloe pair", aloeLeft, aloeRight);
  printGrades("the left view moved 3.4 px", aloeLeft, moved);
  std::printf("\nGaussian blur applied to the right eye:\n");
  printBlur("the aloe pair", aloeLeft, aloeRight);
  printBlur("the left view moved 3.4 px", aloeLeft, moved);
  std::printf("\nLight that reaches one eye only (20 crops of the aloe pair, 3 spots each):\n");
  printHighlights(aloeLeft, aloeRight);
  std::printf("\nTime per 1920 x 1080 pair on one core:\n");
  for (const NamedPair& pair : fullHdPairs(aloeLeft, aloeRight))
    printSpeed(pair.name.c_str(), pair.left, pair.right);
}

}  // namespace bench
