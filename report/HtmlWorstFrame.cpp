#include "report/HtmlWorstFrame.h"

#include "report/HtmlText.h"
#include "report/WorstPictures.h"

namespace stereolint::report {

namespace {

// One picture, linked to its file, with what it shows under it.
std::string linkedPicture(const std::string& uri, const std::string& link, const std::string& alt,
                          const std::string& caption) {
  if (uri.empty()) return "";
  return "<div style=\"flex:1 1 300px;min-width:0\"><a href=\"" + escapeHtml(link) +
         "\"><img alt=\"" + escapeHtml(alt) + "\" src=\"" + uri +
         "\"></a><div class=\"what\" style=\"padding:2px 6px\">" + caption + "</div></div>";
}

std::string dot(const char* colour, const std::string& words) {
  return "<span style=\"white-space:nowrap\"><span style=\"color:" + std::string(colour) +
         "\">&#9679;</span> " + words + "</span>";
}

// Each measure the frame has, with the verdict of its limit.
std::string numbersTable(const qc::FrameRecord& record, const qc::FrameAssessment& assessment) {
  std::string rows;
  for (Measure measure : kAllMeasures) {
    const auto& value = record.values[measureIndex(measure)];
    if (!value) continue;
    const bool judged = measureInfo(measure).rule != LimitRule::NotJudged;
    const auto& verdict = assessment.byLimit[measureIndex(limitOwner(measure))];
    rows += "<tr><td>" + std::string(measureName(measure)) + "</td><td class=\"num\">" +
            escapeHtml(measureText(measure, *value)) + "</td><td>" +
            (judged && verdict ? verdictBadge(*verdict) : std::string()) + "</td></tr>";
  }
  if (record.points)
    rows += "<tr><td>POINTS</td><td class=\"num\">" + std::to_string(*record.points) +
            "</td><td></td></tr>";
  return "<table style=\"margin:6px 0\"><tbody>" + rows + "</tbody></table>";
}

}  // namespace

std::string worstFrameEntry(const qc::FrameRecord& record, const qc::FrameAssessment& assessment,
                            int shot, const qc::Timecode& timecode, const WorstFrameView& view) {
  const std::string frame = std::to_string(record.frame);
  const std::string legend = "dots: inlier matches by vertical misalignment, " +
                             dot("#1e8e3e", "within " + fixedNumber(kGreenRows, 1) + " row") + " " +
                             dot("#e37400", "up to " + fixedNumber(kRedRows, 1) + " rows") + " " +
                             dot("#d93025", "beyond " + fixedNumber(kRedRows, 1) + " rows");
  std::string html = "<figure class=\"worst-frame\" style=\"grid-column:1/-1\">"
                     "<div style=\"display:flex;flex-wrap:wrap;gap:10px\">"
                     "<div style=\"flex:2 1 420px;display:flex;flex-wrap:wrap;gap:6px\">";
  html += linkedPicture(view.residualsUri, view.residualsLink,
                        "Left view of frame " + frame + " with its inliers",
                        "Left view · " + legend);
  html += linkedPicture(view.anaglyphUri, view.anaglyphLink,
                        "Anaglyph of frame " + frame + " before correction",
                        "Red-cyan anaglyph before correction");
  html += "</div><figcaption style=\"flex:1 1 220px\">" + verdictBadge(assessment.verdict) +
          " <b>Frame " + frame + "</b><br><span class=\"what\">Shot " + std::to_string(shot);
  if (auto code = timecode.of(record.frame)) html += " · " + *code;
  html += "</span>" + numbersTable(record, assessment) + "</figcaption></div></figure>";
  return html;
}

}  // namespace stereolint::report
