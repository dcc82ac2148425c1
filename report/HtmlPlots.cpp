#include "report/HtmlPlots.h"

#include "report/HtmlText.h"
#include "report/SvgPlot.h"

namespace stereolint::report {

namespace {

std::string tooltip(const qc::FrameRecord& record, const qc::Timecode& timecode, Measure measure,
                    qc::Verdict keyVerdict, qc::Verdict frameVerdict) {
  std::string text = "Frame " + std::to_string(record.frame);
  if (auto code = timecode.of(record.frame)) text += " · " + *code;
  const auto& value = record.values[measureIndex(measure)];
  if (value) text += " · " + std::string(measureName(measure)) + " " +
                     formatMeasureValue(measure, *value);
  return text + " · " + qc::verdictName(keyVerdict) + " (frame " + qc::verdictName(frameVerdict) +
         ")";
}

int referenceHeight(const ReportContent& content) {
  for (const qc::FrameRecord& record : content.frames)
    if (record.viewSize.height > 0) return record.viewSize.height;
  return 0;
}

void setBands(Plot& plot, Measure owner, const qc::LimitPair& pair, int height) {
  if (isBudget(owner)) {
    plot.passLow = plot.fixLow = pair.first.amount;
    plot.passHigh = plot.fixHigh = pair.second.amount;
    return;
  }
  const bool rows = measureInfo(owner).rule == LimitRule::RowsOrHeight;
  const double pass = rows ? pair.first.inRows(height) : pair.first.amount;
  const double fix = rows ? pair.second.inRows(height) : pair.second.amount;
  plot.passLow = -pass;
  plot.passHigh = pass;
  plot.fixLow = -fix;
  plot.fixHigh = fix;
}

std::string bandNote(Measure owner, const qc::LimitPair& pair) {
  const std::string text = qc::limitPairText(owner, pair);
  const size_t slash = text.find('/');
  if (isBudget(owner))
    return "Depth budget " + text.substr(0, slash) + " (near) to " + text.substr(slash + 1) +
           " (far), shaded.";
  return "Pass within ±" + text.substr(0, slash) + " (green), fixable within ±" +
         text.substr(slash + 1) + " (amber).";
}

}  // namespace

std::vector<KeyPlot> reportPlots(const ReportContent& content,
                                 const std::vector<qc::FrameAssessment>& assessments,
                                 const std::vector<qc::Shot>& shots) {
  std::vector<KeyPlot> plots;
  if (content.frames.empty()) return plots;
  const qc::Timecode timecode = content.timecode();
  for (Measure owner : limitOwners()) {
    const MeasureInfo& info = measureInfo(owner);
    Plot plot;
    plot.measure = info.limitKey;
    plot.unit = info.plot.axis;
    plot.firstFrame = content.frames.front().frame;
    plot.lastFrame = content.frames.back().frame;
    for (const qc::Shot& shot : shots)
      plot.shots.push_back({shot.number, shot.firstFrame, shot.lastFrame, shot.verdict});
    setBands(plot, owner, content.limits.of(owner), referenceHeight(content));
    bool any = false;
    for (Measure measure : measuresUnder(owner)) {
      PlotSeries series{measureName(measure), measureInfo(measure).plot.colour, {}};
      for (size_t i = 0; i < content.frames.size(); ++i) {
        const qc::FrameRecord& record = content.frames[i];
        const auto& value = record.values[measureIndex(measure)];
        const auto& keyVerdict = assessments[i].byLimit[measureIndex(owner)];
        if (!value || !keyVerdict || assessments[i].verdict == qc::Verdict::Inconclusive) continue;
        series.points.push_back({record.frame, plottedValue(measure, *value), *keyVerdict,
                                 tooltip(record, timecode, measure, *keyVerdict, assessments[i].verdict)});
      }
      any = any || !series.points.empty();
      plot.series.push_back(std::move(series));
    }
    if (!any) continue;
    for (size_t i = 0; i < content.frames.size(); ++i)
      if (assessments[i].verdict == qc::Verdict::Inconclusive)
        plot.inconclusive.push_back({content.frames[i].frame, 0, qc::Verdict::Inconclusive,
                                     "Frame " + std::to_string(content.frames[i].frame) +
                                         " · INCONCLUSIVE · " + assessments[i].reason});
    std::vector<std::pair<std::string, std::string>> lines;
    if (plot.series.size() > 1)
      for (const PlotSeries& series : plot.series) lines.emplace_back(series.name, series.colour);
    plots.push_back({owner, svgPlot(plot), plot.unit,
                     std::string(info.plot.title) + ". " +
                         bandNote(owner, content.limits.of(owner)),
                     lines});
  }
  return plots;
}

}  // namespace stereolint::report
