#include "AlignmentBench.h"

#include <time.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <opencv2/core/utility.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>
#include <vector>

#include "BenchFootage.h"
#include "HuginAlign.h"
#include "ProgramRun.h"
#include "checkers/Stereolint.h"
#include "checkers/alignment/AlignmentMeasurement.h"

namespace bench {

namespace {

constexpr double kPi = 3.14159265358979323846;
const cv::Size kView(1920, 1080);

struct Case {
  const char* group;
  double rows;     // right view moved down
  double degrees;  // turned anticlockwise
  double scale;    // enlarged
};

const Case kCases[] = {
    {"vertical", 0.25, 0, 1}, {"vertical", -0.5, 0, 1},     {"vertical", 1.3, 0, 1},
    {"vertical", -2.7, 0, 1}, {"rotation", 0, 0.1, 1},      {"rotation", 0, -0.3, 1},
    {"rotation", 0, 1.0, 1},  {"scale", 0, 0, 1.005},       {"scale", 0, 0, 0.99},
    {"scale", 0, 0, 1.02},    {"combined", 2.0, 0.5, 1.01}, {"combined", -1.4, -0.2, 0.995},
};
const char* const kGroups[] = {"vertical", "rotation", "scale", "combined"};
const char* const kTools[] = {"Alignment", "align_image_stack", "Stereolint medians"};
constexpr int kToolCount = 3;

// One tool's reading in the alignment method's conventions.
struct Reading {
  bool ok = false;
  double vertical = 0, rotation = 0, scale = 1;
};

Reading truth(const Case& c) {
  const double t = c.degrees * kPi / 180;
  return {true, -c.rows * std::cos(t) / c.scale, -c.degrees, 1 / c.scale};
}

cv::Mat misalignedView(const cv::Mat& left, const Case& c) {
  const cv::Point2f centre(static_cast<float>(left.cols) / 2, static_cast<float>(left.rows) / 2);
  cv::Mat transform = cv::getRotationMatrix2D(centre, c.degrees, c.scale);
  transform.at<double>(1, 2) += c.rows;
  cv::Mat moved;
  cv::warpAffine(left, moved, transform, left.size(), cv::INTER_LINEAR, cv::BORDER_REFLECT);
  return moved;
}

// `view` after H.264 at CRF 18 (4:2:0), through ffmpeg; empty when that fails.
cv::Mat throughH264(const cv::Mat& view, const std::string& stem) {
  const std::string png = stem + ".png", video = stem + ".mp4";
  cv::imwrite(png, view);
  const std::string command = "ffmpeg -y -loglevel error -i '" + png +
                              "' -c:v libx264 -crf 18 -pix_fmt yuv420p '" + video + "'";
  if (std::system(command.c_str()) != 0) return cv::Mat();
  cv::VideoCapture capture(video, cv::CAP_FFMPEG);
  cv::Mat frame;
  capture.read(frame);
  return frame;
}

double threadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

Reading stepMedians(const cv::Mat& left, const cv::Mat& right) {
  const stereolint::Results results =
      stereolint::Stereolint(kBenchParameters).compute(nullptr, left, right);
  Reading reading;
  int found = 0;
  for (const auto& result : results) {
    for (const auto* value : result->getKeyValues()) {
      if (value->getKey() != "MEDIAN") continue;
      ++found;
      if (result->getName() == "VERTICAL") reading.vertical = value->getValue();
      if (result->getName() == "ROTATION") reading.rotation = value->getValue();
      if (result->getName() == "SCALE") reading.scale = value->getValue();
    }
  }
  reading.ok = found == 3;
  return reading;
}

struct Timing {
  std::vector<double> cpuMs, wallMs, huginCpuMs, huginWallMs;
};

struct Measured {
  Case c;
  Reading tools[kToolCount];
};

// Measures `left` against `right` misaligned as `c` says.
Measured measureCase(const cv::Mat& left, const cv::Mat& right, const Case& c,
                     const std::string& folder, bool encoded, bool hugin, Timing& timing) {
  Measured m{c, {}};
  cv::Mat l = left, r = misalignedView(right, c);
  if (encoded) {
    l = throughH264(l, folder + "/enc-left");
    r = throughH264(r, folder + "/enc-right");
    if (l.empty() || r.empty()) return m;
  }
  const double cpu = threadCpuMs();
  const stereolint::AlignmentMeasurement a = stereolint::measureAlignment(l, r, {});
  timing.cpuMs.push_back(threadCpuMs() - cpu);
  timing.wallMs.push_back(a.milliseconds);
  m.tools[0] = {a.status == stereolint::FrameStatus::Ok, a.vertical, a.rotationDegrees,
                a.scale};
  if (hugin) {
    cv::imwrite(folder + "/left.tif", l);
    cv::imwrite(folder + "/right.tif", r);
    const HuginReading h =
        runHugin(folder + "/left.tif", folder + "/right.tif", folder + "/pair.pto", l.cols);
    m.tools[1] = {h.ok, h.vertical, h.rotationDegrees, h.scale};
    timing.huginCpuMs.push_back(h.cpuMs);
    timing.huginWallMs.push_back(h.wallMs);
  }
  m.tools[2] = stepMedians(l, r);
  return m;
}

void printCase(const Measured& m) {
  const Reading t = truth(m.c);
  std::printf("%-9s %5.2f %5.2f %6.3f |", m.c.group, m.c.rows, m.c.degrees, m.c.scale);
  for (const Reading& r : m.tools) {
    if (!r.ok) {
      std::printf(" %8s %8s %9s |", "-", "-", "-");
      continue;
    }
    std::printf(" %+8.4f %+8.4f %+9.6f |", r.vertical - t.vertical, r.rotation - t.rotation,
                r.scale - t.scale);
  }
  std::printf("\n");
}

struct Mae {
  double rows = 0, degrees = 0, scale = 0;
  int n = 0, failed = 0;
};

Mae meanErrors(const std::vector<Measured>& all, const char* group, int tool) {
  Mae e;
  for (const Measured& m : all) {
    if (group != nullptr && std::string(group) != m.c.group) continue;
    const Reading& r = m.tools[tool];
    if (!r.ok) {
      ++e.failed;
      continue;
    }
    const Reading t = truth(m.c);
    e.rows += std::fabs(r.vertical - t.vertical);
    e.degrees += std::fabs(r.rotation - t.rotation);
    e.scale += std::fabs(r.scale - t.scale);
    ++e.n;
  }
  if (e.n > 0) e.rows /= e.n, e.degrees /= e.n, e.scale /= e.n;
  return e;
}

void printGroups(const std::vector<Measured>& all) {
  std::printf("\nMean absolute error by group (rows, degrees, scale; failed readings apart)\n");
  std::printf("%-9s |", "group");
  for (const char* tool : kTools) std::printf(" %-29s |", tool);
  std::printf("\n");
  std::vector<const char*> groups(std::begin(kGroups), std::end(kGroups));
  groups.push_back(nullptr);
  for (const char* group : groups) {
    std::printf("%-9s |", group == nullptr ? "all" : group);
    for (int tool = 0; tool < kToolCount; ++tool) {
      const Mae e = meanErrors(all, group, tool);
      std::printf(" %7.4f %7.4f %8.6f", e.rows, e.degrees, e.scale);
      std::printf(e.failed > 0 ? " %2dX |" : "     |", e.failed);
    }
    std::printf("\n");
  }
}

double worstCrossTalk(const std::vector<Measured>& all, double degrees, double scale,
                      bool rotation) {
  double worst = 0;
  for (const Measured& m : all) {
    if (m.c.rows != 0 || m.c.degrees != degrees || m.c.scale != scale || !m.tools[0].ok) continue;
    const Reading t = truth(m.c);
    worst = std::max(worst, rotation ? std::fabs(m.tools[0].rotation - t.rotation)
                                     : std::fabs(m.tools[0].vertical - t.vertical));
  }
  return worst;
}

void printTarget(const char* what, double value, const char* unit, double target, bool atMost) {
  const bool met = atMost ? value <= target : value >= target;
  std::printf("  %-46s %10.3g %-6s target %s %-8g %s\n", what, value, unit,
              atMost ? "<=" : ">=", target, met ? "met" : "MISSED");
}

// A real stereo pair has horizontal parallax everywhere: each tool's reading
// of the pair turned, scaled or moved, against its own reading of the
// untouched pair with the known change applied.
void printRealPair(const std::string& folder, bool encoded, bool hugin) {
  const std::string data = "/usr/share/doc/opencv-doc/examples/data/";
  cv::Mat left = cv::imread(data + "aloeL.jpg"), right = cv::imread(data + "aloeR.jpg");
  if (left.empty() || right.empty()) return;
  cv::resize(left, left, kView, 0, 0, cv::INTER_CUBIC);
  cv::resize(right, right, kView, 0, 0, cv::INTER_CUBIC);
  std::printf(
      "\nReal stereo pair (aloeL/aloeR, parallax up to 7 %% of the width), errors against "
      "each tool's own\nreading of the untouched pair with the change applied\n");
  Timing timing;
  const Measured base = measureCase(left, right, {"real", 0, 0, 1}, folder, encoded, hugin, timing);
  const Case cases[] = {{"real", 1.3, 0, 1},
                        {"real", 0, 1.0, 1},
                        {"real", 0, -0.3, 1},
                        {"real", 0, 0, 1.01},
                        {"real", 2.0, 0.5, 1.01}};
  for (const Case& c : cases) {
    Measured m = measureCase(left, right, c, folder, encoded, hugin, timing);
    std::printf("%-9s %5.2f %5.2f %6.3f |", c.group, c.rows, c.degrees, c.scale);
    const double t = c.degrees * kPi / 180;
    for (int tool = 0; tool < kToolCount; ++tool) {
      const Reading& b = base.tools[tool];
      const Reading& r = m.tools[tool];
      if (!b.ok || !r.ok) {
        std::printf(" %8s %8s %9s |", "-", "-", "-");
        continue;
      }
      const double vertical = (b.vertical - c.rows) * std::cos(t) / c.scale;
      std::printf(" %+8.4f %+8.4f %+9.6f |", r.vertical - vertical,
                  r.rotation - (b.rotation - c.degrees), r.scale - b.scale / c.scale);
    }
    std::printf("\n");
  }
}

void printTargets(const std::vector<Measured>& all, const Timing& timing) {
  std::printf("\nTargets (Alignment)\n");
  printTarget("pure vertical shifts, MAE", meanErrors(all, "vertical", 0).rows, "rows", 0.03, true);
  const Mae everything = meanErrors(all, nullptr, 0);
  printTarget("rotation, MAE over all cases", everything.degrees, "deg", 0.01, true);
  printTarget("scale, MAE over all cases", everything.scale, "", 0.0002, true);
  printTarget("2 % scale: worst |ROTATION|", worstCrossTalk(all, 0, 1.02, true), "deg", 0.01, true);
  printTarget("2 % scale: worst |VERTICAL|", worstCrossTalk(all, 0, 1.02, false), "rows", 0.05,
              true);
  printTarget("1 degree turn: worst |VERTICAL|", worstCrossTalk(all, 1.0, 1, false), "rows", 0.05,
              true);
  const double cpu = median(timing.cpuMs);
  printTarget("time per 1080p pair, one core (median CPU)", cpu, "ms", 40, true);
  std::printf("  %-46s %10.1f ms\n", "time per pair, wall clock (median)", median(timing.wallMs));
  if (!timing.huginCpuMs.empty()) {
    std::printf("  %-46s %10.1f ms (wall %.1f ms)\n", "align_image_stack per pair, CPU (median)",
                median(timing.huginCpuMs), median(timing.huginWallMs));
    printTarget("align_image_stack CPU time / Alignment CPU time", median(timing.huginCpuMs) / cpu,
                "x", 10, false);
  }
}

}  // namespace

void printAlignmentComparison(const std::string& folder, bool encoded) {
  std::string source;
  const cv::Mat canvas = photoCanvas(cv::Size(4600, 2800), source);
  const bool hugin = huginAvailable();
  std::printf(
      "Alignment: %s, 1920 x 1080 windows at 3 places, right views moved down ROWS,\n"
      "turned DEG anticlockwise, enlarged SCALE%s; one core (cv::setNumThreads(1)).\n"
      "Errors against the known misalignment: VERTICAL rows, ROTATION degrees, SCALE.\n",
      source.c_str(), encoded ? ", both views through H.264 CRF 18" : "");
  if (!hugin)
    std::printf("align_image_stack is missing (Debian's hugin-tools): its columns stay empty\n");
  const int threads = cv::getNumThreads();
  cv::setNumThreads(1);
  std::printf("\n%-9s %5s %5s %6s |", "group", "ROWS", "DEG", "SCALE");
  for (const char* tool : kTools) std::printf(" %-27s |", tool);
  std::printf("\n");
  Timing timing;
  std::vector<Measured> all;
  const cv::Point places[] = {{0, 0}, {1400, 900}, {2600, 1700}};
  for (const cv::Point& place : places) {
    const cv::Mat left = canvas(cv::Rect(place, kView)).clone();
    stereolint::measureAlignment(left, left, {});  // warms the library up
    for (const Case& c : kCases) {
      all.push_back(measureCase(left, left, c, folder, encoded, hugin, timing));
      printCase(all.back());
    }
  }
  printGroups(all);
  printTargets(all, timing);
  printRealPair(folder, encoded, hugin);
  cv::setNumThreads(threads);
}

}  // namespace bench
