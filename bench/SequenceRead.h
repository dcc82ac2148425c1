// Reading image sequences: a pair of 2,000-frame 1080p sequences per eye as
// 10-bit DPX and as PNG, read with the program's own frame streams.
#pragma once

#include <filesystem>

#include <opencv2/core.hpp>

namespace bench {

// Milliseconds per frame pair and peak resident memory growth while reading
// each pair of sequences to its end. The files are hard links to 24
// distinct frames per eye, so the figures are those of decoding from the
// page cache, not of the disk.
void printSequenceReading(const std::filesystem::path& folder, const cv::Mat& canvas);

}  // namespace bench
