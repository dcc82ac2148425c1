// GUI mode: the console text of CONSOLE mode, and each collected frame's
// summary picture in the window "Stereolint" at the top-left corner of the
// screen for up to 4 seconds (a key press ends the wait).
#pragma once

#include "app/Presenter.h"
#include "app/RunStatus.h"

namespace stereolint {

class GUIApplication : public Presenter {
 public:
  // Warnings about the display go to `status`, which must outlive this.
  // `printBlocks` false (--quiet): the console text is not printed.
  explicit GUIApplication(RunStatus& status, bool printBlocks = true)
      : status(status), printBlocks(printBlocks) {}

  void presentResults(cv::Mat left, cv::Mat right, int id, int size, const Results& results,
                      cv::Mat summary, std::string name) override;

 private:
  // Whether a window system can be reached, found out once, before the
  // first window; without one every frame is presented on the console only
  // (with one warning).
  enum class Display { Unknown, Available, Missing };
  Display display = Display::Unknown;
  RunStatus& status;
  bool printBlocks;
};

// The size a picture of `picture` size is shown at: scaled by the smaller
// of box width / picture width and box height / picture height (so small
// pictures are enlarged), each side truncated to whole pixels. An empty
// size stays empty.
cv::Size fitInto(cv::Size picture, cv::Size box = cv::Size(960, 540));

}  // namespace stereolint
