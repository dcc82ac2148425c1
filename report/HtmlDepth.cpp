#include "report/HtmlDepth.h"

#include <algorithm>
#include <optional>
#include <sstream>
#include <string>

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

// One row per edge that cuts content in front of the window; the frame's
// cells and its WINDOW picture span its rows.
std::string violationRows(const ReportContent& content, const qc::FrameRecord& record,
                          const std::vector<qc::Shot>& shots, const std::string& picture) {
  const DepthDetail& depth = *record.depth;
  std::vector<std::pair<const char*, double>> edges;
  if (depth.windowLeftPercent > 0) edges.emplace_back("left", depth.windowLeftPercent);
  if (depth.windowRightPercent > 0) edges.emplace_back("right", depth.windowRightPercent);
  const std::string span = " rowspan=\"" + std::to_string(edges.size()) + "\"";
  const qc::Shot* shot = shotOf(shots, record.frame);
  const std::optional<qc::Verdict> verdict =
      qc::assessFrame(record, content.limits).byLimit[measureIndex(Measure::Window)];
  std::string rows;
  for (size_t i = 0; i < edges.size(); ++i) {
    rows += "<tr>";
    if (i == 0)
      rows += "<td class=\"num\"" + span + ">" + (shot ? std::to_string(shot->number) : "–") +
              "</td><td class=\"num\"" + span + ">" + std::to_string(record.frame) + "</td><td" +
              span + ">" + (verdict ? verdictBadge(*verdict) : std::string("–")) + "</td>";
    rows += "<td>" + std::string(edges[i].first) + "</td><td class=\"num\">" +
            fixedNumber(edges[i].second, 1) + " %</td>";
    if (i == 0)
      rows += "<td class=\"num\"" + span + ">" + std::to_string(depth.floatingWindowPixels) +
              " px</td><td" + span + ">" +
              (picture.empty() ? std::string("<span class=\"muted\">–</span>")
                               : "<img class=\"window\" style=\"width:200px;display:block\" "
                                 "alt=\"WINDOW picture of frame " +
                                     std::to_string(record.frame) + "\" src=\"" + picture + "\">") +
              "</td>";
    rows += "</tr>";
  }
  return rows;
}

std::string violationsSection(const ReportContent& content, const std::vector<qc::Shot>& shots,
                              const FramePicture& windowPicture) {
  std::string html =
      "<h2>Window violations</h2><p class=\"muted\">Frames where content in front of the screen "
      "is cut by the left or right edge of the picture: the share of that edge's height, and the "
      "FLOATING WINDOW (black mask on the left view's left edge and the right view's right edge, "
      "pixels of the full view) that mends the frame; the verdict under the WINDOW limits.</p>";
  std::string rows;
  size_t listed = 0, more = 0, pictures = 0;
  for (const qc::FrameRecord& record : content.frames) {
    if (!record.depth || !record.depth->violatesWindow()) continue;
    if (listed == kShownWindowFrames) {
      ++more;
      continue;
    }
    ++listed;
    std::string picture;
    if (pictures < kShownWindowPictures && windowPicture) picture = windowPicture(record.frame);
    if (!picture.empty()) ++pictures;
    rows += violationRows(content, record, shots, picture);
  }
  if (rows.empty())
    return html + "<p class=\"muted\">No frame cuts content in front of the screen at an edge.</p>";
  html += "<table class=\"windows\"><thead><tr><th>Shot</th><th>Frame</th><th>Window</th>"
          "<th>Edge</th><th>Of the edge</th><th>Floating window</th><th>WINDOW picture</th>"
          "</tr></thead><tbody>" +
          rows + "</tbody></table>";
  if (more > 0)
    html += "<p class=\"muted\">" + std::to_string(more) +
            (more == 1 ? " more frame cuts" : " more frames cut") +
            " content at an edge: see the frames' depth in report.json.</p>";
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
