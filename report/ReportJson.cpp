#include "report/ReportJson.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <sstream>

#include <nlohmann/json.hpp>

#include "qc/QcSession.h"
#include "report/Base64.h"
#include "report/ShotEyes.h"
#include "util/ToolFacts.h"

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

// The program writing the document (that of the merge for a merged one).
Json toolJson() {
  const ToolFacts& facts = toolFacts();
  Json libraries = Json::object();
  for (const auto& [name, version] : facts.libraries) libraries[name] = version;
  return Json{{"program", facts.program},
              {"version", facts.version},
              {"revision", facts.revision},
              {"libraries", libraries}};
}

Json countsJson(const std::array<int, qc::kVerdictCount>& counts) {
  Json json = Json::object();
  for (int i = 0; i < qc::kVerdictCount; ++i)
    json[qc::verdictName(static_cast<Verdict>(i))] = counts[static_cast<size_t>(i)];
  return json;
}

// A signature as a frame record gives it: the contrast and the thumbnail
// in base64, each null when unknown.
void addSignature(Json& json, const qc::FrameSignature& signature) {
  json["contrast"] = signature.contrast >= 0 ? Json(signature.contrast) : Json(nullptr);
  json["signature"] = signature.known() ? Json(base64Encode(signature.thumbnail)) : Json(nullptr);
}

Json takeJson(const TakeInfo& take, const qc::Timecode& timecode) {
  Json json{{"name", take.name},
              {"inputs", take.inputs},
              {"frame_count", take.frameCount},
              {"first_frame", take.firstFrame},
              {"frame_rate", orNull(take.frameRate)},
              {"timecode_rate", timecode.known() ? Json(timecode.nominalRate()) : Json(nullptr)},
              {"start_timecode", timecode.known() ? Json(*timecode.of(take.firstFrame)) : Json(nullptr)},
              {"paths", take.paths},
              {"read", take.read ? Json(*take.read) : Json(nullptr)},
              {"read_to_end", take.readToEnd}};
  // Only parts that start after the take's first place have the key.
  if (take.joinBefore) {
    Json join{{"frame", take.joinBefore->frame}};
    addSignature(join, take.joinBefore->signature);
    json["join_before"] = join;
  }
  return json;
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

Json shotScanJson(const std::optional<qc::ShotScan>& scan) {
  if (!scan) return nullptr;
  Json first = Json::object();
  Json last = Json::object();
  addSignature(first, scan->first);
  addSignature(last, scan->last);
  return Json{
      {"starts", scan->starts}, {"last_frame", scan->lastFrame}, {"first", first}, {"last", last}};
}

// The verdict under each limit judged, by the limit's key ("PARALLAX" for
// the depth budget).
Json verdictsJson(const std::array<std::optional<Verdict>, kMeasureCount>& byLimit) {
  Json json = Json::object();
  for (Measure owner : limitOwners())
    if (const auto& verdict = byLimit[measureIndex(owner)])
      json[measureInfo(owner).limitKey] = qc::verdictName(*verdict);
  return json;
}

// A frame's parallax histogram, compact: its range and the bins' shares in
// ten-thousandths as one line of whole numbers ("0 0 12 845 …").
Json frameDepthJson(const DepthDetail& depth) {
  std::string shares;
  for (std::uint16_t share : depth.histogram.shares)
    shares += (shares.empty() ? "" : " ") + std::to_string(share);
  return Json{{"window_left", depth.windowLeftPercent},
              {"window_right", depth.windowRightPercent},
              {"floating_window", depth.floatingWindowPixels},
              {"histogram", Json{{"from", depth.histogram.fromPercent},
                                 {"to", depth.histogram.toPercent},
                                 {"shares", shares}}}};
}

// The histogram of the frame standing for a shot, for people and plots:
// each bin's share in percent of the pixels with a parallax.
Json shotDepthJson(const FrameRecord& record) {
  const ParallaxHistogram& histogram = record.depth->histogram;
  Json percent = Json::array();
  for (int i = 0; i < ParallaxHistogram::kBins; ++i) percent.push_back(histogram.percentOf(i));
  return Json{{"frame", record.frame},
              {"from", histogram.fromPercent},
              {"to", histogram.toPercent},
              {"bin_width", histogram.binWidth()},
              {"percent", percent}};
}

// A colour decision as its ten numbers, in the order of the EYES block's
// CDL line: red, green, blue slope, offset and power, then saturation.
Json decisionJson(const ColourDecision& decision) {
  Json numbers = Json::array();
  for (const auto* triple : {&decision.slope, &decision.offset, &decision.power})
    for (double value : *triple) numbers.push_back(value);
  numbers.push_back(decision.saturation);
  return numbers;
}

Json eyeName(const std::optional<Eye>& eye) {
  if (!eye) return nullptr;
  return *eye == Eye::Right ? "right" : "left";
}

// How the shot's eyes differ, as the page's Eyes section gives it.
Json shotEyesJson(const ShotEyes& eyes) {
  return Json{{"luminance", orNull(eyes.luminance)},
              {"brighter", eyeName(eyes.brighter())},
              {"colour", orNull(eyes.colour)},
              {"sharpness", orNull(eyes.sharpness)},
              {"softer", eyeName(eyes.softer())},
              {"detail_lost", orNull(eyes.detailLostPercent())},
              {"worst_frame", orNull(eyes.worstFrame)},
              {"highlight_area", orNull(eyes.highlightArea)},
              {"cdl", eyes.decision ? decisionJson(*eyes.decision) : Json(nullptr)},
              {"cdl_frames", eyes.decisionFrames},
              {"sop_sat", eyes.decision ? Json(colourDecisionSopText(*eyes.decision))
                                        : Json(nullptr)}};
}

Json frameJson(const FrameRecord& record, const qc::QcLimits& limits,
               const qc::Timecode& timecode) {
  const qc::FrameAssessment assessment = qc::assessFrame(record, limits);
  Json json{{"frame", record.frame},
              {"timecode", orNull(timecode.of(record.frame))},
              {"verdict", qc::verdictName(assessment.verdict)},
              {"reason", assessment.reason},
              {"verdicts", verdictsJson(assessment.byLimit)},
              {"width", record.viewSize.width},
              {"height", record.viewSize.height},
              {"values", valuesJson(record.values)},
              {"points", orNull(record.points)},
              {"status", record.status ? frameStatusName(*record.status) : ""}};
  addSignature(json, record.signature);
  if (record.depth) json["depth"] = frameDepthJson(*record.depth);
  if (record.colour) json["cdl"] = decisionJson(*record.colour);
  return json;
}

// A shot's correction under --corrections: the words, the crop and each
// eye's homography (see corrections.json for the whole warps).
Json correctionJson(const corrections::ShotCorrection& c) {
  const auto matrix = [](const cv::Matx33d& m) {
    Json rows = Json::array();
    for (int r = 0; r < 3; ++r) rows.push_back(Json::array({m(r, 0), m(r, 1), m(r, 2)}));
    return rows;
  };
  return Json{{"corrected", c.applies},
              {"text", c.words},
              {"crop_percent", c.cropPercent()},
              {"crop_large", c.cropPercent() > corrections::kLargeCropPercent},
              {"shift_percent", c.shiftPercent},
              {"floating_window", c.floatingWindow},
              {"left", matrix(c.eyes[0].alignment)},
              {"right", matrix(c.eyes[1].alignment)}};
}

Json shotJson(const Shot& shot, const qc::Timecode& timecode,
              const std::optional<corrections::ShotCorrection>& correction,
              const FrameRecord* depthFrame, const std::optional<ShotEyes>& eyes) {
  Json measures = Json::object();
  for (const qc::MeasureSummary& summary : shot.measures)
    measures[measureName(summary.measure)] = Json{
        {"median", summary.median}, {"worst", summary.worst}, {"worst_frame", summary.worstFrame}};
  Json json{{"shot", shot.number},
              {"first_frame", shot.firstFrame},
              {"last_frame", shot.lastFrame},
              {"first_timecode", orNull(timecode.of(shot.firstFrame))},
              {"last_timecode", orNull(timecode.of(shot.lastFrame))},
              {"frames", shot.frameCount},
              {"verdict", qc::verdictName(shot.verdict)},
              {"reason", shot.reason},
              {"verdicts", verdictsJson(shot.byLimit)},
              {"correction", qc::correctionsText(shot.findings)},
              {"eyes", shot.eyes},
              {"worst_frame", orNull(shot.worstFrame)},
              {"worst_measure", shot.worstMeasure ? Json(measureName(*shot.worstMeasure))
                                                  : Json(nullptr)},
              {"worst_value", shot.worstMeasure ? Json(shot.worstValue) : Json(nullptr)},
              {"measures", measures},
              {"outliers", shot.outliers},
              {"inconclusive_frames", shot.inconclusiveFrames}};
  if (correction) json["corrections"] = correctionJson(*correction);
  if (depthFrame != nullptr) json["depth"] = shotDepthJson(*depthFrame);
  if (eyes) json["eye_match"] = shotEyesJson(*eyes);
  return json;
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
  std::vector<Shot> shots = qc::shotsOf(*frames, content.limits, content.shotScan);
  qc::applyEyeSync(shots, content.eyeSync);
  const qc::TakeSummary take = qc::summarizeTake(shots, *frames, content.limits);
  Json settings = Json::object();
  for (const auto& [name, value] : content.settings) settings[name] = value;
  const Json head{{"schema", kReportSchema},
                  {"schema_version", kReportSchemaVersion},
                  {"tool", toolJson()},
                  {"take", takeJson(content.take, timecode)},
                  {"eye_sync", eyeSyncJson(content.eyeSync)},
                  {"settings", settings},
                  {"limits", limitsJson(content.limits)},
                  {"stopped", content.stoppedBy.empty() ? Json(nullptr) : Json(content.stoppedBy)},
                  {"shot_scan", shotScanJson(content.shotScan)},
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
  writeList(out, "shots", shots.size(), [&](size_t i) {
    std::optional<corrections::ShotCorrection> correction;
    if (content.corrections)
      correction =
          corrections::correctShot(shots[i], *frames, content.limits, *content.corrections);
    return shotJson(shots[i], timecode, correction, shotDepthFrame(*frames, shots[i]),
                    shotEyes(*frames, shots[i]));
  });
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

}  // namespace stereolint::report
