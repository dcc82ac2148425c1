#include "report/ReportMerge.h"

#include <algorithm>
#include <climits>
#include <map>
#include <optional>
#include <sstream>

namespace stereolint::report {

namespace {

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

std::string joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : ", ") + quoted(word);
  return text;
}

std::string rateText(const std::optional<double>& rate) {
  if (!rate) return "none";
  std::ostringstream text;
  text << *rate;
  return text.str();
}

std::string settingsText(const std::vector<std::pair<std::string, std::string>>& settings) {
  std::string text;
  for (const auto& [name, value] : settings)
    text += (text.empty() ? "" : ", ") + name + "=" + quoted(value);
  return text.empty() ? "none" : text;
}

// What differs between two reports' take, settings and limits, or nothing.
std::optional<std::string> difference(const ReportContent& a, const ReportContent& b) {
  auto differ = [](const std::string& what, const std::string& first, const std::string& second) {
    return what + " (" + first + " and " + second + ")";
  };
  if (a.take.name != b.take.name) return differ("the take", quoted(a.take.name), quoted(b.take.name));
  if (a.take.inputs != b.take.inputs)
    return differ("the inputs", joined(a.take.inputs), joined(b.take.inputs));
  if (a.take.frameCount != b.take.frameCount)
    return differ("the frame count", std::to_string(a.take.frameCount),
                  std::to_string(b.take.frameCount));
  if (a.take.frameRate != b.take.frameRate)
    return differ("the frame rate", rateText(a.take.frameRate), rateText(b.take.frameRate));
  if (a.take.startTimecode != b.take.startTimecode)
    return differ("the start timecode", a.take.startTimecode.value_or("none"),
                  b.take.startTimecode.value_or("none"));
  if (a.settings != b.settings)
    return differ("the settings", settingsText(a.settings), settingsText(b.settings));
  if (!(a.limits == b.limits))
    return differ("the limits", qc::limitsText(a.limits), qc::limitsText(b.limits));
  return std::nullopt;
}

}  // namespace

Expected<ReportContent> mergeReports(const std::vector<SourcedReport>& reports) {
  if (reports.empty()) return Failure{"No report to merge"};
  const SourcedReport& first = reports.front();
  std::map<int, std::pair<const qc::FrameRecord*, const std::string*>> frames;
  for (const SourcedReport& report : reports) {
    if (!report.content.stoppedBy.empty())
      return Failure{"Cannot merge " + report.source + ": its run was stopped by " +
                     report.content.stoppedBy + " before its end; run that part again"};
    if (auto what = difference(first.content, report.content))
      return Failure{"Cannot merge " + first.source + " and " + report.source +
                     ": they differ in " + *what};
    for (const qc::FrameRecord& record : report.content.frames) {
      const auto [place, added] = frames.emplace(record.frame, std::make_pair(&record, &report.source));
      if (!added && !(*place->second.first == record))
        return Failure{"Cannot merge " + *place->second.second + " and " + report.source +
                       ": frame " + std::to_string(record.frame) + " differs between them"};
    }
  }
  ReportContent merged = first.content;
  // Each part estimates the eyes' timing from the first frames of its own
  // range: the estimate of more frames wins, and of as many, the one from
  // earlier in the take, which a single run over the whole take makes too.
  const auto firstFrame = [](const ReportContent& content) {
    int frame = INT_MAX;
    for (const qc::FrameRecord& record : content.frames) frame = std::min(frame, record.frame);
    return frame;
  };
  int chosenFirst = firstFrame(first.content);
  for (const SourcedReport& report : reports) {
    const qc::EyeSync& sync = report.content.eyeSync;
    const int start = firstFrame(report.content);
    if (sync.framesCompared > merged.eyeSync.framesCompared ||
        (sync.framesCompared == merged.eyeSync.framesCompared && start < chosenFirst)) {
      merged.eyeSync = sync;
      chosenFirst = start;
    }
  }
  merged.frames.clear();
  for (const auto& entry : frames) merged.frames.push_back(*entry.second.first);
  // Each part's reading pass saw its own range only: the shots of the
  // merged take are found again from the frames' signatures.
  merged.shotScan.reset();
  return merged;
}

}  // namespace stereolint::report
