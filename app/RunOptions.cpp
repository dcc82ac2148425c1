#include "app/RunOptions.h"

#include <algorithm>

#include "util/Numbers.h"

namespace stereolint {

RunOptions runOptions(const Settings& settings) {
  RunOptions options;
  options.mode = settings.mode == "CONSOLE" ? RunMode::Console : RunMode::Gui;
  options.inputs = settings.inputs;
  options.orientation = settings.orientation;
  options.method = settings.method;
  options.threads = std::max(1, leadingInteger(settings.threads));
  options.resultPath = settings.resultPath;
  options.parameters = settings.parameters;
  options.sequence = settings.sequence;
  options.selection = parseSequence(settings.sequence);
  return options;
}

}  // namespace stereolint
