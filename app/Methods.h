// The disparity methods a run can use ("-d"). One table of names feeds the
// making of the checker (its parameters read and checked once), the usage
// text and the message for an unknown name.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "checkers/StereolintInterface.h"
#include "checkers/depth/Screen.h"
#include "util/Expected.h"

namespace stereolint {

struct Method {
  const char* name;
  // Reads the parameters text once into the method's options, checks them
  // and makes the checker; or the first problem with them, as one line.
  Expected<std::unique_ptr<StereolintInterface>> (*make)(const std::string& parameters,
                                                          const Viewing& viewing);
  // True for the method of steps (HIERARCHY, WIDTH, HEIGHT): a run warns
  // when no step is named or no feature tile fits the views.
  bool measuresInSteps;
  // The memory one frame in flight takes at its peak, in bytes per pixel
  // of one view (the picture both views are cut from, the pictures drawn
  // and the measuring's own buffers), as measured on side-by-side 1080p and
  // 2160p footage with room to spare: what bounds the workers of a run (see
  // WorkerBudget.h).
  double bytesPerViewPixel;
  // The parameter keys the method reads ("-p"), each with what it means.
  std::vector<std::pair<std::string, std::string>> (*parameterKeys)();
};

// Every method, in table order.
std::vector<const Method*> allMethods();

// The method called `name` (exact, case-sensitive), or null.
const Method* findMethod(const std::string& name);

// The names of every method, in table order, separated by ", ".
std::string methodNames();

// For a name that differs from a method's only in case: "; did you mean
// Alignment?"; "" otherwise.
std::string caseSpellingHint(const std::string& name);

// The checker of `method` for `parameters`, or the first problem with them.
// For an unknown method (null) the parameters are checked as the method of
// steps reads them, and no checker is made (null).
// `viewing` reaches the methods that use it (the alignment method's DEPTH
// block gives the divergence on the screen).
Expected<std::unique_ptr<StereolintInterface>> makeChecker(const Method* method,
                                                           const std::string& parameters,
                                                           const Viewing& viewing = {});

}  // namespace stereolint
