#include "app/RunOptions.h"

#include <algorithm>

#include "sources/ViewSqueeze.h"
#include "util/Numbers.h"

namespace stereolint {

Expected<RunOptions> runOptions(const Settings& settings) {
  Expected<qc::QcOptions> quality = qc::readQcOptions(settings.quality);
  if (!quality) return quality.failure();
  const Expected<int> squeeze = readSqueeze(settings.squeeze, settings.orientation);
  if (!squeeze) return Failure{"--squeeze: " + squeeze.error()};
  RunOptions options;
  options.quality = quality.value();
  options.mode = settings.mode == "CONSOLE" ? RunMode::Console : RunMode::Gui;
  options.inputs = settings.inputs;
  options.orientation = settings.orientation;
  options.squeeze = squeeze.value();
  options.method = settings.method;
  options.threads = std::max(1, leadingInteger(settings.threads));
  options.resultPath = settings.resultPath;
  options.parameters = settings.parameters;
  options.sequence = settings.sequence;
  options.selection = parseSequence(settings.sequence);
  options.unreadableSecond = settings.unreadableSecond;
  return options;
}

}  // namespace stereolint
