#include "report/ReportJson.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <sstream>

#include <nlohmann/json.hpp>

#include "qc/QcSession.h"
#include "report/Base64.h"

namespace stereolint::report {

namespace {

using Json = nlohmann::ordered_json;
using qc::FrameRecord;
using qc::Shot;
using qc::Verdict;

template <typename T>
Json orNull(const std::optional<T>& value) {
  return value ? Json(*value) : Json(nullptr);
}

Json countsJson(const std::array<int, qc::kVerdictCount>& counts) {
  Json json = Json::object();
  for (int i = 0; i < qc::kVerdictCount; ++i)
    json[qc::verdictName(static_cast<Verdict>(i))] = counts[static_cast<size_t>(i)];
  return json;
}

Json takeJson(const TakeInfo& take, const qc::Timecode& timecode) {
  return Json{{"name", take.name},
              {"inputs", take.inputs},
              {"frame_count", take.frameCount},
              {"frame_rate", orNull(take.frameRate)},
              {"timecode_rate", timecode.known() ? Json(timecode.nominalRate()) : Json(nullptr)},
              {"start_timecode", timecode.known() ? Json(*timecode.of(1)) : Json(nullptr)}};
}

Json limitsJson(const qc::QcLimits& limits) {
  Json json{{"text", qc::limitsText(limits)}};
  for (Measure owner : limitOwners()) {
    const MeasureInfo& info = measureInfo(owner);
    const std::string pair = qc::limitPairText(owner, limits.of(owner));
    const size_t slash = pair.find('/');
    const bool parallax = isBudget(owner);
    json[info.limitKey] = Json{{parallax ? "near" : "pass", pair.substr(0, slash)},
                           {parallax ? "far" : "fix", pair.substr(slash + 1)}};
  }
  return json;
}

Json valuesJson(const MeasureValues& values) {
  Json json = Json::object();
  for (Measure measure : kAllMeasures)
    if (const auto& value = values[measureIndex(measure)]) json[measureName(measure)] = *value;
  return json;
}

Json frameJson(const FrameRecord& record, const qc::QcLimits& limits,
               const qc::Timecode& timecode) {
  const qc::FrameAssessment assessment = qc::assessFrame(record, limits);
  const qc::FrameSignature& signature = record.signature;
  return Json{{"frame", record.frame},
              {"timecode", orNull(timecode.of(record.frame))},
              {"verdict", qc::verdictName(assessment.verdict)},
              {"reason", assessment.reason},
              {"width", record.viewSize.width},
              {"height", record.viewSize.height},
              {"values", valuesJson(record.values)},
              {"points", orNull(record.points)},
              {"status", record.status ? frameStatusName(*record.status) : ""},
              {"contrast", signature.contrast >= 0 ? Json(signature.contrast) : Json(nullptr)},
              {"signature", signature.known() ? Json(base64Encode(signature.thumbnail))
                                              : Json(nullptr)}};
}

Json shotJson(const Shot& shot, const qc::Timecode& timecode) {
  Json measures = Json::object();
  for (const qc::MeasureSummary& summary : shot.measures)
    measures[measureName(summary.measure)] = Json{
        {"median", summary.median}, {"worst", summary.worst}, {"worst_frame", summary.worstFrame}};
  return Json{{"shot", shot.number},
              {"first_frame", shot.firstFrame},
              {"last_frame", shot.lastFrame},
              {"first_timecode", orNull(timecode.of(shot.firstFrame))},
              {"last_timecode", orNull(timecode.of(shot.lastFrame))},
              {"frames", shot.frameCount},
              {"verdict", qc::verdictName(shot.verdict)},
              {"reason", shot.reason},
              {"worst_frame", orNull(shot.worstFrame)},
              {"worst_measure", shot.worstMeasure ? Json(measureName(*shot.worstMeasure))
                                                  : Json(nullptr)},
              {"worst_value", shot.worstMeasure ? Json(shot.worstValue) : Json(nullptr)},
              {"measures", measures},
              {"outliers", shot.outliers},
              {"inconclusive_frames", shot.inconclusiveFrames}};
}

// "behind": the late eye, or null when the eyes are in step or nothing was
// measured.
Json eyeSyncJson(const qc::EyeSync& sync) {
  const bool measured = sync.status == qc::EyeSyncStatus::Measured;
  Json behind = nullptr;
  if (measured && sync.offset != 0) behind = sync.offset > 0 ? "right" : "left";
  return Json{{"status", qc::eyeSyncStatusName(sync.status)},
              {"offset", measured ? Json(std::abs(sync.offset)) : Json(nullptr)},
              {"behind", behind},
              {"confidence", measured ? Json(sync.confidence) : Json(nullptr)},
              {"reason", sync.reason},
              {"frames_compared", sync.framesCompared},
              {"left_frames", orNull(sync.leftFrames)},
              {"right_frames", orNull(sync.rightFrames)}};
}

qc::EyeSync eyeSyncFromJson(const Json& json) {
  qc::EyeSync sync;
  const auto status = qc::eyeSyncStatusFromName(json.at("status").get<std::string>());
  if (!status) throw std::runtime_error("eye_sync has an unknown status");
  sync.status = *status;
  if (sync.status == qc::EyeSyncStatus::Measured) {
    sync.offset = json.at("offset").get<int>();
    if (json.at("behind") == "left") sync.offset = -sync.offset;
    sync.confidence = json.at("confidence").get<double>();
  }
  sync.reason = json.at("reason").get<std::string>();
  sync.framesCompared = json.at("frames_compared").get<int>();
  if (!json.at("left_frames").is_null()) sync.leftFrames = json.at("left_frames").get<std::int64_t>();
  if (!json.at("right_frames").is_null())
    sync.rightFrames = json.at("right_frames").get<std::int64_t>();
  return sync;
}

FrameRecord frameFromJson(const Json& json) {
  FrameRecord record;
  record.frame = json.at("frame").get<int>();
  record.viewSize = cv::Size(json.at("width").get<int>(), json.at("height").get<int>());
  for (const auto& [name, value] : json.at("values").items()) {
    const std::optional<Measure> measure = measureFromName(name);
    if (!measure) throw std::runtime_error("unknown measure \"" + name + "\"");
    record.values[measureIndex(*measure)] = value.get<double>();
  }
  if (!json.at("points").is_null()) record.points = json.at("points").get<int>();
  record.status = frameStatusFromName(json.at("status").get<std::string>());
  // The verdict's reason reads back as the record's own: judged again, the
  // frame gets the same verdict and reason.
  if (json.at("verdict").get<std::string>() == qc::verdictName(Verdict::Inconclusive))
    record.inconclusiveReason = json.at("reason").get<std::string>();
  if (!json.at("contrast").is_null()) record.signature.contrast = json.at("contrast").get<double>();
  if (!json.at("signature").is_null()) {
    auto bytes = base64Decode(json.at("signature").get<std::string>());
    if (!bytes || bytes->size() != qc::kThumbnailWidth * qc::kThumbnailHeight)
      throw std::runtime_error("frame " + std::to_string(record.frame) +
                               " has an unreadable signature");
    record.signature.thumbnail = std::move(*bytes);
  }
  return record;
}

TakeInfo takeFromJson(const Json& json) {
  TakeInfo take;
  take.name = json.at("name").get<std::string>();
  take.inputs = json.at("inputs").get<std::vector<std::string>>();
  take.frameCount = json.at("frame_count").get<int>();
  if (!json.at("frame_rate").is_null()) take.frameRate = json.at("frame_rate").get<double>();
  if (!json.at("start_timecode").is_null())
    take.startTimecode = json.at("start_timecode").get<std::string>();
  return take;
}

Expected<ReportContent> contentFromJson(const Json& json, const std::string& source) {
  if (!json.is_object() || json.value("schema", "") != kReportSchema)
    return Failure{source + " is no quality control report of this program"};
  if (json.at("schema_version") != kReportSchemaVersion)
    return Failure{source + " has schema version " + json.at("schema_version").dump() +
                   "; this program reads version " + std::to_string(kReportSchemaVersion)};
  ReportContent content;
  content.take = takeFromJson(json.at("take"));
  for (const auto& [name, value] : json.at("settings").items())
    content.settings.emplace_back(name, value.get<std::string>());
  Expected<qc::QcLimits> limits = qc::parseLimits(json.at("limits").at("text").get<std::string>());
  if (!limits) return Failure{source + " has limits that cannot be read: " + limits.error()};
  content.limits = limits.value();
  for (const Json& frame : json.at("frames")) content.frames.push_back(frameFromJson(frame));
  // Reports written before the eyes' timing was measured lack the key.
  if (json.contains("eye_sync")) content.eyeSync = eyeSyncFromJson(json.at("eye_sync"));
  // Reports written before runs said they were stopped lack the key.
  if (json.contains("stopped") && !json.at("stopped").is_null())
    content.stoppedBy = json.at("stopped").get<std::string>();
  return content;
}

}  // namespace

namespace {

std::string dumped(const Json& value) {
  // File names need not be UTF-8; a byte that is not becomes U+FFFD rather
  // than losing the report.
  return value.dump(2, ' ', false, Json::error_handler_t::replace);
}

// `text` with `indent` before each of its lines.
void writeIndented(std::ostream& out, const std::string& text, const char* indent) {
  size_t start = 0;
  for (size_t end = text.find('\n'); ; end = text.find('\n', start)) {
    out << indent;
    out.write(text.data() + start, static_cast<std::streamsize>(
                                       (end == std::string::npos ? text.size() : end + 1) - start));
    if (end == std::string::npos) return;
    start = end + 1;
  }
}

// The member `key` of the document, a list of `count` items, written item
// by item in the form Json::dump(2) gives a list two levels deep.
void writeList(std::ostream& out, const char* key, size_t count,
               const std::function<Json(size_t)>& item) {
  out << ",\n  \"" << key << "\": ";
  if (count == 0) {
    out << "[]";
    return;
  }
  out << "[\n";
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) out << ",\n";
    writeIndented(out, dumped(item(i)), "    ");
  }
  out << "\n  ]";
}

}  // namespace

void writeReportJson(std::ostream& out, const ReportContent& content) {
  const qc::Timecode timecode = content.timecode();
  const auto byNumber = [](const FrameRecord& a, const FrameRecord& b) { return a.frame < b.frame; };
  // Frames in order are used where they lie: a copy would double the
  // memory of a long take.
  std::vector<FrameRecord> sortedCopy;
  const std::vector<FrameRecord>* frames = &content.frames;
  if (!std::is_sorted(content.frames.begin(), content.frames.end(), byNumber)) {
    sortedCopy = content.frames;
    std::sort(sortedCopy.begin(), sortedCopy.end(), byNumber);
    frames = &sortedCopy;
  }
  const std::vector<Shot> shots = qc::shotsOf(*frames, content.limits);
  const qc::TakeSummary take = qc::summarizeTake(shots, *frames, content.limits);
  Json settings = Json::object();
  for (const auto& [name, value] : content.settings) settings[name] = value;
  const Json head{{"schema", kReportSchema},
                  {"schema_version", kReportSchemaVersion},
                  {"take", takeJson(content.take, timecode)},
                  {"eye_sync", eyeSyncJson(content.eyeSync)},
                  {"settings", settings},
                  {"limits", limitsJson(content.limits)},
                  {"stopped", content.stoppedBy.empty() ? Json(nullptr) : Json(content.stoppedBy)},
                  {"verdict",
                   Json{{"take", content.stoppedBy.empty() ? Json(qc::verdictName(take.verdict))
                                                           : Json(nullptr)},
                        {"frame_count", take.frameCount},
                        {"shots", countsJson(take.shotsByVerdict)},
                        {"frames", countsJson(take.framesByVerdict)}}}};
  // The document is the two-space form of one object whose last members
  // are the shots and the frames; those two are written an item at a time,
  // so that no whole document of a long take is held.
  const std::string text = dumped(head);
  out.write(text.data(), static_cast<std::streamsize>(text.size() - 2));  // without "\n}"
  writeList(out, "shots", shots.size(), [&](size_t i) { return shotJson(shots[i], timecode); });
  writeList(out, "frames", frames->size(), [&](size_t i) {
    return frameJson((*frames)[i], content.limits, timecode);
  });
  out << "\n}\n";
}

std::string reportJson(const ReportContent& content) {
  std::ostringstream text;
  writeReportJson(text, content);
  return text.str();
}

Expected<ReportContent> readReportJson(const std::string& text, const std::string& source) {
  try {
    return contentFromJson(Json::parse(text), source);
  } catch (const nlohmann::json::exception& error) {
    return Failure{source + " cannot be read as a report: " + error.what()};
  } catch (const std::runtime_error& error) {
    return Failure{source + " cannot be read as a report: " + error.what()};
  }
}

}  // namespace stereolint::report
