// The I/O floor of a run: what reading the frames and writing the same
// pictures costs with no analysis at all. The ratio of a full run to it
// says how much the analysis adds on top of work no version can avoid.
#pragma once

#include <string>

namespace bench {

struct IoFloor {
  int frames = 0;
  int picturesPerFrame = 0;
  double seconds = 0;
};

// Decodes every frame of `video` and, for each, writes as many PNG pictures
// of the same sizes and channel counts as the full run wrote for its first
// frame into `runOutput`, with cv::imwrite on `threads` threads (each thread
// takes the next frame). The pictures are cut from the frame, so they
// compress like real ones. The files go to a scratch folder that is removed.
IoFloor ioFloor(const std::string& video, const std::string& runOutput, int threads);

void printIoFloor(const IoFloor& floor, double fullRunSeconds);

}  // namespace bench
