#include "report/HtmlDepth.h"

#include <algorithm>
#include <optional>
#include <sstream>
#include <string>
#include <utility>

#include "qc/FrameAssessment.h"
#include "report/HtmlText.h"
#include "report/SvgHistogram.h"

namespace stereolint::report {

namespace {

const qc::Shot* shotOf(const std::vector<qc::Shot>& shots, int frame) {
  for (const qc::Shot& shot : shots)
    if (frame >= shot.firstFrame && frame <= shot.lastFrame) return &shot;
  return nullptr;
}

// "NEAR -1.20 · MEDIAN -0.40 · FAR 0.80 % of width", the values the frame has.
std::string budgetLine(const qc::FrameRecord& record) {
  std::string line;
  for (Measure measure : {Measure::NearParallax, Measure::MedianParallax, Measure::FarParallax})
    if (const auto& value = record.values[measureIndex(measure)]) {
      std::string name = measureName(measure);
      name = name.substr(0, name.find(' '));
      line += (line.empty() ? "" : " · ") + name + " " + signedNumber(*value, 2);
    }
  return line.empty() ? "" : line + " % of width";
}

std::string histogramsSection(const ReportContent& content, const std::vector<qc::Shot>& shots,
                              const qc::Timecode& timecode) {
  const qc::LimitPair& budget = content.limits.of(Measure::NearParallax);
  std::string figures;
  for (const qc::Shot& shot : shots) {
    const qc::FrameRecord* record = shotDepthFrame(content.frames, shot);
    if (record == nullptr) continue;
    const std::string frame = std::to_string(record->frame);
    std::ostringstream svg;
    writeSvgHistogram(svg, {"Parallax of frame " + frame + ", the worst of shot " +
                                std::to_string(shot.number),
                            record->depth->histogram, budget.first.amount, budget.second.amount});
    figures += "<figure data-shot=\"" + std::to_string(shot.number) + "\">" + svg.str() +
               "<figcaption>" + verdictBadge(shot.verdict) + " <b>Shot " +
               std::to_string(shot.number) + "</b> <span class=\"what\">worst frame " + frame;
    if (auto code = timecode.of(record->frame)) figures += " · " + *code;
    figures += "<br>" + escapeHtml(budgetLine(*record)) + "</span></figcaption></figure>";
  }
  std::string html =
      "<h2>Depth of each shot</h2><p class=\"muted\">The parallax of each shot's worst frame: "
      "the share of its pixels at each parallax, in % of the view width. The screen plane is at "
      "0, the depth budget's near and far limits are dashed, bars outside the budget are red.</p>";
  if (figures.empty())
    return html + "<p class=\"muted\">No shot's worst frame has a dense parallax map.</p>";
  return html +
         "<div class=\"frames\" style=\"grid-template-columns:repeat(auto-fill, minmax(320px, "
         "1fr))\">" +
         figures + "</div>";
}

// Analysed frames of one shot, one after another, that cut content in front
// of the screen at an edge: the most of each edge any of them cuts, the
// range of their floating windows and the worst of their verdicts.
struct ViolationRun {
  const qc::Shot* shot = nullptr;
  int first = 0, last = 0, frames = 0;
  double left = 0, right = 0;
  int leastWindow = 0, mostWindow = 0;
  std::optional<qc::Verdict> verdict;
  int widest = 0;  // the frame of the widest floating window
};

std::vector<ViolationRun> violationRuns(const ReportContent& content,
                                        const std::vector<qc::Shot>& shots) {
  std::vector<ViolationRun> runs;
  bool open = false;
  for (const qc::FrameRecord& record : content.frames) {
    if (!record.depth || !record.depth->violatesWindow()) {
      open = false;
      continue;
    }
    const DepthDetail& depth = *record.depth;
    const qc::Shot* shot = shotOf(shots, record.frame);
    if (!open || runs.back().shot != shot) {
      runs.push_back({shot, record.frame, record.frame, 0, 0, 0, depth.floatingWindowPixels,
                      depth.floatingWindowPixels, std::nullopt, record.frame});
      open = true;
    }
    ViolationRun& run = runs.back();
    run.last = record.frame;
    ++run.frames;
    run.left = std::max(run.left, depth.windowLeftPercent);
    run.right = std::max(run.right, depth.windowRightPercent);
    run.leastWindow = std::min(run.leastWindow, depth.floatingWindowPixels);
    if (depth.floatingWindowPixels > run.mostWindow) run.widest = record.frame;
    run.mostWindow = std::max(run.mostWindow, depth.floatingWindowPixels);
    const std::optional<qc::Verdict> verdict =
        qc::assessFrame(record, content.limits).byLimit[measureIndex(Measure::Window)];
    if (verdict && (!run.verdict || *verdict > *run.verdict)) run.verdict = verdict;
  }
  return runs;
}

// The WINDOW picture of a run and its frame: its shot's worst frame's when
// that lies in the run (the frame whose pictures a flagged run keeps), else
// its widest frame's; no picture ("") when neither was written.
std::pair<int, std::string> runPicture(const ViolationRun& run,
                                       const FramePicture& windowPicture) {
  if (!windowPicture) return {run.widest, ""};
  const int worst = run.shot ? run.shot->worstFrame.value_or(-1) : -1;
  if (worst >= run.first && worst <= run.last && worst != run.widest) {
    std::string picture = windowPicture(worst);
    if (!picture.empty()) return {worst, std::move(picture)};
  }
  return {run.widest, windowPicture(run.widest)};
}

// One row per edge the run cuts; its other cells span those rows.
std::string violationRows(const ViolationRun& run, const std::string& picture,
                          const std::string& pictureFrame) {
  std::vector<std::pair<const char*, double>> edges;
  if (run.left > 0) edges.emplace_back("left", run.left);
  if (run.right > 0) edges.emplace_back("right", run.right);
  const std::string span = " rowspan=\"" + std::to_string(edges.size()) + "\"";
  const std::string frames = run.frames == 1 ? std::to_string(run.first)
                                             : std::to_string(run.first) + "–" +
                                                   std::to_string(run.last) + " (" +
                                                   std::to_string(run.frames) + ")";
  const std::string window =
      run.leastWindow == run.mostWindow
          ? std::to_string(run.mostWindow)
          : std::to_string(run.leastWindow) + "–" + std::to_string(run.mostWindow);
  std::string rows;
  for (size_t i = 0; i < edges.size(); ++i) {
    rows += "<tr>";
    if (i == 0)
      rows += "<td class=\"num\"" + span + ">" +
              (run.shot ? std::to_string(run.shot->number) : "–") + "</td><td class=\"num\"" +
              span + ">" + frames + "</td><td" + span + ">" +
              (run.verdict ? verdictBadge(*run.verdict) : std::string("–")) + "</td>";
    rows += "<td>" + std::string(edges[i].first) + "</td><td class=\"num\">" +
            fixedNumber(edges[i].second, 1) + " %</td>";
    if (i == 0)
      rows += "<td class=\"num\"" + span + ">" + window + " px</td><td" + span + ">" +
              (picture.empty() ? std::string("<span class=\"muted\">–</span>")
                               : "<img class=\"window\" style=\"width:200px;display:block\" "
                                 "alt=\"WINDOW picture of frame " +
                                     pictureFrame + "\" src=\"" + picture + "\">") +
              "</td>";
    rows += "</tr>";
  }
  return rows;
}

std::string violationsSection(const ReportContent& content, const std::vector<qc::Shot>& shots,
                              const FramePicture& windowPicture) {
  std::string html =
      "<h2>Window violations</h2><p class=\"muted\">Frames where content in front of the screen "
      "is cut by the left or right edge of the picture, one row for each run of frames of a shot "
      "that follow each other: the most of each edge's height any of them cuts, and the "
      "FLOATING WINDOW (black mask on the left view's left edge and the right view's right edge, "
      "pixels of the full view) that mends them; the worst verdict under the WINDOW limits.</p>";
  const std::vector<ViolationRun> runs = violationRuns(content, shots);
  if (runs.empty())
    return html + "<p class=\"muted\">No frame cuts content in front of the screen at an edge.</p>";
  std::string rows;
  size_t pictures = 0;
  for (size_t r = 0; r < runs.size() && r < kShownWindowRuns; ++r) {
    std::pair<int, std::string> picture{runs[r].widest, ""};
    if (pictures < kShownWindowPictures) picture = runPicture(runs[r], windowPicture);
    if (!picture.second.empty()) ++pictures;
    rows += violationRows(runs[r], picture.second, std::to_string(picture.first));
  }
  html += "<table class=\"windows\"><thead><tr><th>Shot</th><th>Frames</th><th>Window</th>"
          "<th>Edge</th><th>Of the edge</th><th>Floating window</th><th>WINDOW picture</th>"
          "</tr></thead><tbody>" +
          rows + "</tbody></table>";
  if (runs.size() > kShownWindowRuns) {
    const size_t more = runs.size() - kShownWindowRuns;
    html += "<p class=\"muted\">" + std::to_string(more) +
            (more == 1 ? " more run of frames cuts" : " more runs of frames cut") +
            " content at an edge: see the frames' depth in report.json.</p>";
  }
  return html;
}

}  // namespace

void writeDepthSections(std::ostream& out, const ReportContent& content,
                        const std::vector<qc::Shot>& shots, const qc::Timecode& timecode,
                        const FramePicture& windowPicture) {
  const bool any =
      std::any_of(content.frames.begin(), content.frames.end(),
                  [](const qc::FrameRecord& record) { return record.depth.has_value(); });
  if (!any) return;
  out << histogramsSection(content, shots, timecode)
      << violationsSection(content, shots, windowPicture);
}

}  // namespace stereolint::report
