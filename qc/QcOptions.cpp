#include "qc/QcOptions.h"

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
  return std::nullopt;
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
