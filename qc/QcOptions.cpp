#include "qc/QcOptions.h"

#include <charconv>

#include "qc/FailOn.h"
#include "qc/Timecode.h"

namespace stereolint::qc {

namespace {

// The largest nominal rate timecode supports here: used to check the form of
// a start timecode before the take's rate is known.
constexpr int kLargestRate = 1000;

Failure optionFailure(const char* option, const std::string& message) {
  return Failure{std::string(option) + ": " + message};
}

std::optional<const char*> givenWithoutQc(const QcOptionTexts& texts) {
  if (texts.qc) return std::nullopt;
  if (texts.limits) return "--limits";
  if (texts.pictures) return "--pictures";
  if (texts.fps) return "--fps";
  if (texts.startTimecode) return "--start-timecode";
  if (texts.failOn) return "--fail-on";
  if (texts.minJudged) return "--min-judged";
  return std::nullopt;
}

// A share from 0 to 100, "%" optional: "50", "50%", "12.5 %".
Expected<double> parsePercent(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  if (!text.empty() && text.back() == '%') text.pop_back();
  double value = 0;
  const auto read = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || read.ec != std::errc() || read.ptr != text.data() + text.size() ||
      !(value >= 0 && value <= 100))
    return Failure{"\"" + text + "\" is no share from 0 to 100 %; write e.g. 50 or 50%"};
  return value;
}

}  // namespace

Expected<QcOptions> readQcOptions(const QcOptionTexts& texts) {
  QcOptions options;
  if (auto option = givenWithoutQc(texts))
    return Failure{std::string(*option) + " works with --qc only"};
  if (!texts.qc) return options;
  options.enabled = true;
  if (texts.limits) {
    Expected<QcLimits> limits = parseLimits(*texts.limits);
    if (!limits) return optionFailure("--limits", limits.error());
    options.limits = limits.value();
  }
  if (texts.pictures) {
    Expected<PictureMode> mode = parsePictureMode(*texts.pictures);
    if (!mode) return optionFailure("--pictures", mode.error());
    options.pictures = mode.value();
  }
  if (texts.fps) {
    Expected<double> rate = parseFrameRate(*texts.fps);
    if (!rate) return optionFailure("--fps", rate.error());
    options.framesPerSecond = rate.value();
  }
  if (texts.startTimecode) {
    const int rate = options.framesPerSecond ? nominalRate(*options.framesPerSecond) : kLargestRate;
    Expected<long> start = parseTimecode(*texts.startTimecode, rate);
    if (!start) return optionFailure("--start-timecode", start.error());
    options.startTimecode = *texts.startTimecode;
  }
  if (texts.failOn) {
    Expected<Verdict> level = parseFailLevel(*texts.failOn);
    if (!level) return optionFailure("--fail-on", level.error());
    options.failOn = level.value();
  }
  if (texts.minJudged) {
    if (!texts.failOn) return Failure{"--min-judged works with --fail-on only"};
    Expected<double> share = parsePercent(*texts.minJudged);
    if (!share) return optionFailure("--min-judged", share.error());
    options.minJudgedPercent = share.value();
  }
  return options;
}

std::string limitKeysUsage() {
  std::string text;
  for (Measure owner : limitOwners()) {
    const MeasureInfo& info = measureInfo(owner);
    std::string name = info.limitKey;
    name.resize(10, ' ');
    text += "  " + name + info.limitMeaning + " (default " + info.limitDefaults + ")\n";
  }
  return text;
}

}  // namespace stereolint::qc
