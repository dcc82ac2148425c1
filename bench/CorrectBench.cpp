#include "CorrectBench.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "CorrectSpeed.h"
#include "corrections/ShotCorrection.h"
#include "CorrectionTakes.h"
#include "InnerRectangle.h"
#include "ProgramRun.h"

namespace bench {

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

constexpr int kThreads = 2;
constexpr double kCropMargin = 2;  // pixels the corrections keep clear of the warped edges

struct BenchShot {
  ShotSource source;
  const char* words;
};

// Five shots of 8 frames, sources alternating so that every change of
// shot is a cut.
std::vector<BenchShot> residualShots() {
  std::vector<BenchShot> shots(5);
  shots[0] = {{"vtest.avi", 20, 8, {}}, "right eye down 5 rows"};
  shots[0].source.misalign.rows = 5;
  shots[1] = {{"Megamind.avi", 10, 8, {}}, "right eye turned 0.4 deg anticlockwise, up 2 rows"};
  shots[1].source.misalign.degrees = 0.4;
  shots[1].source.misalign.rows = -2;
  shots[2] = {{"vtest.avi", 300, 8, {}},
              "right eye keystone: 4 rows up at the bottom-right corner"};
  shots[2].source.misalign.keystone = 4;
  shots[3] = {{"Megamind.avi", 110, 8, {}}, "right eye 0.8 % larger, down 2 rows"};
  shots[3].source.misalign.scale = 1.008;
  shots[3].source.misalign.rows = 2;
  shots[4] = {{"vtest.avi", 500, 8, {}},
              "right eye graded (blue x1.02, green x1.05, red x1.08), 4 columns right"};
  shots[4].source.misalign.columns = 4;
  shots[4].source.misalign.gain = cv::Scalar(1.02, 1.05, 1.08);
  return shots;
}

std::optional<Json> readJson(const std::string& path) {
  std::ifstream file(path);
  if (!file) return std::nullopt;
  Json document = Json::parse(file, nullptr, false);
  if (document.is_discarded()) return std::nullopt;
  return document;
}

// Numbers-only quality control of a side-by-side take with the alignment
// method, as a user runs it before and after correcting.
ProgramRun judge(const std::string& take, const std::string& prefix, bool corrections) {
  std::vector<std::string> arguments = {
      "-m", "CONSOLE", "-i",   take,      "-o",         "VERTICALLY", "-d", "Alignment",
      "-t", "2",       "--qc", "--quiet", "--pictures", "none",       "-r", prefix};
  if (corrections) arguments.push_back("--corrections");
  return runProgram(arguments, prefix);
}

// The shot of a report or corrections.json that holds `frame` (from 1).
const Json* shotHolding(const std::optional<Json>& document, int frame) {
  if (!document || !document->contains("shots")) return nullptr;
  for (const Json& shot : (*document)["shots"])
    if (shot.value("first_frame", 0) <= frame && frame <= shot.value("last_frame", 0)) return &shot;
  return nullptr;
}

std::optional<double> medianOf(const Json* shot, const char* measure) {
  if (shot == nullptr) return std::nullopt;
  const Json::json_pointer at("/measures/" + std::string(measure) + "/median");
  if (!shot->contains(at) || !(*shot)[at].is_number()) return std::nullopt;
  return (*shot)[at].get<double>();
}

std::string text(const Json* shot, const char* key) {
  return shot != nullptr && shot->contains(key) && (*shot)[key].is_string()
             ? (*shot)[key].get<std::string>()
             : "-";
}

// One measure's row: what was put in, the medians before and after, and
// the target on the residual: |after - centre| <= limit.
struct Residual {
  const char* measure;
  std::optional<double> putIn;
  double centre;
  double limit;
  const char* format;  // printf format of one figure
  const char* target;
};

std::string figure(const char* format, std::optional<double> value) {
  if (!value) return "-";
  char printed[32];
  std::snprintf(printed, sizeof printed, format, *value);
  return printed;
}

// Prints the row; true when the target is met.
bool printResidual(const Residual& r, const Json* before, const Json* after) {
  const std::optional<double> was = medianOf(before, r.measure);
  const std::optional<double> is = medianOf(after, r.measure);
  const bool met = is && std::fabs(*is - r.centre) <= r.limit;
  std::printf("    %-10s %10s %10s %10s   %-26s %s\n", r.measure, figure(r.format, r.putIn).c_str(),
              figure(r.format, was).c_str(), figure(r.format, is).c_str(), r.target,
              met ? "ok" : is ? "NOT MET" : "no figure");
  return met;
}

// The rows of one shot; counts the figures and those that meet their target.
void printShotResiduals(const BenchShot& shot, bool graded, const Json* before, const Json* after,
                        const Json* correction, int& figures, int& met) {
  const ExpectedMeasures put = expectedMeasures(shot.source.misalign);
  std::vector<Residual> rows = {
      {"VERTICAL", put.vertical, 0, 0.05, "%+.3f", "|after| <= 0.05 rows"},
      {"ROTATION", put.rotation, 0, 0.01, "%+.4f", "|after| <= 0.01 deg"},
      {"SCALE", put.scale, 1, 0.0002, "%.5f", "|after - 1| <= 0.0002"},
      {"KEYSTONE", put.keystone, 0, 0.05, "%+.3f", "|after| <= 0.05 rows"}};
  if (graded) rows.push_back({"COLOUR", std::nullopt, 0, 0.7, "%.2f", "after <= 0.7 dE2000"});
  for (const Residual& row : rows) {
    ++figures;
    if (printResidual(row, before, after)) {
      ++met;
    } else if (std::string(row.measure) == "KEYSTONE" && medianOf(after, row.measure) &&
               correction != nullptr && !correction->value("keystone", false)) {
      std::printf("    %-10s (not corrected: the shot's keystone read below %.2f rows)\n", "",
                  stereolint::corrections::kKeystoneToCorrect);
    }
  }
  if (graded)
    std::printf("    %-10s %10s %10s %10s   %s\n", "LUMINANCE", "-",
                figure("%+.3f", medianOf(before, "LUMINANCE")).c_str(),
                figure("%+.3f", medianOf(after, "LUMINANCE")).c_str(),
                "(stops, shown without a target)");
}

void printResiduals(const std::vector<BenchShot>& shots, const std::optional<Json>& before,
                    const std::optional<Json>& corrections, const std::optional<Json>& after) {
  int figures = 0, met = 0, first = 1;
  for (size_t i = 0; i < shots.size(); ++i) {
    const BenchShot& shot = shots[i];
    const int middle = first + shot.source.frames / 2;
    const Json* judged = shotHolding(before, middle);
    const Json* rejudged = shotHolding(after, middle);
    std::printf("  Shot %zu (frames %d-%d, %s from frame %d): %s\n", i + 1, first,
                first + shot.source.frames - 1, shot.source.video.c_str(), shot.source.first,
                shot.words);
    const Json* correction = shotHolding(corrections, middle);
    std::printf("    before: %s, correction: %s\n    after:  %s\n", text(judged, "verdict").c_str(),
                text(correction, "correction").c_str(), text(rejudged, "verdict").c_str());
    std::printf("    %-10s %10s %10s %10s   %-26s\n", "measure", "put in", "before", "after",
                "target");
    printShotResiduals(shot, shot.source.misalign.gain != cv::Scalar(1, 1, 1), judged, rejudged,
                       correction, figures, met);
    first += shot.source.frames;
  }
  std::printf("  %d of %d figures meet their targets\n\n", met, figures);
}

void printRenderFailure(const Render& render) {
  std::printf("  rendering failed (exit status %d): %s\n  command: %s\n", render.run.status,
              render.error.empty() ? "no message" : render.error.c_str(), render.command.c_str());
}

// The residuals, in `folder`: the take, its judging before (before/) and after
// (after/), the corrected take.
void printResidualPart(const fs::path& folder, const Renderer& renderer) {
  fs::create_directories(folder);
  const std::vector<BenchShot> shots = residualShots();
  std::vector<ShotSource> sources;
  for (const BenchShot& shot : shots) sources.push_back(shot.source);
  const cv::Size view(960, 540);
  std::printf(
      "Residuals after correction: %zu shots of 8 frames from opencv-doc's videos, "
      "%d x %d views side by side (FFV1),\n-d Alignment --qc --corrections, rendered by "
      "%s, judged again (medians of the shots)\n",
      shots.size(), view.width, view.height, rendererName(renderer).c_str());
  const std::string take = (folder / "take.mkv").string();
  if (!writeMisalignedTake(take, sources, view)) {
    std::printf("  cannot make the take: opencv-doc's videos or the FFV1 encoder are missing\n\n");
    return;
  }
  const std::string before = (folder / "before").string() + "/";
  const ProgramRun judged = judge(take, before, true);
  if (judged.status != 0) std::printf("  the first judging exited with %d\n", judged.status);
  const std::string corrected = (folder / "corrected.mkv").string();
  const Render render = renderCorrections(renderer, take, before, corrected, kThreads);
  if (render.run.status != 0) printRenderFailure(render);
  const std::string after = (folder / "after").string() + "/";
  if (render.run.status == 0) judge(render.output, after, false);
  printResiduals(shots, readJson(before + "report.json"), readJson(before + "corrections.json"),
                 readJson(after + "report.json"));
}

WarpedEye eyeOf(const Json& eye) {
  WarpedEye warped;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) warped.homography(r, c) = eye["homography"][r][c].get<double>();
  warped.shift = eye["shift"].get<double>();
  return warped;
}

// How close one shot's crop comes to the largest rectangle 2 pixels clear
// of the eyes' edges. The crop lying there, the true largest is at least
// the crop and at most the grid's answer plus its shortfall: the crop is
// short of it by at most `shortWidth` and `shortHeight`.
struct CropReading {
  Rectangle crop, raw, clear;
  bool inside = false, clearOfEdges = false;
  double shortWidth = 0, shortHeight = 0;
  bool met() const { return clearOfEdges && shortWidth <= 1 && shortHeight <= 1; }
};

CropReading readCrop(const Json& shot) {
  const cv::Size view(shot["width"].get<int>(), shot["height"].get<int>());
  const std::vector<WarpedEye> eyes = {eyeOf(shot["left"]), eyeOf(shot["right"])};
  const Json& c = shot["crop"];
  CropReading r;
  r.crop = {c["x"].get<double>(), c["y"].get<double>(), c["width"].get<double>(),
            c["height"].get<double>()};
  r.raw = largestInnerRectangle(eyes, view, 0);
  r.clear = largestInnerRectangle(eyes, view, kCropMargin);
  r.inside = liesInside(r.crop, eyes, view, 0);
  r.clearOfEdges = liesInside(r.crop, eyes, view, kCropMargin);
  const double stepHeight = static_cast<double>(kGridShortfall) / kGridSteps;
  r.shortHeight = std::max(0.0, r.clear.height + stepHeight - r.crop.height);
  r.shortWidth =
      std::max(0.0, r.clear.width + stepHeight * view.width / view.height - r.crop.width);
  return r;
}

// The crop of every corrected shot of a corrections.json.
void printCropChecks(const char* label, const std::string& path) {
  const std::optional<Json> corrections = readJson(path);
  if (!corrections) {
    std::printf("  %s: no corrections.json\n", label);
    return;
  }
  for (const Json& shot : (*corrections)["shots"]) {
    if (!shot.value("corrected", false)) continue;
    const CropReading r = readCrop(shot);
    std::printf(
        "  %-10s %4d  %7.2f x %7.2f %5.2f  %7.2f x %7.2f %+6.2f  %7.2f x %7.2f %+5.2f "
        "%+5.2f  %4.2f %4.2f  %-3s %-3s  %s\n",
        label, shot["shot"].get<int>(), r.crop.width, r.crop.height,
        shot["crop"]["percent"].get<double>(), r.raw.width, r.raw.height,
        r.crop.width - r.raw.width, r.clear.width, r.clear.height, r.crop.width - r.clear.width,
        r.crop.height - r.clear.height, r.shortWidth, r.shortHeight, r.inside ? "yes" : "NO",
        r.clearOfEdges ? "yes" : "NO", r.met() ? "ok" : "NOT MET");
  }
}

void printCropHeader() {
  std::printf(
      "Crop of every corrected shot against the largest rectangle of the view's shape "
      "inside both warped\nand shifted eyes, found by brute force on a 1/%d-pixel grid "
      "(never over, at most %.2f pixel short in height)\n",
      kGridSteps, static_cast<double>(kGridShortfall) / kGridSteps);
  std::printf("  %-10s %4s  %-24s  %-25s  %-29s  %-9s  %-7s  %s\n", "views", "shot",
              "crop w x h, % removed", "largest inside, dw", "largest 2 px clear, dw dh",
              "short <=", "in 2px", "target");
}

void printCropFooter() {
  std::printf(
      "  (dw, dh: the crop's width and height minus the rectangle's. \"in\": the crop lies "
      "inside both eyes;\n  \"2px\": 2 pixels clear of their edges, as the corrections keep "
      "it by design. \"short <=\": then the\n  largest rectangle 2 pixels clear is at least "
      "the crop and at most the grid's answer plus its\n  shortfall, so the crop is short of it "
      "by at most this, in width and height. Target: within\n  1 pixel of the largest rectangle "
      "2 pixels clear of the eyes' edges (the margin-adjusted reading;\n  the raw rectangle "
      "is shown beside it).)\n\n");
}

}  // namespace

void printCorrectBench(const fs::path& folder, const Renderer& renderer) {
  std::printf(
      "program: %s\nrenderer: %s\n\n", program().c_str(),
      renderer.script ? "the correct.sh each run writes (ffmpeg)" : renderer.binary.c_str());
  const fs::path residuals = folder / "residuals";
  printResidualPart(residuals, renderer);
  // The crop check takes the speed take's shot too: views of another shape.
  const SpeedTake speed = makeSpeedTake(folder / "speed");
  printCropHeader();
  printCropChecks("960 x 540", (residuals / "before" / "corrections.json").string());
  printCropChecks("960 x 1080", speed.prefix + "corrections.json");
  printCropFooter();
  printRenderSpeed(speed, renderer);
}

}  // namespace bench
