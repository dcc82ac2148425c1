#include "report/HtmlPlots.h"

#include "report/HtmlText.h"
#include "report/SvgPlot.h"

namespace stereolint::report {

namespace {

using qc::LimitKey;
using qc::Measure;

struct KeyLook {
  const char* unit;
  const char* what;
};

KeyLook lookOf(LimitKey key) {
  switch (key) {
    case LimitKey::Vertical: return {"rows", "Vertical offset, left row minus right row"};
    case LimitKey::Rotation: return {"degrees", "Rotation of the right view against the left"};
    case LimitKey::Scale: return {"% size difference", "Magnification difference, % from equal size"};
    case LimitKey::Keystone: return {"rows", "Keystone, difference of vertical offset at the corners"};
    case LimitKey::Parallax: return {"% of width", "Nearest and farthest parallax, % of the view width"};
  }
  return {"", ""};
}

// The value as plotted: SCALE as % difference from 1, the others as they are.
double plotted(Measure measure, double value) {
  return measure == Measure::Scale ? (value - 1.0) * 100.0 : value;
}

std::string tooltip(const qc::FrameRecord& record, const qc::Timecode& timecode, Measure measure,
                    qc::Verdict keyVerdict, qc::Verdict frameVerdict) {
  std::string text = "Frame " + std::to_string(record.frame);
  if (auto code = timecode.of(record.frame)) text += " · " + *code;
  const auto& value = record.values[qc::measureIndex(measure)];
  if (value) text += " · " + std::string(qc::measureName(measure)) + " " +
                     qc::formatMeasureValue(measure, *value);
  return text + " · " + qc::verdictName(keyVerdict) + " (frame " + qc::verdictName(frameVerdict) +
         ")";
}

int referenceHeight(const ReportContent& content) {
  for (const qc::FrameRecord& record : content.frames)
    if (record.viewSize.height > 0) return record.viewSize.height;
  return 0;
}

void setBands(Plot& plot, LimitKey key, const qc::LimitPair& pair, int height) {
  if (key == LimitKey::Parallax) {
    plot.passLow = plot.fixLow = pair.first.amount;
    plot.passHigh = plot.fixHigh = pair.second.amount;
    return;
  }
  const bool rows = key == LimitKey::Vertical || key == LimitKey::Keystone;
  const double pass = rows ? pair.first.inRows(height) : pair.first.amount;
  const double fix = rows ? pair.second.inRows(height) : pair.second.amount;
  plot.passLow = -pass;
  plot.passHigh = pass;
  plot.fixLow = -fix;
  plot.fixHigh = fix;
}

std::vector<std::pair<Measure, const char*>> seriesOf(LimitKey key) {
  switch (key) {
    case LimitKey::Vertical: return {{Measure::Vertical, "#3d5a80"}};
    case LimitKey::Rotation: return {{Measure::Rotation, "#3d5a80"}};
    case LimitKey::Scale: return {{Measure::Scale, "#3d5a80"}};
    case LimitKey::Keystone: return {{Measure::Keystone, "#3d5a80"}};
    case LimitKey::Parallax:
      return {{Measure::NearParallax, "#7b4fa0"}, {Measure::FarParallax, "#2b7bb9"}};
  }
  return {};
}

std::string bandNote(LimitKey key, const qc::LimitPair& pair) {
  const std::string text = qc::limitPairText(key, pair);
  const size_t slash = text.find('/');
  if (key == LimitKey::Parallax)
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
  for (const qc::LimitKeyInfo& info : qc::limitKeyTable()) {
    Plot plot;
    plot.measure = info.name;
    plot.unit = lookOf(info.key).unit;
    plot.firstFrame = content.frames.front().frame;
    plot.lastFrame = content.frames.back().frame;
    for (const qc::Shot& shot : shots)
      plot.shots.push_back({shot.number, shot.firstFrame, shot.lastFrame, shot.verdict});
    setBands(plot, info.key, content.limits.of(info.key), referenceHeight(content));
    bool any = false;
    for (const auto& [measure, colour] : seriesOf(info.key)) {
      PlotSeries series{qc::measureName(measure), colour, {}};
      for (size_t i = 0; i < content.frames.size(); ++i) {
        const qc::FrameRecord& record = content.frames[i];
        const auto& value = record.values[qc::measureIndex(measure)];
        const auto& keyVerdict = assessments[i].byKey[static_cast<size_t>(info.key)];
        if (!value || !keyVerdict || assessments[i].verdict == qc::Verdict::Inconclusive) continue;
        series.points.push_back({record.frame, plotted(measure, *value), *keyVerdict,
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
    plots.push_back({info.key, svgPlot(plot), plot.unit,
                     std::string(lookOf(info.key).what) + ". " +
                         bandNote(info.key, content.limits.of(info.key)),
                     lines});
  }
  return plots;
}

}  // namespace stereolint::report
