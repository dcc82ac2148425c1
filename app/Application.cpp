#include "app/Application.h"

#include <algorithm>

#include "checkers/MatchFeatures.h"
#include "checkers/Stereolint.h"
#include "results/ResultKeys.h"
#include "sources/InputKind.h"
#include "util/Numbers.h"

namespace stereolint {

Application::~Application() = default;

void Application::reportEmptySelection(const std::string& input, const std::string& sequence,
                                       int framesRead, int framesSelected) {
  if (framesRead == 0 || framesSelected != 0) return;
  runStatus.error("ConsoleApplication::run - [sequence]",
                  "No frame of " + input + " is in the selection \"" + sequence +
                      "\" (frames 1 to " + std::to_string(framesRead) + " were read)");
}

void Application::warnWhenNoTileFits(const StereolintInterface& checker, cv::Size view,
                                     const std::string& input) {
  const std::vector<std::string> steps = hierarchyItems(checker.getParameter("HIERARCHY"));
  const bool measures = std::any_of(steps.begin(), steps.end(), [](const std::string& step) {
    return step == keys::kVertical || step == keys::kRotation || step == keys::kScale;
  });
  if (!measures) return;
  const std::string width = checker.getParameter("WIDTH");
  const std::string height = checker.getParameter("HEIGHT");
  if (!featureTiles(leadingInteger(width), leadingInteger(height), view, view).empty()) return;
  runStatus.warning("ConsoleApplication::run - [parameters]",
                    "No tile of WIDTH \"" + width + "\" and HEIGHT \"" + height +
                        "\" fits the views of " + input + " (" + std::to_string(view.width) +
                        " x " + std::to_string(view.height) + "): nothing can be measured");
}

int Application::run(std::array<std::string, 2> inputs, std::string orientation,
                     std::string method, std::string threads, std::string resultPath,
                     std::string parameters, std::string sequence) {
  runStatus.reset();
  // The one checker serves every worker of the run.
  const std::unique_ptr<StereolintInterface> checker = createChecker(method, parameters);
  if (!checker) {
    runStatus.error("ConsoleApplication::run - [method]",
                    "Unknown disparity method \"" + method + "\"; valid: " + kMethodNames);
    return -1;
  }
  int result = 0;
  switch (inputKind(inputs[0], inputs[1])) {
    case InputKind::R3D:
      result = processR3D(inputs, orientation, checker.get(), leadingInteger(threads), resultPath,
                          sequence);
      break;
    case InputKind::VIDEO:
      result = processVideo(inputs, orientation, checker.get(), leadingInteger(threads),
                            resultPath, sequence);
      break;
    case InputKind::IMAGE:
      result = processImages(inputs, orientation, checker.get(), resultPath);
      break;
    case InputKind::UNSUPPORTED:
      runStatus.error("ConsoleApplication::run - [extension]",
                      "Unsupported file extension or incorrect format");
      return -1;
  }
  runStatus.progress().finish();
  return result != 0 || runStatus.failed() ? -1 : 0;
}

}  // namespace stereolint
