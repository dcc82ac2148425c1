// What each --pictures choice writes: a take of several shots analysed with
// quality control under every choice, the bytes written counted.
#pragma once

#include <filesystem>

#include <opencv2/core.hpp>

namespace bench {

// A 48-frame take of 1920 x 1080 views in four shots (a PNG sequence of
// side-by-side frames, the right view misaligned as the benchmark's), run
// with -d Alignment --qc -t 2 under --pictures all, flagged, worst and none:
// megabytes written and megabytes per 1,000 frames.
void printPictureVolume(const std::filesystem::path& folder, const cv::Mat& canvas);

}  // namespace bench
