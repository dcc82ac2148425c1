#include "app/ConsoleApplication.h"

#include <iostream>

namespace stereolint {

namespace {

const char* const kRule = "-------------------------------------------------------------";

}  // namespace

void printResults(std::ostream& out, int id, int size, const Results& results,
                  const std::string& name) {
  for (const auto& result : results) {
    out << name << " : " << id << " / " << size << " " << result->getName() << "\n";
    for (const Result::KeyValue* entry : result->getKeyValues()) {
      out << entry->getKey() << " : " << *entry << "\n";
    }
    out << kRule << "\n";
  }
  out << kRule << std::endl;
}

void ConsoleApplication::presentResults(cv::Mat /*left*/, cv::Mat /*right*/, int id, int size,
                                        const Results& results, cv::Mat /*summary*/,
                                        std::string name) {
  if (printBlocks) printResults(std::cout, id, size, results, name);
}

}  // namespace stereolint
