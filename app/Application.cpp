#include "app/Application.h"

#include "checkers/Stereolint.h"
#include "sources/InputKind.h"
#include "sources/Numbers.h"

namespace stereolint {

Application::~Application() = default;

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
