#include "report/HtmlPlots.h"

#include <algorithm>
#include <cmath>

#include "report/HtmlText.h"
#include "report/SvgPlot.h"

namespace stereolint::report {

namespace {

bool plotted(const qc::FrameRecord& record, const qc::FrameAssessment& assessment, Measure owner) {
  if (assessment.verdict == qc::Verdict::Inconclusive) return false;
  if (!assessment.byLimit[measureIndex(owner)]) return false;
  return std::any_of(measuresUnder(owner).begin(), measuresUnder(owner).end(),
                     [&](Measure measure) { return record.values[measureIndex(measure)].has_value(); });
}

int referenceHeight(const ReportContent& content) {
  for (const qc::FrameRecord& record : content.frames)
    if (record.viewSize.height > 0) return record.viewSize.height;
  return 0;
}

// One limit as written, with its sign: "+0.3 %", "-2 rows", "+0.1°"; a
// limit in % of the height also in rows of a view `height` rows high.
std::string limitText(Measure owner, const qc::LimitAmount& limit, double sign, int height) {
  const std::string written =
      (sign > 0 && limit.amount > 0 ? "+" : "") + fixedNumber(sign * limit.amount, 3);
  switch (measureInfo(owner).rule) {
    case LimitRule::Degrees: return written + "°";
    case LimitRule::PercentFromOne:
    case LimitRule::BudgetNear:
    case LimitRule::BudgetFar:
    case LimitRule::NotJudged: return written + " %";
    case LimitRule::AtMost:
    case LimitRule::AtLeast:
    case LimitRule::Magnitude: return written + " " + measureUnit(owner);
    case LimitRule::RowsOrHeight: break;
  }
  if (!limit.percent) return written + " rows";
  return written + " % · " + fixedNumber(sign * limit.inRows(height), 2) + " rows";
}

void setBands(Plot& plot, Measure owner, const qc::LimitPair& pair, int height) {
  if (isBudget(owner)) {
    plot.passLow = plot.fixLow = pair.first.amount;
    plot.passHigh = plot.fixHigh = pair.second.amount;
    plot.limits = {{pair.first.amount, "near " + fixedNumber(pair.first.amount, 3) + " %"},
                   {pair.second.amount, "far " + fixedNumber(pair.second.amount, 3) + " %"}};
    return;
  }
  const LimitRule rule = measureInfo(owner).rule;
  if (rule == LimitRule::AtMost || rule == LimitRule::AtLeast) {
    // One-sided: the pass and fix bands reach from the limit to the good side.
    const double pass = pair.first.amount, fix = pair.second.amount;
    const bool upper = rule == LimitRule::AtMost;
    const double good = upper ? std::min(0.0, pass) : std::max(1.0, pass);
    plot.passLow = upper ? good : pass;
    plot.passHigh = upper ? pass : good;
    plot.fixLow = upper ? good : fix;
    plot.fixHigh = upper ? fix : good;
    plot.limits = {{pass, limitText(owner, pair.first, 1, height)}};
    if (fix != pass) plot.limits.push_back({fix, limitText(owner, pair.second, 1, height)});
    return;
  }
  const bool rows = rule == LimitRule::RowsOrHeight;
  const double pass = rows ? pair.first.inRows(height) : pair.first.amount;
  const double fix = rows ? pair.second.inRows(height) : pair.second.amount;
  plot.passLow = -pass;
  plot.passHigh = pass;
  plot.fixLow = -fix;
  plot.fixHigh = fix;
  plot.limits = {{fix, limitText(owner, pair.second, 1, height)},
                 {-fix, limitText(owner, pair.second, -1, height)},
                 {pass, limitText(owner, pair.first, 1, height)},
                 {-pass, limitText(owner, pair.first, -1, height)}};
}

std::string bandNote(Measure owner, const qc::LimitPair& pair, int height) {
  const std::string text = qc::limitPairText(owner, pair);
  const size_t slash = text.find('/');
  if (isBudget(owner))
    return "Depth budget " + text.substr(0, slash) + " (near) to " + text.substr(slash + 1) +
           " (far), shaded.";
  if (measureInfo(owner).rule == LimitRule::AtMost)
    return "Pass up to " + text.substr(0, slash) + " (green), fixable up to " +
           text.substr(slash + 1) + " (amber).";
  if (measureInfo(owner).rule == LimitRule::AtLeast)
    return "Pass from " + text.substr(0, slash) + " up (green), fixable from " +
           text.substr(slash + 1) + " up (amber).";
  if (measureInfo(owner).rule == LimitRule::RowsOrHeight && pair.first.percent)
    return "Pass within ±" + fixedNumber(pair.first.amount, 3) + " % of the view height (" +
           fixedNumber(pair.first.inRows(height), 2) + " rows of " + std::to_string(height) +
           ", green), fixable within ±" + fixedNumber(pair.second.amount, 3) + " % (" +
           fixedNumber(pair.second.inRows(height), 2) + " rows, amber).";
  return "Pass within ±" + text.substr(0, slash) + " (green), fixable within ±" +
         text.substr(slash + 1) + " (amber).";
}

// The tooltip of a point or of an inconclusive frame's mark.
std::string describeFrame(const ReportContent& content,
                          const FrameJudgements& assessments,
                          const qc::Timecode& timecode, Measure owner, const PlotSeries* series,
                          const PlotPoint& point) {
  const auto found = std::lower_bound(
      content.frames.begin(), content.frames.end(), point.frame,
      [](const qc::FrameRecord& record, int frame) { return record.frame < frame; });
  const size_t index = static_cast<size_t>(found - content.frames.begin());
  const qc::FrameAssessment& assessment = assessments[index];
  std::string text = "Frame " + std::to_string(point.frame);
  if (auto code = timecode.of(point.frame)) text += " · " + *code;
  if (series == nullptr) return text + " · INCONCLUSIVE · " + assessment.reason;
  const Measure measure = *measureFromName(series->name);
  if (const auto& value = found->values[measureIndex(measure)])
    text += " · " + series->name + " " + measureText(measure, *value);
  return text + " · " + qc::verdictName(*assessment.byLimit[measureIndex(owner)]) + " (frame " +
         qc::verdictName(assessment.verdict) + ")";
}

// The depth jumps at the cuts, for the plot of the depth budget: from the
// median parallax where the shot before ends to where the shot starts,
// judged against the DEPTH JUMP limits.
std::vector<JumpMark> depthJumps(const std::vector<qc::Shot>& shots, const qc::QcLimits& limits) {
  const qc::LimitPair& pair = limits.of(Measure::DepthJump);
  std::vector<JumpMark> jumps;
  for (size_t i = 1; i < shots.size(); ++i) {
    const qc::Shot& shot = shots[i];
    if (!shots[i - 1].endDepth || !shot.startDepth) continue;
    const double jump = std::fabs(*shot.startDepth - *shots[i - 1].endDepth);
    const qc::Verdict verdict = jump > pair.second.amount ? qc::Verdict::Reject
                                : jump > pair.first.amount ? qc::Verdict::Fix
                                                           : qc::Verdict::Pass;
    std::string title = "Depth jump at the cut before shot " + std::to_string(shot.number) + ": " +
                        measureText(Measure::DepthJump, jump);
    const bool rejected = verdict == qc::Verdict::Reject;
    if (verdict != qc::Verdict::Pass)
      title += std::string(" · ") + qc::verdictName(verdict) + ": beyond the " +
               (rejected ? "fix" : "pass") + " limit " +
               fixedNumber(rejected ? pair.second.amount : pair.first.amount, 3) + " %";
    jumps.push_back({shot.number, *shots[i - 1].endDepth, *shot.startDepth,
                     "Δ " + fixedNumber(jump, 2) + " %", title, verdict});
  }
  return jumps;
}

}  // namespace

std::vector<Measure> plottedLimits(const ReportContent& content,
                                   const FrameJudgements& assessments) {
  std::vector<Measure> owners;
  for (Measure owner : limitOwners())
    for (size_t i = 0; i < content.frames.size(); ++i)
      if (plotted(content.frames[i], assessments[i], owner)) {
        owners.push_back(owner);
        break;
      }
  return owners;
}

void writeKeyPlot(std::ostream& out, Measure owner, const ReportContent& content,
                  const FrameJudgements& assessments,
                  const std::vector<qc::Shot>& shots) {
  const MeasureInfo& info = measureInfo(owner);
  const qc::Timecode timecode = content.timecode();
  const int height = referenceHeight(content);
  Plot plot;
  plot.measure = info.limitKey;
  plot.unit = info.plot.axis;
  plot.timecode = timecode;
  plot.firstFrame = content.frames.front().frame;
  plot.lastFrame = content.frames.back().frame;
  for (const qc::Shot& shot : shots)
    plot.shots.push_back({shot.number, shot.firstFrame, shot.lastFrame, shot.verdict});
  setBands(plot, owner, content.limits.of(owner), height);
  if (isBudget(owner)) plot.jumps = depthJumps(shots, content.limits);
  for (Measure measure : measuresUnder(owner)) {
    PlotSeries series{measureName(measure), measureInfo(measure).plot.colour,
                      !plot.series.empty(), {}};
    for (size_t i = 0; i < content.frames.size(); ++i) {
      const auto& value = content.frames[i].values[measureIndex(measure)];
      if (!value || !plotted(content.frames[i], assessments[i], owner)) continue;
      series.points.push_back({content.frames[i].frame, plottedValue(measure, *value),
                               *assessments[i].byLimit[measureIndex(owner)]});
    }
    plot.series.push_back(std::move(series));
  }
  for (size_t i = 0; i < content.frames.size(); ++i)
    if (assessments[i].verdict == qc::Verdict::Inconclusive)
      plot.inconclusive.push_back({content.frames[i].frame, 0, qc::Verdict::Inconclusive});
  plot.describe = [&](const PlotSeries* series, const PlotPoint& point) {
    return describeFrame(content, assessments, timecode, owner, series, point);
  };
  out << "<section class=\"plot-block\"><h3>" << info.limitKey << " <span class=\"unit\">"
      << escapeHtml(plot.unit) << "</span></h3><p class=\"note\">"
      << escapeHtml(std::string(info.plot.title) + ". " +
                    bandNote(owner, content.limits.of(owner), height) +
                    (plot.jumps.empty() ? ""
                                        : " Bars at the cuts: the depth jump, the median "
                                          "parallax before and after the cut, coloured when "
                                          "beyond the DEPTH JUMP limits."))
      << "</p>";
  writeSvgPlot(out, plot);
  out << "</section>";
}

}  // namespace stereolint::report
