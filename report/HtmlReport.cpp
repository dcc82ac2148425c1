#include "report/HtmlReport.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <map>
#include <sstream>

#include "qc/QcSession.h"
#include "report/HtmlDepth.h"
#include "report/HtmlEyes.h"
#include "report/HtmlPlots.h"
#include "report/HtmlStyle.h"
#include "report/HtmlText.h"
#include "util/ToolFacts.h"

namespace stereolint::report {

namespace {

using qc::Shot;
using qc::Verdict;

// The worst frames shown with their pictures.
constexpr size_t kShownWorstFrames = 12;

struct Page {
  const ReportContent& content;
  qc::Timecode timecode;
  FrameJudgements assessments;
  std::vector<Shot> shots;
  qc::TakeSummary take;
};

// The day the page is written, "YYYY-MM-DD" in UTC, so that parts measured
// on machines in other time zones merge into the page one run writes; the
// day of SOURCE_DATE_EPOCH (seconds since 1970) when that is set, for pages
// that must come out the same on any day.
std::string writingDate() {
  std::time_t now = std::time(nullptr);
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch != nullptr && *epoch != '\0')
    now = static_cast<std::time_t>(std::strtoll(epoch, nullptr, 10));
  char text[16] = "";
  if (const std::tm* day = std::gmtime(&now)) std::strftime(text, sizeof text, "%Y-%m-%d", day);
  return text;
}

// Who wrote the page and when, as report.json's "tool" says it: "Made by
// Stereolint 1.0.0 (revision d06dac9; OpenCV 4.6.0, FFmpeg 5.1.4, …) on
// 2026-12-08".
std::string madeBy() {
  const ToolFacts& facts = toolFacts();
  std::string libraries;
  for (const auto& [name, version] : facts.libraries)
    libraries += (libraries.empty() ? "" : ", ") + name + " " + version;
  return "Made by " + escapeHtml(facts.program) + " " + escapeHtml(facts.version) + " (revision " +
         escapeHtml(facts.revision) + "; " + escapeHtml(libraries) + ") on " + writingDate();
}

std::string plural(int count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The findings of the shots with `verdict`, for the sentence of what they
// need.
std::vector<qc::Finding> findingsOfShots(const Page& page, Verdict verdict) {
  std::vector<qc::Finding> findings;
  for (const Shot& shot : page.shots)
    if (shot.verdict == verdict)
      for (const qc::Finding& finding : shot.findings)
        if (finding.verdict == verdict) findings.push_back(finding);
  return findings;
}

// What is wrong with the shots beyond the fix limits: "rotation
// (shots 3, 5)" for each problem, in table order.
std::string rejectedProblems(const Page& page) {
  std::map<Measure, std::vector<int>> shotsOf;
  for (const Shot& shot : page.shots)
    if (shot.verdict == Verdict::Reject)
      for (const qc::Finding& finding : shot.findings)
        if (finding.verdict == Verdict::Reject) shotsOf[finding.owner].push_back(shot.number);
  std::string text;
  for (const auto& [owner, numbers] : shotsOf) {
    std::string list;
    for (int number : numbers) list += (list.empty() ? "" : ", ") + std::to_string(number);
    text += (text.empty() ? "" : "; ") + std::string(measureInfo(owner).problem) +
            (numbers.size() == 1 ? " (shot " : " (shots ") + list + ")";
  }
  return text;
}

// The reasons the INCONCLUSIVE shots give, each once, in shot order.
std::string inconclusiveReasons(const Page& page) {
  std::vector<std::string> reasons;
  for (const Shot& shot : page.shots)
    if (shot.verdict == Verdict::Inconclusive &&
        std::find(reasons.begin(), reasons.end(), shot.reason) == reasons.end())
      reasons.push_back(shot.reason);
  std::string text;
  for (const std::string& reason : reasons) text += (text.empty() ? "" : ", ") + reason;
  return text;
}

std::string plainVerdict(const Page& page) {
  if (!page.content.stoppedBy.empty())
    return "The run was stopped by " + page.content.stoppedBy + " after " +
           plural(page.take.frameCount, "frame was", "frames were") +
           " analysed, before the end of the take: the take has no verdict. The shots below "
           "are those of the frames analysed.";
  const auto& shots = page.take.shotsByVerdict;
  const int total = static_cast<int>(page.shots.size());
  const int fix = shots[static_cast<size_t>(Verdict::Fix)];
  const int reject = shots[static_cast<size_t>(Verdict::Reject)];
  const int unknown = shots[static_cast<size_t>(Verdict::Inconclusive)];
  std::string text;
  switch (page.take.verdict) {
    case Verdict::Pass:
      text = "The take passes: the alignment of every judged shot is within the pass limits.";
      break;
    case Verdict::Fix:
      text = "The take needs correction in post: " + plural(fix, "shot is", "shots are") +
             " outside the pass limits but within the fix limits. To bring " +
             (fix == 1 ? "it" : "them") + " in: " +
             qc::correctionsText(findingsOfShots(page, Verdict::Fix)) + ".";
      break;
    case Verdict::Reject: {
      text = "The take is rejected: " + plural(reject, "shot is", "shots are") +
             " beyond the fix limits, more than a correction in post can repair without visible "
             "loss";
      const std::string problems = rejectedProblems(page);
      text += problems.empty() ? "." : ": " + problems + ".";
      if (std::any_of(page.shots.begin(), page.shots.end(),
                      [](const Shot& shot) { return !shot.eyes.empty(); }))
        text += " " + qc::eyeSyncSentence(page.content.eyeSync) +
                ": each eye shows another moment, so every judged shot is REJECT until the "
                "eyes are put in step.";
      if (fix > 0)
        text += " " + plural(fix, "further shot needs", "further shots need") + " correction: " +
                qc::correctionsText(findingsOfShots(page, Verdict::Fix)) + ".";
      break;
    }
    case Verdict::Inconclusive:
      text = "The take could not be judged: no shot could be measured (" +
             inconclusiveReasons(page) + ").";
      break;
  }
  if (unknown > 0 && page.take.verdict != Verdict::Inconclusive)
    text += " " + plural(unknown, "shot", "shots") + " of " + std::to_string(total) +
            " could not be judged (" + inconclusiveReasons(page) + ").";
  return text;
}

std::string timecodeRange(const Page& page) {
  if (!page.timecode.known() || page.content.frames.empty()) return "–";
  const int first = page.content.frames.front().frame;
  const int last = page.content.frames.back().frame;
  if (first == last) return *page.timecode.of(first);
  return *page.timecode.of(first) + " – " + *page.timecode.of(last);
}

std::string setting(const ReportContent& content, const std::string& name) {
  for (const auto& [key, value] : content.settings)
    if (key == name) return value;
  return "";
}

std::string card(const std::string& label, const std::string& value) {
  return "<div class=\"card\"><div class=\"label\">" + escapeHtml(label) +
         "</div><div class=\"value\">" + escapeHtml(value) + "</div></div>";
}

// The eyes' timing of a pair of inputs, one line; nothing for one input.
std::string eyesLine(const qc::EyeSync& sync) {
  const std::string timing = qc::eyeSyncSentence(sync);
  if (timing.empty()) return "";
  std::string text = timing + ".";
  if (sync.framesCompared > 0) {
    text += " From the first " + plural(sync.framesCompared, "frame", "frames") + " of both eyes.";
  }
  const std::string lengths = qc::eyeLengthsSentence(sync);
  if (!lengths.empty()) text += " " + lengths + ".";
  return "<p class=\"eyes\">" + escapeHtml(text) + "</p>";
}

// What the title does not say of the inputs: the second input when the
// eyes come from two files, and the size of a view.
std::string inputsLine(const ReportContent& content) {
  std::string text;
  if (content.take.inputs.size() > 1)
    text = "Right eye: " + content.take.inputs[1] + " · ";
  for (const qc::FrameRecord& record : content.frames)
    if (record.viewSize.width > 0 && record.viewSize.height > 0)
      return text + "views of " + std::to_string(record.viewSize.width) + " × " +
             std::to_string(record.viewSize.height) + " pixels";
  return text.empty() ? "" : text.substr(0, text.size() - std::string(" · ").size());
}

std::string headerSection(const Page& page) {
  const TakeInfo& take = page.content.take;
  std::string html = "<header class=\"top\"><div><p class=\"kicker\">Stereo alignment report</p><h1>" +
                     escapeHtml(take.name) + "</h1><p class=\"sub\">" +
                     escapeHtml(inputsLine(page.content)) + "</p></div><div class=\"verdict-box\">" +
                     (page.content.stoppedBy.empty()
                          ? verdictBadge(page.take.verdict)
                          : std::string("<span class=\"badge inconclusive\">STOPPED</span>")) +
                     "<div class=\"caption\">Take verdict</div></div></header>";
  const Verdict shown = page.content.stoppedBy.empty() ? page.take.verdict : Verdict::Inconclusive;
  html += "<p class=\"summary " + std::string(verdictClass(shown)) + "\">" +
          escapeHtml(plainVerdict(page)) + "</p>";
  const std::string sampling = setting(page.content, "sampling");
  if (!sampling.empty())
    html += "<p class=\"eyes\">" +
            escapeHtml("A sampled run (" + sampling +
                       "): the verdicts rest on the frames analysed, not on every frame.") +
            "</p>";
  const std::string rate = take.frameRate ? fixedNumber(*take.frameRate, 3) + " fps" : "–";
  const std::string method = setting(page.content, "method");
  const std::string judged = std::to_string(page.take.judgedFrames()) + " (" +
                             std::to_string(static_cast<int>(page.take.judgedPercent())) + " %)";
  html += "<div class=\"cards\">" + card("Frames analysed", std::to_string(page.take.frameCount)) +
          card("Frames judged", judged) +
          card("Shots", std::to_string(page.shots.size())) + card("Frame rate", rate) +
          card("Timecode", timecodeRange(page)) + card("Method", method.empty() ? "–" : method) +
          "</div>";
  html += eyesLine(page.content.eyeSync);
  return html;
}

void writePlotsSection(std::ostream& out, const Page& page) {
  out << "<h2>Measures over time</h2>";
  const std::vector<Measure> owners = plottedLimits(page.content, page.assessments);
  if (owners.empty()) {
    out << "<p class=\"muted\">No frame gave a measure to plot.</p>";
    return;
  }
  out << "<div class=\"legend\"><span style=\"--c:#1e8e3e\">PASS</span>"
         "<span style=\"--c:#e37400\">FIX</span><span style=\"--c:#d93025\">REJECT</span>"
         "<span class=\"swatch\" style=\"--c:#9aa0a6\">no value (inconclusive)</span>"
         "<span class=\"swatch\" style=\"--c:#dff3e4\">pass band</span>"
         "<span class=\"swatch\" style=\"--c:#fdf0d9\">fix band</span>"
         "<span class=\"note\">points: each frame's verdict on that measure; dashed lines: cuts; "
         "S1, S2…: shots, the bar coloured by the shot's verdict; the limits are labelled at the "
         "right</span></div>";
  for (Measure owner : owners) writeKeyPlot(out, owner, page.content, page.assessments, page.shots);
}

std::string framesText(const Shot& shot, const qc::Timecode& timecode) {
  std::string text = shot.firstFrame == shot.lastFrame
                         ? std::to_string(shot.firstFrame)
                         : std::to_string(shot.firstFrame) + "–" + std::to_string(shot.lastFrame);
  if (timecode.known())
    text += "<br><span class=\"muted\">" + *timecode.of(shot.firstFrame) + "</span>";
  return text;
}

// Each measure's median (worst); a median beyond its pass limit is
// highlighted with its verdict and the limit.
std::string measuresText(const Shot& shot, const qc::QcLimits& limits, int viewHeight) {
  std::string text;
  for (const qc::MeasureSummary& summary : shot.measures) {
    std::string line = std::string(measureName(summary.measure)) + " " +
                       escapeHtml(measureText(summary.measure, summary.median)) +
                       " <span class=\"muted\">(worst " +
                       escapeHtml(measureText(summary.measure, summary.worst)) + ")</span>";
    for (const qc::Finding& finding : shot.findings)
      if (finding.measure == summary.measure)
        line = "<span class=\"beyond " + std::string(verdictClass(finding.verdict)) + "\">" +
               line + " <span class=\"limit\">" + qc::verdictName(finding.verdict) +
               ": beyond the " +
               escapeHtml(qc::exceededLimitText(finding, limits, viewHeight)) + "</span></span>";
    text += "<div>" + line + "</div>";
  }
  return text.empty() ? "–" : text;
}

// The view height of the shot's frames, for limits in % of the height.
int shotViewHeight(const Page& page, const Shot& shot) {
  for (const qc::FrameRecord& record : page.content.frames)
    if (record.frame >= shot.firstFrame) return record.viewSize.height;
  return 0;
}

std::string shotsSection(const Page& page) {
  std::string html = "<h2>Shots</h2><table><thead><tr><th>Shot</th><th>Frames</th><th>Verdict</th>"
                     "<th>Median (worst) of each measure</th><th>Worst frame</th><th>Notes</th>"
                     "</tr></thead><tbody>";
  for (const Shot& shot : page.shots) {
    std::string notes = escapeHtml(shot.reason);
    if (!shot.eyes.empty())
      notes += (notes.empty() ? "" : "<br>") + escapeHtml(shot.eyes) + ": REJECT";
    const std::string correction = qc::correctionsText(shot.findings);
    if (!correction.empty())
      notes += (notes.empty() ? "" : "<br>") + std::string("To correct: ") + escapeHtml(correction);
    if (page.content.corrections && shot.verdict != Verdict::Pass &&
        shot.verdict != Verdict::Inconclusive)
      notes += (notes.empty() ? "" : "<br>") + std::string("Correction: ") +
               escapeHtml(corrections::correctShot(shot, page.content.frames,
                                                   page.content.limits, *page.content.corrections)
                              .words);
    if (!shot.outliers.empty()) {
      notes += (notes.empty() ? "" : "<br>") + std::string("Single frames beyond: ");
      for (size_t i = 0; i < shot.outliers.size() && i < 8; ++i)
        notes += (i == 0 ? "" : ", ") + std::to_string(shot.outliers[i]);
      if (shot.outliers.size() > 8) notes += ", …";
    }
    if (shot.inconclusiveFrames > 0 && shot.verdict != Verdict::Inconclusive)
      notes += (notes.empty() ? "" : "<br>") + plural(shot.inconclusiveFrames, "frame", "frames") +
               " inconclusive";
    html += "<tr><td class=\"num\">" + std::to_string(shot.number) + "</td><td class=\"num\">" +
            framesText(shot, page.timecode) + "</td><td>" + verdictBadge(shot.verdict) +
            "</td><td class=\"measures\">" +
            measuresText(shot, page.content.limits, shotViewHeight(page, shot)) +
            "</td><td class=\"num\">" +
            (shot.worstFrame ? std::to_string(*shot.worstFrame) : "–") + "</td><td>" +
            (notes.empty() ? "–" : notes) + "</td></tr>";
  }
  return html + "</tbody></table>";
}

std::string worstFramesSection(const Page& page, const FramePicture& picture,
                               const WorstFramePictures& worstPictures) {
  std::map<int, size_t> indexOf;
  for (size_t i = 0; i < page.content.frames.size(); ++i) indexOf[page.content.frames[i].frame] = i;
  std::vector<size_t> chosen;
  std::map<int, int> shotNumber;
  for (const Shot& shot : page.shots)
    if (shot.worstFrame) {
      chosen.push_back(indexOf.at(*shot.worstFrame));
      shotNumber[*shot.worstFrame] = shot.number;
    }
  std::stable_sort(chosen.begin(), chosen.end(), [&](size_t a, size_t b) {
    return qc::ranksWorse(page.assessments[a], page.assessments[b]);
  });
  if (chosen.size() > kShownWorstFrames) chosen.resize(kShownWorstFrames);
  std::string html = "<h2>Worst frames</h2>";
  if (chosen.empty()) return html + "<p class=\"muted\">No frame could be judged.</p>";
  html += "<div class=\"frames\">";
  for (size_t index : chosen) {
    const qc::FrameRecord& record = page.content.frames[index];
    const qc::FrameAssessment& assessment = page.assessments[index];
    if (const auto view = worstPictures ? worstPictures(record.frame) : std::nullopt) {
      html +=
          worstFrameEntry(record, assessment, shotNumber.at(record.frame), page.timecode, *view);
      continue;
    }
    const std::string uri = picture ? picture(record.frame) : "";
    html += "<figure>";
    html += uri.empty() ? "<div class=\"nopic\">no picture written</div>"
                        : "<img alt=\"Picture of frame " + std::to_string(record.frame) +
                              "\" src=\"" + uri + "\">";
    html += "<figcaption>" + verdictBadge(assessment.verdict) + " <b>Frame " +
            std::to_string(record.frame) + "</b><br><span class=\"what\">Shot " +
            std::to_string(shotNumber.at(record.frame));
    if (auto code = page.timecode.of(record.frame)) html += " · " + *code;
    html += "</span>";
    if (assessment.worstLimit) {
      const Measure measure =
          qc::decidingMeasure(*assessment.worstLimit, record, page.content.limits);
      if (const auto& value = record.values[measureIndex(measure)])
        html += "<br><span class=\"what\">" + std::string(measureName(measure)) + " " +
                escapeHtml(measureText(measure, *value)) + "</span>";
    }
    html += "</figcaption></figure>";
  }
  return html + "</div>";
}

std::string inconclusiveSection(const Page& page) {
  std::string html = "<h2>Inconclusive frames</h2>";
  std::string rows;
  const auto& frames = page.content.frames;
  for (size_t i = 0; i < frames.size();) {
    if (page.assessments[i].verdict != Verdict::Inconclusive) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end + 1 < frames.size() && page.assessments[end + 1].verdict == Verdict::Inconclusive &&
           page.assessments[end + 1].reason == page.assessments[i].reason)
      ++end;
    std::string range = std::to_string(frames[i].frame);
    if (end > i) range += "–" + std::to_string(frames[end].frame);
    std::string code = page.timecode.known() ? *page.timecode.of(frames[i].frame) : "–";
    rows += "<tr><td class=\"num\">" + range + "</td><td class=\"num\">" + code +
            "</td><td class=\"num\">" + std::to_string(end - i + 1) + "</td><td>" +
            escapeHtml(page.assessments[i].reason) + "</td></tr>";
    i = end + 1;
  }
  if (rows.empty()) return html + "<p class=\"muted\">Every frame could be judged.</p>";
  return html + "<table><thead><tr><th>Frames</th><th>Timecode</th><th>Count</th><th>Reason</th>"
                "</tr></thead><tbody>" + rows + "</tbody></table>";
}

std::string settingsSection(const Page& page) {
  std::string html = "<h2>Settings and limits</h2><table class=\"settings\"><tbody>";
  for (const auto& [name, value] : page.content.settings)
    html += "<tr><td>" + escapeHtml(name) + "</td><td><code>" + escapeHtml(value.empty() ? "–" : value) +
            "</code></td></tr>";
  for (Measure owner : limitOwners()) {
    const MeasureInfo& info = measureInfo(owner);
    html += "<tr><td>" + std::string(info.limitKey) + " limits</td><td><code>" +
            escapeHtml(qc::limitPairText(owner, page.content.limits.of(owner))) +
            "</code> <span class=\"muted\">" + escapeHtml(info.limitMeaning) + "</span></td></tr>";
  }
  html += "<tr><td>Frame count of the input</td><td>" + std::to_string(page.content.take.frameCount) +
          "</td></tr>";
  return html + "</tbody></table>";
}

}  // namespace

void writeReportHtml(std::ostream& out, const ReportContent& content, const FramePicture& picture,
                     const FramePicture& windowPicture, const FramePicture& differencePicture,
                     const WorstFramePictures& worstPictures) {
  Page page{content, content.timecode(), FrameJudgements(content),
            qc::shotsOf(content.frames, content.limits, content.shotScan), {}};
  qc::applyEyeSync(page.shots, content.eyeSync);
  page.take = qc::summarizeTake(page.shots, content.frames, content.limits);
  out << "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
         "<title>Stereo alignment report – "
      << escapeHtml(content.take.name) << "</title><style>" << reportStyleSheet()
      << "</style></head><body><main>";
  out << headerSection(page);
  writePlotsSection(out, page);
  out << shotsSection(page);
  writeDepthSections(out, content, page.shots, page.timecode, windowPicture);
  writeEyesSection(out, content, page.shots, page.timecode, differencePicture);
  out << worstFramesSection(page, picture, worstPictures) << inconclusiveSection(page)
      << settingsSection(page);
  out << "<footer>" << madeBy() << " from the measurements of "
      << plural(static_cast<int>(content.frames.size()), "frame", "frames")
      << ". Verdicts: PASS within the pass limits; FIX outside them but within the fix limits "
         "(correctable in post); REJECT beyond the fix limits; INCONCLUSIVE cannot be judged. A "
         "shot is judged by the median of its frames.</footer>";
  out << "</main></body></html>\n";
}

std::string reportHtml(const ReportContent& content, const FramePicture& picture,
                       const FramePicture& windowPicture, const FramePicture& differencePicture,
                       const WorstFramePictures& worstPictures) {
  std::ostringstream page;
  writeReportHtml(page, content, picture, windowPicture, differencePicture, worstPictures);
  return page.str();
}

}  // namespace stereolint::report
