#include "DepthBench.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <opencv2/calib3d.hpp>
#include <opencv2/core/utility.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <string>
#include <vector>

#include "BenchFootage.h"
#include "checkers/alignment/AlignmentDepth.h"
#include "checkers/alignment/AlignmentMeasurement.h"

namespace bench {

namespace {

using namespace stereolint;

const std::string kData = "/usr/share/doc/opencv-doc/examples/data/";
// Where scripts/install-dependencies --demo puts a second real stereo pair.
const std::string kStereoPairs = "/usr/local/share/stereolint/stereo-pairs/";

struct Measured {
  AlignmentMeasurement geometry;
  DepthMeasurement depth;
};

Measured measure(const cv::Mat& left, const cv::Mat& right) {
  const AlignmentOptions options;
  Measured m{measureAlignment(left, right, options), {}};
  m.depth = measureDepth(left, right, m.geometry, options);
  return m;
}

// Share of the true pixels (non-zero in `truth`) with a parallax, and share
// of those more than 2 pixels off; `map` holds xR - xL at `scale` of the
// truth's size, the truth xL - xR in full pixels.
void printAccuracy(const char* name, const cv::Mat& map, double scale, const cv::Mat& truth) {
  cv::Mat full;
  cv::resize(map, full, truth.size(), 0, 0, cv::INTER_NEAREST);
  int known = 0, valid = 0, wrong = 0;
  for (int y = 0; y < truth.rows; ++y)
    for (int x = 0; x < truth.cols; ++x) {
      const int d = truth.at<uchar>(y, x);
      if (d == 0) continue;
      ++known;
      const float p = full.at<float>(y, x);
      if (std::isnan(p)) continue;
      ++valid;
      if (std::fabs(-p / scale - d) > 2) ++wrong;
    }
  std::printf("  %-44s %5.1f %% valid, %4.1f %% of them off by > 2 px\n", name,
              100.0 * valid / std::max(1, known), 100.0 * wrong / std::max(1, valid));
}

// The image library's semi-global matching at half size with its sample's
// settings, as the reference.
cv::Mat plainHalfSize(const cv::Mat& left, const cv::Mat& right) {
  cv::Mat l, r;
  cv::resize(left, l, cv::Size(), 0.5, 0.5, cv::INTER_AREA);
  cv::resize(right, r, cv::Size(), 0.5, 0.5, cv::INTER_AREA);
  cv::cvtColor(l, l, cv::COLOR_BGR2GRAY);
  cv::cvtColor(r, r, cv::COLOR_BGR2GRAY);
  const int block = 3;
  const auto sgbm = cv::StereoSGBM::create(0, 128, block, 8 * block * block, 32 * block * block, 1,
                                          63, 10, 100, 32, cv::StereoSGBM::MODE_SGBM);
  cv::Mat fixed, map(l.size(), CV_32F);
  sgbm->compute(l, r, fixed);
  for (int y = 0; y < l.rows; ++y)
    for (int x = 0; x < l.cols; ++x) {
      const short d = fixed.at<short>(y, x);
      map.at<float>(y, x) = d < 0 ? NAN : -d / 16.0f;
    }
  return map;
}

void printAloeAccuracy(const cv::Mat& left, const cv::Mat& right) {
  const cv::Mat truth = cv::imread(kData + "aloeGT.png", cv::IMREAD_GRAYSCALE);
  std::printf("Dense parallax against the aloe pair's true disparity (%d x %d):\n", truth.cols,
              truth.rows);
  const Measured m = measure(left, right);
  printAccuracy("Alignment DEPTH (matched 640 px wide)", m.depth.map,
                static_cast<double>(m.depth.map.cols) / left.cols, truth);
  printAccuracy("StereoSGBM at half size, its sample's settings", plainHalfSize(left, right), 0.5,
                truth);
}

// The views moved against each other by `shift` pixels: positive moves the
// content behind the screen.
std::pair<cv::Mat, cv::Mat> moved(const cv::Mat& left, const cv::Mat& right, int shift) {
  const int w = left.cols - std::abs(shift);
  if (shift >= 0) return {left.colRange(shift, left.cols).clone(), right.colRange(0, w).clone()};
  return {left.colRange(0, w).clone(), right.colRange(-shift, right.cols).clone()};
}

// The floating window applied: the left view's left edge and the right
// view's right edge black over `width` pixels.
std::pair<cv::Mat, cv::Mat> masked(std::pair<cv::Mat, cv::Mat> views, int width) {
  views.first.colRange(0, width).setTo(cv::Scalar::all(0));
  views.second.colRange(views.second.cols - width, views.second.cols).setTo(cv::Scalar::all(0));
  return views;
}

void printWindowCase(const char* name, const std::pair<cv::Mat, cv::Mat>& views) {
  const Measured m = measure(views.first, views.second);
  if (!m.depth.figures) {
    std::printf("  %-34s %s\n", name, statusText(m.depth.status, m.depth.reason).c_str());
    return;
  }
  const DepthFigures& f = *m.depth.figures;
  std::printf("  %-34s NEAR %6.2f %%  WINDOW LEFT %5.1f %%  RIGHT %5.1f %%  FLOATING WINDOW %4d px\n",
              name, f.nearPercent, f.windowLeftPercent, f.windowRightPercent,
              f.floatingWindowPixels);
}

void printWindows(const std::vector<std::pair<std::string, std::pair<cv::Mat, cv::Mat>>>& pairs) {
  std::printf("\nWindow violations (content moved in front of the screen, then behind it, then "
              "the floating window applied):\n");
  for (const auto& [name, views] : pairs) {
    const int width = views.first.cols;
    const auto front = moved(views.first, views.second, -width / 20);
    const auto behind = moved(views.first, views.second, width / 5);
    printWindowCase((name + " in front").c_str(), front);
    printWindowCase((name + " behind").c_str(), behind);
    const Measured m = measure(front.first, front.second);
    if (m.depth.figures && m.depth.figures->floatingWindowPixels > 0)
      printWindowCase((name + " in front, masked").c_str(),
                      masked(front, m.depth.figures->floatingWindowPixels));
  }
}

void printEyeOrder(const char* title,
                   const std::vector<std::pair<std::string, std::pair<cv::Mat, cv::Mat>>>& pairs) {
  std::printf("\nEye order, %s (sure: OK or SWAPPED; score from -1 swapped to 1 as shot):\n",
              title);
  int sure = 0, right = 0, total = 0, wrongOnCorrect = 0;
  for (const auto& [name, views] : pairs)
    for (bool swapped : {false, true}) {
      const Measured m = swapped ? measure(views.second, views.first)
                                 : measure(views.first, views.second);
      const EyeOrder order = m.depth.eyeOrder;
      ++total;
      if (order != EyeOrder::Unsure) {
        ++sure;
        if ((order == EyeOrder::Swapped) == swapped) ++right;
        if (!swapped && order == EyeOrder::Swapped) ++wrongOnCorrect;
      }
      std::printf("  %-22s %-8s %-8s score %+5.2f over %4d bands (geometry %s)\n", name.c_str(),
                  swapped ? "swapped" : "as shot", eyeOrderName(order),
                  eyeOrderScore(m.depth.evidence), m.depth.evidence.farther + m.depth.evidence.nearer,
                  statusText(m.geometry.status, m.geometry.reason).c_str());
    }
  const cv::Mat flat = pairs.front().second.first;
  const Measured same = measure(flat, flat);
  std::printf("  sure on %d of %d (%.0f %%), right on %d of %d sure; SWAPPED on a pair as shot: %d; "
              "a 2D pair (one view twice): %s\n",
              sure, total, 100.0 * sure / total, right, sure, wrongOnCorrect,
              eyeOrderName(same.depth.eyeOrder));
}

// A real pair framed as other shots would frame it: whole, cropped to a
// part of the scene, and smaller or larger, so that its depth edges fall at
// other places and sizes.
std::vector<std::pair<std::string, std::pair<cv::Mat, cv::Mat>>> framings(
    const std::string& name, const cv::Mat& left, const cv::Mat& right) {
  std::vector<std::pair<std::string, std::pair<cv::Mat, cv::Mat>>> framed = {
      {name, {left, right}}};
  const int w = left.cols, h = left.rows;
  const int cw = w * 7 / 10, ch = h * 7 / 10;
  const std::pair<const char*, cv::Rect> crops[] = {
      {" left part", {0, 0, cw, h}},  {" right part", {w - cw, 0, cw, h}},
      {" upper part", {0, 0, w, ch}}, {" lower part", {0, h - ch, w, ch}},
      {" middle", {w / 6, h / 6, w * 2 / 3, h * 2 / 3}}};
  for (const auto& [part, rect] : crops)
    framed.push_back({name + part, {left(rect).clone(), right(rect).clone()}});
  for (const double scale : {0.6, 1.5}) {
    const int interpolation = scale < 1 ? cv::INTER_AREA : cv::INTER_CUBIC;
    cv::Mat l, r;
    cv::resize(left, l, cv::Size(), scale, scale, interpolation);
    cv::resize(right, r, cv::Size(), scale, scale, interpolation);
    framed.push_back({name + (scale < 1 ? " smaller" : " larger"), {l, r}});
  }
  return framed;
}

void printSpeed(const char* name, const cv::Mat& l, const cv::Mat& r) {
  const int threads = cv::getNumThreads();
  cv::setNumThreads(1);
  measure(l, r);
  double geometry = 0, depth = 0;
  const int runs = 5;
  for (int i = 0; i < runs; ++i) {
    const Measured m = measure(l, r);
    geometry += m.geometry.milliseconds / runs;
    depth += m.depth.milliseconds / runs;
  }
  cv::setNumThreads(threads);
  std::printf("  %-52s geometry %5.1f ms, depth %5.1f ms, whole frame %5.1f ms\n", name, geometry,
              depth, geometry + depth);
}

}  // namespace

void printDepthBench() {
  const cv::Mat aloeLeft = cv::imread(kData + "aloeL.jpg");
  const cv::Mat aloeRight = cv::imread(kData + "aloeR.jpg");
  if (aloeLeft.empty() || aloeRight.empty()) {
    std::printf("Depth: the aloe pair of opencv-doc is not installed\n");
    return;
  }
  printAloeAccuracy(aloeLeft, aloeRight);
  std::vector<std::pair<std::string, std::pair<cv::Mat, cv::Mat>>> pairs = {
      {"aloe", {aloeLeft, aloeRight}}};
  for (const char* n : {"01", "02", "03", "04", "05", "06", "07", "08", "09", "11", "12", "13", "14"}) {
    const cv::Mat l = cv::imread(kData + "left" + n + ".jpg");
    const cv::Mat r = cv::imread(kData + "right" + n + ".jpg");
    if (!l.empty() && !r.empty()) pairs.push_back({std::string("chessboard ") + n, {l, r}});
  }
  printWindows({pairs.front()});
  printEyeOrder("the aloe pair and the calibration chessboards", pairs);
  auto framed = framings("aloe", aloeLeft, aloeRight);
  framed.erase(framed.begin());  // counted above
  const cv::Mat motorcycleLeft = cv::imread(kStereoPairs + "motorcycle_left.png");
  const cv::Mat motorcycleRight = cv::imread(kStereoPairs + "motorcycle_right.png");
  if (!motorcycleLeft.empty() && !motorcycleRight.empty()) {
    const auto more = framings("motorcycle", motorcycleLeft, motorcycleRight);
    framed.insert(framed.end(), more.begin(), more.end());
  } else {
    std::printf("\n(the motorcycle pair is not in %s: scripts/install-dependencies --demo)\n",
                kStereoPairs.c_str());
  }
  printEyeOrder("real pairs framed as other shots would frame them", framed);
  std::printf("\nTime per 1920 x 1080 pair on one core:\n");
  for (const NamedPair& pair : fullHdPairs(aloeLeft, aloeRight))
    printSpeed(pair.name.c_str(), pair.left, pair.right);
}

}  // namespace bench
