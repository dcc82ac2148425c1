// How fast video frames come out of their file: the program's FFmpeg frame
// stream against the image library's own video reader, on the same file.
#pragma once

#include <filesystem>
#include <string>

#include <opencv2/core.hpp>

namespace bench {

// Writes a 1080p side-by-side H.264 video of `frames` frames into `folder`
// and decodes it whole, three times with each reader in turn; prints each
// reader's median milliseconds per frame (wall clock) and the processor
// time it took, over all threads, per frame.
void printDecodeSpeed(const std::filesystem::path& folder, const cv::Mat& canvas, int frames);

// Decodes `video` whole with the program's own frame stream; the number of
// frames it gave.
int decodeWithStream(const std::string& video);

}  // namespace bench
