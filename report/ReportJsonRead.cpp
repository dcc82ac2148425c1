// Reading a report.json back (readReportJson in ReportJson.h). Every value
// is checked against what a run can write before it is used: a report
// edited by hand or damaged on its way must not turn into another take's
// numbers (a frame number that wraps around, an offset without a sign).
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <set>
#include <sstream>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "qc/EyeSync.h"
#include "qc/Verdict.h"
#include "report/Base64.h"
#include "report/ReportJson.h"

namespace stereolint::report {

namespace {

using Json = nlohmann::ordered_json;
using qc::FrameRecord;

// A value that cannot be used, its message naming the key ("frames[3].frame
// is 4294967297, not a whole number from 0 to 2147483647").
struct Unusable : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Views must stay below SHRT_MAX pixels (the run refuses larger ones).
constexpr std::int64_t kMostViewPixels = SHRT_MAX - 1;
// Exact in a JSON number as every reader takes it (a double).
constexpr std::int64_t kMostExactCount = std::int64_t{1} << 53;

// A place in the document: "take", "frames[3]", "" for the top.
std::string keyPath(const std::string& where, const std::string& key) {
  return where.empty() ? key : where + "." + key;
}

std::string shown(const Json& value) {
  std::string text = value.dump(-1, ' ', false, Json::error_handler_t::replace);
  return text.size() > 40 ? text.substr(0, 37) + "..." : text;
}

const Json& field(const Json& object, const std::string& where, const std::string& key) {
  if (!object.is_object()) throw Unusable((where.empty() ? "the document" : where) + " is no object");
  const auto found = object.find(key);
  if (found == object.end()) throw Unusable(keyPath(where, key) + " is missing");
  return *found;
}

std::int64_t wholeValue(const Json& value, const std::string& key, std::int64_t least,
                        std::int64_t most) {
  const auto refuse = [&]() {
    return Unusable(key + " is " + shown(value) + ", not a whole number from " +
                    std::to_string(least) + " to " + std::to_string(most));
  };
  std::int64_t number = 0;
  if (value.is_number_unsigned()) {
    const auto unsignedNumber = value.get<std::uint64_t>();
    if (unsignedNumber > static_cast<std::uint64_t>(INT64_MAX)) throw refuse();
    number = static_cast<std::int64_t>(unsignedNumber);
  } else if (value.is_number_integer()) {
    number = value.get<std::int64_t>();
  } else {
    throw refuse();
  }
  if (number < least || number > most) throw refuse();
  return number;
}

std::int64_t whole(const Json& object, const std::string& where, const std::string& key,
                   std::int64_t least, std::int64_t most) {
  return wholeValue(field(object, where, key), keyPath(where, key), least, most);
}

int wholeInt(const Json& object, const std::string& where, const std::string& key, int least,
             int most) {
  return static_cast<int>(whole(object, where, key, least, most));
}

template <typename T>
std::optional<T> wholeOrNull(const Json& object, const std::string& where, const std::string& key,
                             std::int64_t least, std::int64_t most) {
  if (field(object, where, key).is_null()) return std::nullopt;
  return static_cast<T>(whole(object, where, key, least, most));
}

double real(const Json& object, const std::string& where, const std::string& key, double least,
            double most) {
  const Json& value = field(object, where, key);
  const double number = value.is_number() ? value.get<double>() : NAN;
  if (!std::isfinite(number) || number < least || number > most) {
    std::ostringstream range;
    range << least << " to " << most;
    throw Unusable(keyPath(where, key) + " is " + shown(value) + ", not a number from " +
                   range.str());
  }
  return number;
}

std::string text(const Json& object, const std::string& where, const std::string& key) {
  const Json& value = field(object, where, key);
  if (!value.is_string()) throw Unusable(keyPath(where, key) + " is " + shown(value) + ", not a text");
  return value.get<std::string>();
}

std::optional<std::string> textOrNull(const Json& object, const std::string& where,
                                      const std::string& key) {
  if (field(object, where, key).is_null()) return std::nullopt;
  return text(object, where, key);
}

std::vector<std::string> texts(const Json& object, const std::string& where,
                               const std::string& key, size_t least, size_t most) {
  const Json& value = field(object, where, key);
  const std::string path = keyPath(where, key);
  if (!value.is_array() || value.size() < least || value.size() > most)
    throw Unusable(path + " is " + shown(value) + ", not a list of " + std::to_string(least) +
                   " to " + std::to_string(most) + " texts");
  std::vector<std::string> list;
  for (const Json& item : value) {
    if (!item.is_string()) throw Unusable(path + " holds " + shown(item) + ", not a text");
    list.push_back(item.get<std::string>());
  }
  return list;
}

qc::EyeSync eyeSyncFromJson(const Json& json) {
  const std::string where = "eye_sync";
  qc::EyeSync sync;
  const std::string status = text(json, where, "status");
  const auto known = qc::eyeSyncStatusFromName(status);
  if (!known) throw Unusable("eye_sync.status is \"" + status + "\", no status of the eyes' timing");
  sync.status = *known;
  if (sync.status == qc::EyeSyncStatus::Measured) {
    sync.offset = wholeInt(json, where, "offset", 0, qc::kMaxEyeOffset);
    const std::optional<std::string> behind = textOrNull(json, where, "behind");
    if (sync.offset == 0 ? behind.has_value() : (behind != "left" && behind != "right"))
      throw Unusable("eye_sync.behind is " + shown(field(json, where, "behind")) + " with an offset of " +
                     std::to_string(sync.offset) +
                     ": \"left\" or \"right\" for an offset, null for none");
    if (behind == "left") sync.offset = -sync.offset;
    sync.confidence = real(json, where, "confidence", 0, 1);
  }
  sync.reason = text(json, where, "reason");
  sync.framesCompared = wholeInt(json, where, "frames_compared", 0, qc::kEyeSyncFrames);
  sync.leftFrames = wholeOrNull<std::int64_t>(json, where, "left_frames", 0, kMostExactCount);
  sync.rightFrames = wholeOrNull<std::int64_t>(json, where, "right_frames", 0, kMostExactCount);
  return sync;
}

// frames[k].depth: the window figures and the histogram as frameDepthJson
// writes them, every share a whole number up to 10000.
DepthDetail depthFromJson(const Json& json, const std::string& where) {
  DepthDetail depth;
  depth.windowLeftPercent = real(json, where, "window_left", 0, 100);
  depth.windowRightPercent = real(json, where, "window_right", 0, 100);
  depth.floatingWindowPixels = wholeInt(json, where, "floating_window", 0, kMostViewPixels);
  const Json& histogram = field(json, where, "histogram");
  const std::string at = where + ".histogram";
  depth.histogram.fromPercent = real(histogram, at, "from", -100, 100);
  depth.histogram.toPercent = real(histogram, at, "to", depth.histogram.fromPercent, 100);
  std::istringstream shares(text(histogram, at, "shares"));
  for (std::uint16_t& share : depth.histogram.shares) {
    long value = -1;
    if (!(shares >> value) || value < 0 || value > ParallaxHistogram::kWhole)
      throw Unusable(at + ".shares is no list of " + std::to_string(ParallaxHistogram::kBins) +
                     " whole numbers from 0 to " + std::to_string(ParallaxHistogram::kWhole));
    share = static_cast<std::uint16_t>(value);
  }
  std::string rest;
  if (shares >> rest)
    throw Unusable(at + ".shares holds more than " + std::to_string(ParallaxHistogram::kBins) +
                   " numbers");
  return depth;
}

// frames[k].cdl: the ten numbers of a colour decision, in the order of the
// EYES block's CDL line; powers positive, as a fit gives them.
ColourDecision decisionFromJson(const Json& json, const std::string& where) {
  if (!json.is_array() || json.size() != 10)
    throw Unusable(where + " is " + shown(json) + ", not a list of 10 numbers");
  std::array<double, 10> numbers{};
  for (size_t i = 0; i < numbers.size(); ++i) {
    const double number = json[i].is_number() ? json[i].get<double>() : NAN;
    const bool power = i >= 6 && i < 9;
    if (!std::isfinite(number) || std::fabs(number) > 1e6 || (power && number <= 0))
      throw Unusable(where + "[" + std::to_string(i) + "] is " + shown(json[i]) +
                     (power ? ", not a positive number" : ", not a number from -1e6 to 1e6"));
    numbers[i] = number;
  }
  ColourDecision decision;
  for (size_t c = 0; c < 3; ++c) {
    decision.slope[c] = numbers[c];
    decision.offset[c] = numbers[3 + c];
    decision.power[c] = numbers[6 + c];
  }
  decision.saturation = numbers[9];
  return decision;
}

// The "contrast" and "signature" of a frame record (or of take.join_before),
// each null when unknown.
qc::FrameSignature signatureFromJson(const Json& json, const std::string& where) {
  qc::FrameSignature signature;
  if (!field(json, where, "contrast").is_null())
    signature.contrast = real(json, where, "contrast", 0, 255);
  if (const std::optional<std::string> text = textOrNull(json, where, "signature")) {
    auto bytes = base64Decode(*text);
    if (!bytes || bytes->size() != qc::kThumbnailWidth * qc::kThumbnailHeight)
      throw Unusable(where + ".signature is no base64 text of " +
                     std::to_string(qc::kThumbnailWidth * qc::kThumbnailHeight) + " bytes");
    signature.thumbnail = std::move(*bytes);
  }
  return signature;
}

FrameRecord frameFromJson(const Json& json, const std::string& where) {
  FrameRecord record;
  // Image sequences may be numbered from 0.
  record.frame = wholeInt(json, where, "frame", 0, INT_MAX);
  record.viewSize = cv::Size(static_cast<int>(whole(json, where, "width", 0, kMostViewPixels)),
                             static_cast<int>(whole(json, where, "height", 0, kMostViewPixels)));
  const Json& values = field(json, where, "values");
  if (!values.is_object()) throw Unusable(where + ".values is " + shown(values) + ", no object");
  for (const auto& [name, value] : values.items()) {
    const std::optional<Measure> measure = measureFromName(name);
    if (!measure) throw Unusable(where + ".values holds \"" + name + "\", no measure");
    record.values[measureIndex(*measure)] =
        real(values, where + ".values", name, -HUGE_VAL, HUGE_VAL);
  }
  record.points = wholeOrNull<int>(json, where, "points", 0, INT_MAX);
  const std::string status = text(json, where, "status");
  record.status = frameStatusFromName(status);
  if (!status.empty() && !record.status)
    throw Unusable(where + ".status is \"" + status + "\", no status of a method");
  const std::string verdict = text(json, where, "verdict");
  if (!qc::verdictFromName(verdict)) throw Unusable(where + ".verdict is \"" + verdict + "\", no verdict");
  // The verdict's reason reads back as the record's own: judged again, the
  // frame gets the same verdict and reason.
  const std::string reason = text(json, where, "reason");
  if (verdict == qc::verdictName(qc::Verdict::Inconclusive)) record.inconclusiveReason = reason;
  record.signature = signatureFromJson(json, where);
  // Only frames of a dense parallax map have the key.
  if (json.contains("depth")) record.depth = depthFromJson(json.at("depth"), where + ".depth");
  // Only frames the eye match gave a colour decision have the key.
  if (json.contains("cdl")) record.colour = decisionFromJson(json.at("cdl"), where + ".cdl");
  return record;
}

// take.read: [[FIRST, LAST], ...], places of the take from 1.
PlaceRanges rangesFromJson(const Json& json) {
  const std::string path = "take.read";
  if (!json.is_array()) throw Unusable(path + " is " + shown(json) + ", not a list of ranges");
  PlaceRanges ranges;
  for (size_t k = 0; k < json.size(); ++k) {
    const Json& range = json[k];
    const std::string item = path + "[" + std::to_string(k) + "]";
    if (!range.is_array() || range.size() != 2)
      throw Unusable(item + " is " + shown(range) + ", not a range [FIRST, LAST]");
    const auto first = static_cast<int>(wholeValue(range[0], item + "[0]", 1, INT_MAX));
    const auto last = static_cast<int>(wholeValue(range[1], item + "[1]", first, INT_MAX));
    ranges.emplace_back(first, last);
  }
  return rangesUnion(std::move(ranges));
}

// The shots of a reading pass (--per-shot, --every): starts in increasing
// order, the last frame read at or after the last start.
qc::ShotScan shotScanFromJson(const Json& json) {
  const std::string where = "shot_scan";
  qc::ShotScan scan;
  const Json& starts = field(json, where, "starts");
  if (!starts.is_array()) throw Unusable("shot_scan.starts is " + shown(starts) + ", not a list");
  for (size_t k = 0; k < starts.size(); ++k) {
    const std::string key = "shot_scan.starts[" + std::to_string(k) + "]";
    const int least = scan.starts.empty() ? 0 : scan.starts.back() + 1;
    scan.starts.push_back(static_cast<int>(wholeValue(starts[k], key, least, INT_MAX)));
  }
  scan.lastFrame = wholeInt(json, where, "last_frame", scan.starts.empty() ? 0 : scan.starts.back(),
                            INT_MAX);
  // The signatures of the pass's ends; reports without them merge as if
  // each part began a shot.
  for (auto [name, signature] : {std::pair{"first", &scan.first}, std::pair{"last", &scan.last}})
    if (json.contains(name) && !json.at(name).is_null())
      *signature = signatureFromJson(json.at(name), where + "." + name);
  return scan;
}

TakeInfo takeFromJson(const Json& json) {
  const std::string where = "take";
  TakeInfo take;
  take.name = text(json, where, "name");
  take.inputs = texts(json, where, "inputs", 1, 2);
  take.frameCount = wholeInt(json, where, "frame_count", 0, INT_MAX);
  // Reports written before takes could start at another frame lack the key.
  if (json.contains("first_frame")) take.firstFrame = wholeInt(json, where, "first_frame", 0, INT_MAX);
  if (!field(json, where, "frame_rate").is_null())
    take.frameRate = real(json, where, "frame_rate", 1e-3, 1e6);
  take.startTimecode = textOrNull(json, where, "start_timecode");
  if (take.startTimecode) {
    const Expected<qc::Timecode> timecode =
        qc::makeTimecode(take.frameRate, *take.startTimecode, take.firstFrame);
    if (!timecode || !take.frameRate)
      throw Unusable("take.start_timecode is \"" + *take.startTimecode +
                     "\", no timecode of the take's frame rate");
  }
  // Reports written before the paths and ranges were recorded lack them.
  if (json.contains("paths")) {
    take.paths = texts(json, where, "paths", 0, take.inputs.size());
    if (!take.paths.empty() && take.paths.size() != take.inputs.size())
      throw Unusable("take.paths holds " + std::to_string(take.paths.size()) + " paths for " +
                     std::to_string(take.inputs.size()) + " inputs");
  }
  if (json.contains("read") && !json.at("read").is_null()) take.read = rangesFromJson(json.at("read"));
  if (json.contains("read_to_end")) {
    const Json& value = json.at("read_to_end");
    if (!value.is_boolean()) throw Unusable("take.read_to_end is " + shown(value) + ", not true or false");
    take.readToEnd = value.get<bool>();
  }
  // Only parts that start after the take's first place have the key.
  if (json.contains("join_before") && !json.at("join_before").is_null()) {
    const Json& join = json.at("join_before");
    const std::string at = "take.join_before";
    TakeJoin joinBefore;
    joinBefore.frame = wholeInt(join, at, "frame", 0, INT_MAX);
    joinBefore.signature = signatureFromJson(join, at);
    if (!joinBefore.signature.known() || joinBefore.signature.contrast < 0)
      throw Unusable(at + " has no signature and contrast");
    take.joinBefore = std::move(joinBefore);
  }
  return take;
}

Expected<ReportContent> contentFromJson(const Json& json, const std::string& source) {
  if (!json.is_object() || json.value("schema", "") != kReportSchema)
    return Failure{source + " is no quality control report of this program"};
  if (json.at("schema_version") != kReportSchemaVersion)
    return Failure{source + " has schema version " + json.at("schema_version").dump() +
                   "; this program reads version " + std::to_string(kReportSchemaVersion)};
  ReportContent content;
  content.take = takeFromJson(field(json, "", "take"));
  const Json& settings = field(json, "", "settings");
  if (!settings.is_object()) throw Unusable("settings is " + shown(settings) + ", no object");
  for (const auto& [name, value] : settings.items())
    content.settings.emplace_back(name, text(settings, "settings", name));
  const std::string limitsText = text(field(json, "", "limits"), "limits", "text");
  Expected<qc::QcLimits> limits = qc::parseLimits(limitsText);
  if (!limits) return Failure{source + " has limits that cannot be read: " + limits.error()};
  content.limits = limits.value();
  const Json& frames = field(json, "", "frames");
  if (!frames.is_array()) throw Unusable("frames is " + shown(frames) + ", not a list");
  std::set<int> numbers;
  for (size_t k = 0; k < frames.size(); ++k) {
    const std::string where = "frames[" + std::to_string(k) + "]";
    content.frames.push_back(frameFromJson(frames[k], where));
    if (!numbers.insert(content.frames.back().frame).second)
      throw Unusable(where + ".frame is " + std::to_string(content.frames.back().frame) +
                     ", a frame listed before");
  }
  // Reports written before the eyes' timing was measured lack the key.
  if (json.contains("eye_sync")) content.eyeSync = eyeSyncFromJson(json.at("eye_sync"));
  // Reports written before runs said they were stopped lack the key.
  if (json.contains("stopped")) {
    if (const std::optional<std::string> stopped = textOrNull(json, "", "stopped"))
      content.stoppedBy = *stopped;
  }
  if (json.contains("shot_scan") && !json.at("shot_scan").is_null())
    content.shotScan = shotScanFromJson(json.at("shot_scan"));
  return content;
}

}  // namespace

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
