#include "app/GUIApplication.h"

#include <algorithm>
#include <iostream>

#include <opencv2/highgui.hpp>
#include <opencv2/imgproc.hpp>

#include "app/ConsoleApplication.h"
#include "platform/Platform.h"

namespace stereolint {

namespace {

const char* const kWindow = "Stereolint";
constexpr int kShowMs = 4000;

}  // namespace

cv::Size fitInto(cv::Size picture, cv::Size box) {
  if (picture.width <= 0 || picture.height <= 0) return cv::Size();
  const double scale = std::min(static_cast<double>(box.width) / picture.width,
                                static_cast<double>(box.height) / picture.height);
  return cv::Size(static_cast<int>(picture.width * scale), static_cast<int>(picture.height * scale));
}

void GUIApplication::presentResults(cv::Mat /*left*/, cv::Mat /*right*/, int id, int size,
                                    const Results& results, cv::Mat summary, std::string name) {
  // The window library ends the process when it cannot reach a display, so
  // ask the platform first.
  if (display == Display::Unknown) {
    display = platform::displayAvailable() ? Display::Available : Display::Missing;
    if (display == Display::Missing) {
      status.warning("GUIApplication::presentResults - [display]",
                       "No display to show the summary pictures on; they are written to files "
                       "and the results printed only");
    }
  }
  if (printBlocks) printResults(std::cout, id, size, results, name);
  const cv::Size fitted = fitInto(summary.size());
  if (display == Display::Missing || fitted.area() == 0) return;

  try {
    cv::startWindowThread();
    // The window takes the size of the picture; without the extended
    // controls of some window back ends (toolbar, status bar), which would
    // make it larger than the picture and move the picture off the corner.
    cv::namedWindow(kWindow, cv::WINDOW_AUTOSIZE | cv::WINDOW_GUI_NORMAL);
    cv::moveWindow(kWindow, 0, 0);
    cv::Mat shown;
    cv::resize(summary, shown, fitted, 0, 0, cv::INTER_LINEAR);
    cv::imshow(kWindow, shown);
    cv::waitKey(kShowMs);
  } catch (const cv::Exception& error) {
    // A window library that cannot show windows (a build without one, for
    // instance) must not end the run: the frames are presented on the
    // console from now on.
    display = Display::Missing;
    status.warning("GUIApplication::presentResults - [display]",
                     "Cannot show the summary pictures (" + error.err +
                         "); the results are printed only");
  }
}

}  // namespace stereolint
