// Feature-length figures: the numbers-only quality control run (the
// alignment method, --qc, --pictures none) at 1080p and 4K per view, a
// 2,000-frame take sampled with --every 24, and resident memory over a
// 10,000-frame run.
#pragma once

#include <filesystem>

#include <opencv2/core.hpp>

namespace bench {

// Frames per second, cores busy and peak memory of numbers-only quality
// control on side-by-side H.264 takes of 1920 x 1080 and 3840 x 2160 views
// (`frames` frames, at least 48, and 24), at -t 1 and -t 2.
void printQcSpeed(const std::filesystem::path& folder, const cv::Mat& canvas, int frames);

// A 2,000-frame 1080p take analysed whole and with --every 24 (numbers-only
// quality control, -t 2), against decoding it alone.
void printSampling(const std::filesystem::path& folder, const cv::Mat& canvas);

// Numbers-only quality control over a 10,000-frame 1080p take at -t 2:
// peak resident memory by tenth of the run.
void printLongQc(const std::filesystem::path& folder, const cv::Mat& canvas);

}  // namespace bench
