// The disparity methods a run can use ("-d"). One table of names feeds the
// checker factory, the start-up check of the parameters, the usage text and
// the message for an unknown name.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "checkers/StereolintInterface.h"

namespace stereolint {

struct Method {
  const char* name;
  std::unique_ptr<StereolintInterface> (*create)(const std::string& parameters);
  // The first problem of a parameters text, as one line, or nothing.
  std::optional<std::string> (*checkParameters)(const std::string& parameters);
  // True for the method of steps (HIERARCHY, WIDTH, HEIGHT): a run warns
  // when no step is named or no feature tile fits the views.
  bool measuresInSteps;
  // The memory one frame in flight takes at its peak, in bytes per pixel
  // of one view (both views, their copies, the pictures drawn and the
  // measuring's own buffers), as measured on side-by-side 1080p and 2160p
  // footage with room to spare: what bounds the workers of a run (see
  // WorkerBudget.h).
  double bytesPerViewPixel;
};

// The method called `name` (exact, case-sensitive), or null.
const Method* findMethod(const std::string& name);

// The names of every method, in table order, separated by ", ".
std::string methodNames();

// A new checker for a method name; nothing for an unknown name.
std::unique_ptr<StereolintInterface> createChecker(const std::string& method,
                                                   const std::string& parameters);

}  // namespace stereolint
