#include "qc/ConsoleLines.h"

#include <cctype>

namespace stereolint::qc {

namespace {

// Lists beyond this many frames end in "…" to keep the line short.
constexpr size_t kListedOutliers = 5;

std::string frameRange(const Shot& shot, const Timecode& timecode) {
  std::string text = shot.firstFrame == shot.lastFrame
                         ? "frame " + std::to_string(shot.firstFrame)
                         : "frames " + std::to_string(shot.firstFrame) + "-" +
                               std::to_string(shot.lastFrame);
  if (timecode.known()) {
    text += " (" + *timecode.of(shot.firstFrame);
    if (shot.lastFrame != shot.firstFrame) text += "-" + *timecode.of(shot.lastFrame);
    text += ")";
  }
  return text;
}

}  // namespace

std::string shotLine(const Shot& shot, const Timecode& timecode) {
  std::string line = "Shot " + std::to_string(shot.number) + " " + verdictName(shot.verdict) +
                     ": " + frameRange(shot, timecode);
  if (shot.verdict == Verdict::Inconclusive) return line + ", " + shot.reason;
  if (shot.decidedAtCut) {
    for (const MeasureSummary& summary : shot.measures)
      if (summary.measure == *shot.decidedAtCut)
        line += ", worst " + std::string(measureName(summary.measure)) + " " +
                formatMeasureValue(summary.measure, summary.worst) + " at the cut before frame " +
                std::to_string(shot.firstFrame);
  } else if (shot.worstFrame && shot.worstMeasure)
    line += ", worst " + std::string(measureName(*shot.worstMeasure)) + " " +
            formatMeasureValue(*shot.worstMeasure, shot.worstValue) + " at frame " +
            std::to_string(*shot.worstFrame);
  if (!shot.outliers.empty()) {
    line += "; single frames beyond: ";
    for (size_t i = 0; i < shot.outliers.size() && i < kListedOutliers; ++i)
      line += (i == 0 ? "" : ", ") + std::to_string(shot.outliers[i]);
    if (shot.outliers.size() > kListedOutliers) line += ", …";
  }
  return line;
}

std::string takeLine(const TakeSummary& take) {
  int shots = 0;
  std::string counts;
  for (int i = 0; i < kVerdictCount; ++i) {
    const int count = take.shotsByVerdict[static_cast<size_t>(i)];
    shots += count;
    if (count > 0)
      counts += (counts.empty() ? "" : ", ") + std::to_string(count) + " " +
                verdictName(static_cast<Verdict>(i));
  }
  std::string line = std::string("Take ") + verdictName(take.verdict) + ": " +
                     std::to_string(shots) + (shots == 1 ? " shot" : " shots");
  if (!counts.empty()) line += " (" + counts + ")";
  line += ", " + std::to_string(take.frameCount) + (take.frameCount == 1 ? " frame" : " frames");
  if (take.judgedFrames() == take.frameCount) return line;
  return line + ", " + std::to_string(take.judgedFrames()) + " judged (" +
         std::to_string(static_cast<int>(take.judgedPercent())) + " %)";
}

std::string stoppedTakeLine(const TakeSummary& take, const std::string& stoppedBy) {
  return "Take not judged: stopped by " + stoppedBy + " after " +
         std::to_string(take.frameCount) + (take.frameCount == 1 ? " frame" : " frames");
}

std::string eyesLine(const std::vector<Shot>& shots) {
  for (const Shot& shot : shots) {
    if (shot.eyes.empty()) continue;
    std::string why = shot.eyes;
    why[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(why[0])));
    return "Eyes REJECT: " + why + "; every judged shot is REJECT";
  }
  return "";
}

std::string swappedEyesLine(const std::vector<Shot>& shots) {
  std::string list;
  int count = 0;
  for (const Shot& shot : shots) {
    const auto& verdict = shot.byLimit[measureIndex(Measure::EyeOrder)];
    if (!verdict || *verdict != Verdict::Reject) continue;
    list += (list.empty() ? "" : ", ") + std::to_string(shot.number);
    ++count;
  }
  if (count == 0) return "";
  return "Eyes SWAPPED in " + std::string(count == 1 ? "shot " : "shots ") + list + ": " +
         (count == 1 ? "its" : "their") +
         " left and right views are the wrong way round (a nearer surface shows what only a "
         "farther one can hide)";
}

}  // namespace stereolint::qc
