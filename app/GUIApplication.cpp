#include "app/GUIApplication.h"

#include <iostream>

#include "app/ConsoleApplication.h"

namespace stereolint {

void GUIApplication::presentResults(cv::Mat /*left*/, cv::Mat /*right*/, int id, int size,
                                    const Results& results, cv::Mat /*summary*/,
                                    std::string name) {
  printResults(std::cout, id, size, results, name);
}

}  // namespace stereolint
