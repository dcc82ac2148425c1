// CONSOLE mode: every collected frame's numbers are printed on standard output.
#pragma once

#include <ostream>

#include "app/Presenter.h"

namespace stereolint {

class ConsoleApplication : public Presenter {
 public:
  // `printBlocks` false (--quiet): nothing is printed.
  explicit ConsoleApplication(bool printBlocks = true) : printBlocks(printBlocks) {}

  void presentResults(cv::Mat left, cv::Mat right, int id, int size, const Results& results,
                      cv::Mat summary, std::string name) override;

 private:
  bool printBlocks;
};

// Writes the console block of one frame: per result a heading line
// "<name> : <id> / <size> <result name>", one "<key> : <value>" line per
// number (default stream format, six significant digits) and a line of 61
// hyphens; after the last result one more line of hyphens.
void printResults(std::ostream& out, int id, int size, const Results& results,
                  const std::string& name);

}  // namespace stereolint
