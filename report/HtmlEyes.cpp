#include "report/HtmlEyes.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "qc/FrameAssessment.h"
#include "report/HtmlText.h"
#include "report/ShotEyes.h"

namespace stereolint::report {

namespace {

const char* eyeName(Eye eye) { return eye == Eye::Right ? "right" : "left"; }

// `text` marked as beyond its pass limit when `verdict` is FIX or REJECT,
// as the table of shots marks a median.
std::string marked(const std::string& text, const std::optional<qc::Verdict>& verdict) {
  if (!verdict || (*verdict != qc::Verdict::Fix && *verdict != qc::Verdict::Reject)) return text;
  return "<span class=\"beyond " + std::string(verdictClass(*verdict)) + "\">" + text +
         " <span class=\"limit\">" + qc::verdictName(*verdict) + "</span></span>";
}

std::optional<qc::Verdict> shotVerdict(const qc::Shot& shot, Measure measure) {
  return shot.byLimit[measureIndex(limitOwner(measure))];
}

std::string brightnessCell(const ShotEyes& eyes, const qc::Shot& shot) {
  if (!eyes.luminance) return "–";
  const std::optional<Eye> brighter = eyes.brighter();
  const std::string words = brighter ? std::string(eyeName(*brighter)) + " eye brighter by " +
                                           signedNumber(std::fabs(*eyes.luminance), 2) + " stops"
                                     : std::string("equally bright");
  return marked(words, shotVerdict(shot, Measure::Luminance)) + "<br><span class=\"muted\">" +
         escapeHtml(std::string(measureName(Measure::Luminance)) + " " +
                    signedNumber(*eyes.luminance, 2, true) + " stops") +
         "</span>";
}

std::string colourCell(const ShotEyes& eyes, const qc::Shot& shot) {
  if (!eyes.colour) return "–";
  return marked(escapeHtml(measureText(Measure::Colour, *eyes.colour)),
                shotVerdict(shot, Measure::Colour));
}

std::string sharpnessCell(const ShotEyes& eyes, const qc::Shot& shot) {
  if (!eyes.sharpness) return "–";
  const std::optional<Eye> softer = eyes.softer();
  const std::string words = softer ? std::string(eyeName(*softer)) + " eye softer, " +
                                         fixedNumber(*eyes.detailLostPercent(), 0) +
                                         " % of its detail lost"
                                   : std::string("equally sharp");
  return marked(words, shotVerdict(shot, Measure::Sharpness)) + "<br><span class=\"muted\">" +
         escapeHtml(std::string(measureName(Measure::Sharpness)) + " " +
                    fixedNumber(*eyes.sharpness, 3)) +
         "</span>";
}

std::string highlightCell(const ShotEyes& eyes, const ReportContent& content,
                          const qc::Timecode& timecode) {
  if (!eyes.highlightArea || !eyes.worstFrame) return "–";
  const auto found = std::lower_bound(
      content.frames.begin(), content.frames.end(), *eyes.worstFrame,
      [](const qc::FrameRecord& record, int frame) { return record.frame < frame; });
  const std::optional<qc::Verdict> verdict =
      qc::assessFrame(*found, content.limits).byLimit[measureIndex(Measure::HighlightArea)];
  std::string where = "frame " + std::to_string(*eyes.worstFrame);
  if (auto code = timecode.of(*eyes.worstFrame)) where += " · " + *code;
  return marked(escapeHtml(measureText(Measure::HighlightArea, *eyes.highlightArea)), verdict) +
         "<br><span class=\"muted\">" + escapeHtml(where) + "</span>";
}

// The grade as text to copy: the ten numbers as the EYES block's CDL line
// gives them, and the same decision as ASC SOP and SAT values.
std::string gradeCell(const ShotEyes& eyes) {
  if (!eyes.decision)
    return "<span class=\"muted\">No frame of the shot has a colour decision.</span>";
  const char* pre =
      "<pre style=\"margin:2px 0 6px;white-space:pre-wrap;overflow-wrap:anywhere\">"
      "<code>";
  const std::string from = eyes.decisionFrames == 1
                               ? std::string("the decision of its one frame that has one")
                               : "the median of " + std::to_string(eyes.decisionFrames) +
                                     " frames' decisions";
  return "Grade that maps the right eye onto the left, " + from + ":<br><span class=\"muted\">CDL (slope, offset, power, saturation)</span>" + pre +
         escapeHtml(colourDecisionText(*eyes.decision)) + "</code></pre>" +
         "<span class=\"muted\">ASC SOP and SAT</span>" + pre +
         escapeHtml(colourDecisionSopText(*eyes.decision)) + "</code></pre>";
}

std::string shotRows(const ShotEyes& eyes, const qc::Shot& shot, const ReportContent& content,
                     const qc::Timecode& timecode, const std::string& picture) {
  const std::string span = " rowspan=\"2\"";
  const std::string pictureCell =
      picture.empty() ? std::string("<span class=\"muted\">–</span>")
                      : "<img style=\"width:200px;display:block\" alt=\"EYE_DIFFERENCE picture of "
                        "frame " +
                            std::to_string(*eyes.worstFrame) + "\" src=\"" + picture + "\">";
  return "<tr data-shot=\"" + std::to_string(shot.number) + "\"><td class=\"num\"" + span + ">" +
         std::to_string(shot.number) + "<br>" + verdictBadge(shot.verdict) + "</td><td>" +
         brightnessCell(eyes, shot) + "</td><td>" + colourCell(eyes, shot) + "</td><td>" +
         sharpnessCell(eyes, shot) + "</td><td>" + highlightCell(eyes, content, timecode) +
         "</td><td" + span + ">" + pictureCell +
         "</td></tr><tr class=\"grade\"><td colspan=\"4\">" + gradeCell(eyes) + "</td></tr>";
}

}  // namespace

void writeEyesSection(std::ostream& out, const ReportContent& content,
                      const std::vector<qc::Shot>& shots, const qc::Timecode& timecode,
                      const FramePicture& differencePicture) {
  if (std::none_of(content.frames.begin(), content.frames.end(), hasEyes)) return;
  std::string rows;
  size_t pictures = 0;
  for (const qc::Shot& shot : shots) {
    const std::optional<ShotEyes> eyes = shotEyes(content.frames, shot);
    if (!eyes) continue;
    std::string picture;
    if (eyes->worstFrame && differencePicture && pictures < kShownEyePictures)
      picture = differencePicture(*eyes->worstFrame);
    if (!picture.empty()) ++pictures;
    rows += shotRows(*eyes, shot, content, timecode, picture);
  }
  if (rows.empty()) return;
  out << "<h2>Eyes</h2><p class=\"muted\">How the eyes of each shot differ, from the medians of "
         "its judged frames: brightness (LUMINANCE, stops), colour (COLOUR, CIEDE2000 between "
         "the matched pixels) and sharpness (the softer eye and the share of its detail lost; "
         "within "
      << fixedNumber(kEquallySharpPercent, 0)
      << " % the eyes are equally sharp); the light that reaches one eye only in the shot's "
         "worst frame (HIGHLIGHT AREA) and that frame's EYE_DIFFERENCE picture, one-eye light "
         "outlined; and the grade that maps the right eye onto the left, ready to copy. A value "
         "beyond its pass limit is marked with its verdict.</p>";
  out << "<table class=\"eyes\"><thead><tr><th>Shot</th><th>Brightness</th><th>Colour</th>"
         "<th>Sharpness</th><th>One-eye light</th><th>Difference of the eyes</th></tr></thead>"
         "<tbody>"
      << rows << "</tbody></table>";
}

}  // namespace stereolint::report
