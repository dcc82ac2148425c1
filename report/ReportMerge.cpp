#include "report/ReportMerge.h"

#include <algorithm>
#include <climits>
#include <map>
#include <optional>
#include <sstream>

#include "qc/FrameSignature.h"

namespace stereolint::report {

namespace {

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

std::string joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : ", ") + quoted(word);
  return text;
}

std::string sizeText(cv::Size size) {
  return std::to_string(size.width) + " x " + std::to_string(size.height);
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
  // Reports that do not record their paths are told apart by base names.
  if (!a.take.paths.empty() && !b.take.paths.empty() && a.take.paths != b.take.paths)
    return differ("the input paths", joined(a.take.paths), joined(b.take.paths));
  if (a.take.startTimecode != b.take.startTimecode)
    return differ("the start timecode", a.take.startTimecode.value_or("none"),
                  b.take.startTimecode.value_or("none"));
  if (a.settings != b.settings)
    return differ("the settings", settingsText(a.settings), settingsText(b.settings));
  if (!(a.limits == b.limits))
    return differ("the limits", qc::limitsText(a.limits), qc::limitsText(b.limits));
  return std::nullopt;
}

// The size of the views of a report's frames (those that were read), or
// none.
std::optional<cv::Size> viewSizeOf(const ReportContent& content) {
  for (const qc::FrameRecord& record : content.frames)
    if (!record.viewSize.empty()) return record.viewSize;
  return std::nullopt;
}

std::string rangeText(int first, int last) {
  return first == last ? std::to_string(first)
                       : std::to_string(first) + " to " + std::to_string(last);
}

// The places of the take that none of `read` (a union of ranges) holds:
// before, between and, unless a part read to the end, after them up to the
// take's frame count: "frames 7 to 10", "frames 9 to 16 and 30", "frame 7";
// empty when none.
std::string missingPlaces(const PlaceRanges& read, bool toEnd, int frameCount) {
  std::vector<std::string> gaps;
  long long next = 1;
  for (const auto& [first, last] : read) {
    if (first > next) gaps.push_back(rangeText(static_cast<int>(next), first - 1));
    next = last + 1LL;
  }
  if (!toEnd && next <= frameCount) gaps.push_back(rangeText(static_cast<int>(next), frameCount));
  std::string text;
  for (size_t k = 0; k < gaps.size(); ++k)
    text += (k == 0 ? "" : k + 1 == gaps.size() ? " and " : ", ") + gaps[k];
  if (text.empty()) return text;
  const bool one = gaps.size() == 1 && gaps.front().find(' ') == std::string::npos;
  return (one ? "frame " : "frames ") + text;
}

// Sets the take's ranges read to those of every part together, and says
// which places of the take no part read. Reports that do not record their
// ranges are not checked.
std::optional<std::string> coverTake(const std::vector<SourcedReport>& reports, TakeInfo& take) {
  PlaceRanges read;
  bool toEnd = false;
  for (const SourcedReport& report : reports) {
    if (!report.content.take.read) {
      take.read.reset();
      take.readToEnd = false;
      return std::nullopt;
    }
    read.insert(read.end(), report.content.take.read->begin(), report.content.take.read->end());
    toEnd = toEnd || report.content.take.readToEnd;
  }
  take.read = rangesUnion(std::move(read));
  take.readToEnd = toEnd;
  const std::string missing = missingPlaces(*take.read, toEnd, take.frameCount);
  if (missing.empty()) return std::nullopt;
  return "Cannot merge the parts of " + quoted(take.name) + ": no part read " + missing +
         " (counted from 1, as -s counts them); measure them too and merge again";
}

// Each report's frames by number, with the source of the report holding it.
using FramesHeld = std::map<int, std::pair<const qc::FrameRecord*, const std::string*>>;

// Whether each part that starts after the take's first place continues the
// part holding the frame just before it: the picture it signed there must
// be that frame's picture. A part of another take whose inputs have the
// same names and paths (a job started in another folder) fails here. Joins
// whose frame no other report holds, or holds unsigned, are not checked.
std::optional<std::string> brokenJoin(const std::vector<SourcedReport>& reports,
                                      const FramesHeld& frames) {
  for (const SourcedReport& report : reports) {
    const std::optional<TakeJoin>& join = report.content.take.joinBefore;
    if (!join) continue;
    const auto held = frames.find(join->frame);
    if (held == frames.end() || held->second.second == &report.source) continue;
    const qc::FrameSignature& signature = held->second.first->signature;
    if (!signature.known() || signature == join->signature) continue;
    return "Cannot merge " + report.source + ": it does not continue " + *held->second.second +
           ", frame " + std::to_string(join->frame) +
           "'s picture differs between them (parts of two takes whose inputs have the same "
           "names?)";
  }
  return std::nullopt;
}

// The shots the parts' reading passes found, as one pass over the whole
// take finds them: each part's first start is a cut only when its first
// frame's picture differs from the last the part before it read (or, when
// parts overlap, never: the earlier part read that frame). Nothing
// when a part made no pass.
std::optional<qc::ShotScan> mergedScan(const std::vector<SourcedReport>& reports) {
  std::vector<const qc::ShotScan*> scans;
  for (const SourcedReport& report : reports) {
    const std::optional<qc::ShotScan>& scan = report.content.shotScan;
    if (!scan || scan->starts.empty()) return std::nullopt;
    scans.push_back(&*scan);
  }
  std::sort(scans.begin(), scans.end(), [](const qc::ShotScan* a, const qc::ShotScan* b) {
    return a->starts.front() < b->starts.front();
  });
  qc::ShotScan merged = *scans.front();
  for (size_t k = 1; k < scans.size(); ++k) {
    const qc::ShotScan& part = *scans[k];
    const int first = part.starts.front();
    const bool covered = first <= merged.lastFrame;
    const bool continues = first == merged.lastFrame + 1 && merged.last.known() &&
                           part.first.known() && !qc::isCut(merged.last, part.first);
    for (size_t s = covered || continues ? 1 : 0; s < part.starts.size(); ++s)
      if (part.starts[s] > merged.starts.back()) merged.starts.push_back(part.starts[s]);
    if (part.lastFrame >= merged.lastFrame) {
      merged.lastFrame = part.lastFrame;
      merged.last = part.last;
    }
  }
  return merged;
}

}  // namespace

Expected<ReportContent> mergeReports(const std::vector<SourcedReport>& reports) {
  if (reports.empty()) return Failure{"No report to merge"};
  const SourcedReport& first = reports.front();
  FramesHeld frames;
  for (const SourcedReport& report : reports) {
    if (!report.content.stoppedBy.empty())
      return Failure{"Cannot merge " + report.source + ": its run was stopped by " +
                     report.content.stoppedBy + " before its end; run that part again"};
    if (auto what = difference(first.content, report.content))
      return Failure{"Cannot merge " + first.source + " and " + report.source +
                     ": they differ in " + *what};
    const std::optional<cv::Size> firstSize = viewSizeOf(first.content);
    const std::optional<cv::Size> size = viewSizeOf(report.content);
    if (firstSize && size && *firstSize != *size)
      return Failure{"Cannot merge " + first.source + " and " + report.source +
                     ": they differ in the size of the views (" + sizeText(*firstSize) + " and " +
                     sizeText(*size) + ")"};
    for (const qc::FrameRecord& record : report.content.frames) {
      const auto [place, added] = frames.emplace(record.frame, std::make_pair(&record, &report.source));
      if (!added && !(*place->second.first == record))
        return Failure{"Cannot merge " + *place->second.second + " and " + report.source +
                       ": frame " + std::to_string(record.frame) + " differs between them"};
    }
  }
  if (auto broken = brokenJoin(reports, frames)) return Failure{*broken};
  ReportContent merged = first.content;
  // The merged take is read from its first place on: nothing comes before.
  merged.take.joinBefore.reset();
  if (auto missing = coverTake(reports, merged.take)) return Failure{*missing};
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
  merged.shotScan = mergedScan(reports);
  return merged;
}

}  // namespace stereolint::report
