#include "qc/FrameRecord.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>

#include "results/ResultKeys.h"

namespace stereolint::qc {

namespace {

constexpr const char* kAlignment = "ALIGNMENT";
constexpr const char* kPoints = "POINTS";
constexpr const char* kStatus = "STATUS";
constexpr std::string_view kInconclusiveWord = "INCONCLUSIVE";

const Result::KeyValue* findValue(const Result& result, std::string_view key) {
  for (const Result::KeyValue* entry : result.getKeyValues())
    if (entry->getKey() == key) return entry;
  return nullptr;
}

std::optional<double> finiteNumber(const Result& result, std::string_view key) {
  const Result::KeyValue* entry = findValue(result, key);
  if (entry == nullptr || entry->hasText() || !std::isfinite(entry->getValue())) return std::nullopt;
  return entry->getValue();
}

void takePoints(FrameRecord& record, std::optional<double> points) {
  if (!points) return;
  const int count = static_cast<int>(std::lround(std::clamp(*points, 0.0, 1e9)));
  record.points = record.points ? std::min(*record.points, count) : count;
}

void readAlignment(const Result& result, FrameRecord& record) {
  for (Measure measure : kAllMeasures)
    record.values[measureIndex(measure)] = finiteNumber(result, measureName(measure));
  takePoints(record, finiteNumber(result, kPoints));
  const Result::KeyValue* status = findValue(result, kStatus);
  if (status == nullptr || !status->hasText()) return;
  const std::string& text = status->getText();
  if (text.compare(0, kInconclusiveWord.size(), kInconclusiveWord) == 0) {
    record.status = std::string(kInconclusiveWord);
    std::string reason = text.substr(kInconclusiveWord.size());
    reason.erase(0, reason.find_first_not_of(' '));
    record.inconclusiveReason = reason.empty() ? "the method found the frame inconclusive" : reason;
  } else {
    record.status = text;
  }
}

void readStep(const Result& result, Measure measure, FrameRecord& record) {
  const std::optional<double> median = finiteNumber(result, keys::kMedian);
  takePoints(record, finiteNumber(result, keys::kCalculationPoints));
  if (median) {
    record.values[measureIndex(measure)] = median;
  } else if (record.inconclusiveReason.empty()) {
    record.inconclusiveReason = std::string(measureName(measure)) + ": no matched points";
  }
}

}  // namespace

bool FrameRecord::operator==(const FrameRecord& other) const {
  return frame == other.frame && viewSize == other.viewSize && values == other.values &&
         points == other.points && status == other.status &&
         inconclusiveReason == other.inconclusiveReason && signature == other.signature;
}

FrameRecord recordFromResults(int frame, const Results& results, cv::Size viewSize,
                              FrameSignature signature) {
  FrameRecord record;
  record.frame = frame;
  record.viewSize = viewSize;
  record.signature = std::move(signature);
  for (const auto& result : results)
    if (result && result->getName() == kAlignment) {
      readAlignment(*result, record);
      return record;
    }
  const std::pair<const char*, Measure> steps[] = {{keys::kVertical, Measure::Vertical},
                                                   {keys::kRotation, Measure::Rotation},
                                                   {keys::kScale, Measure::Scale}};
  bool any = false;
  for (const auto& result : results) {
    if (!result) continue;
    for (const auto& [name, measure] : steps)
      if (result->getName() == name) {
        readStep(*result, measure, record);
        any = true;
      }
  }
  if (!any) record.inconclusiveReason = "no measurement";
  return record;
}

FrameRecord failedFrameRecord(int frame, std::string reason, FrameSignature signature) {
  FrameRecord record;
  record.frame = frame;
  record.inconclusiveReason = std::move(reason);
  record.signature = std::move(signature);
  return record;
}

}  // namespace stereolint::qc
