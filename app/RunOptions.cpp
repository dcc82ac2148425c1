#include "app/RunOptions.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include "checkers/depth/Screen.h"
#include "sources/ViewRegions.h"
#include "sources/ViewSqueeze.h"
#include "util/Numbers.h"

namespace stereolint {

namespace {

// A count option's value: digits only, at least 1.
Expected<int> countOf(const char* option, const std::string& text) {
  const std::optional<int> count = wholeNumber(text);
  if (!count || *count < 1) {
    return Failure{std::string(option) + ": \"" + text + "\" is not a whole number of at least 1"};
  }
  return *count;
}

// --every and --per-shot, checked together: each alone, --per-shot with the
// shots of quality control.
Expected<std::pair<int, int>> readSampling(const Settings& settings) {
  if (settings.every && settings.perShot) {
    return Failure{"--every and --per-shot choose frames in different ways: give one of them"};
  }
  if (settings.perShot && !settings.quality.qc) {
    return Failure{"--per-shot works with --qc only, whose shot detection it uses"};
  }
  std::pair<int, int> sampling{1, 0};
  if (settings.every) {
    Expected<int> every = countOf("--every", *settings.every);
    if (!every) return every.failure();
    sampling.first = every.value();
  }
  if (settings.perShot) {
    Expected<int> perShot = countOf("--per-shot", *settings.perShot);
    if (!perShot) return perShot.failure();
    sampling.second = perShot.value();
  }
  return sampling;
}

// --corrections and --correct: corrections of the shots quality control
// judges, so with --qc only.
Expected<std::optional<corrections::CorrectedEyes>> readCorrections(const Settings& settings) {
  if (settings.corrections && !settings.quality.qc) {
    return Failure{"--corrections works with --qc only: it corrects the shots quality control "
                   "judges"};
  }
  const std::optional<std::string>& word = settings.quality.correct;
  if (word && !settings.corrections) return Failure{"--correct works with --corrections only"};
  if (!settings.corrections) return std::optional<corrections::CorrectedEyes>();
  if (!word) return std::optional(corrections::CorrectedEyes::Right);
  const std::optional<corrections::CorrectedEyes> eyes = corrections::correctedEyesFromWord(*word);
  if (!eyes) {
    return Failure{"--correct: \"" + *word + "\" names no eyes to warp; valid: " +
                   corrections::kCorrectedEyesWords};
  }
  return eyes;
}

// --screen and --interocular. The eyes diverge beyond the interocular
// distance: unless --limits names DIVERGENCE, its pass limit is that
// distance and its fix limit twice it.
Expected<Viewing> readViewing(const Settings& settings, qc::QcOptions& quality) {
  Viewing viewing;
  if (settings.interocular && !settings.screen)
    return Failure{"--interocular works with --screen, the screen the divergence is measured on"};
  if (settings.screen) {
    Expected<double> width = screenWidthMm(*settings.screen);
    if (!width) return width.failure();
    viewing.screenWidthMm = width.value();
  }
  if (settings.interocular) {
    Expected<double> eyes = interocularMm(*settings.interocular);
    if (!eyes) return eyes.failure();
    viewing.interocularMm = eyes.value();
    qc::LimitPair& limit = quality.limits.of(Measure::Divergence);
    if (limit == qc::defaultLimits().of(Measure::Divergence))
      limit = {{viewing.interocularMm, false}, {2 * viewing.interocularMm, false}};
  }
  return viewing;
}

}  // namespace

Expected<RunOptions> runOptions(const Settings& settings) {
  Expected<std::optional<corrections::CorrectedEyes>> eyes = readCorrections(settings);
  if (!eyes) return eyes.failure();
  Expected<qc::QcOptions> quality = qc::readQcOptions(settings.quality);
  if (!quality) return quality.failure();
  const std::optional<Orientation> orientation = orientationFromWord(settings.orientation);
  if (!orientation) return Failure{"-o: \"" + settings.orientation + "\" is no frame orientation"};
  const Expected<int> squeeze = readSqueeze(settings.squeeze, *orientation);
  if (!squeeze) return Failure{"--squeeze: " + squeeze.error()};
  Expected<std::pair<int, int>> sampling = readSampling(settings);
  if (!sampling) return sampling.failure();
  Expected<Viewing> viewing = readViewing(settings, quality.value());
  if (!viewing) return viewing.failure();
  RunOptions options;
  options.viewing = viewing.value();
  std::tie(options.every, options.perShot) = sampling.value();
  options.quality = quality.value();
  options.corrections = eyes.value();
  options.mode = settings.mode == "CONSOLE" ? RunMode::Console : RunMode::Gui;
  options.quiet = settings.quiet;
  options.countFrames = settings.countFrames;
  options.inputs = settings.inputs;
  options.orientation = *orientation;
  options.squeeze = squeeze.value();
  options.methodName = settings.method;
  options.method = findMethod(settings.method);
  options.threads = std::max(1, leadingInteger(settings.threads));
  if (std::string note = atoiReadingNote("-t", settings.threads); !note.empty())
    options.readingNotes.push_back(std::move(note));
  for (const std::string& word : settings.unreadWords)
    options.readingNotes.push_back(word + ": unknown option, not read");
  options.resultPath = settings.resultPath;
  options.parameters = settings.parameters;
  options.sequence = settings.sequence;
  options.selection = parseSequence(settings.sequence);
  options.unreadableSecond = settings.unreadableSecond;
  return options;
}

}  // namespace stereolint
