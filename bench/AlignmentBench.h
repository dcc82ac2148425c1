// The alignment method against Hugin's align_image_stack and the
// step-by-step method (-d Stereolint medians), on 1920 x 1080 views made
// from opencv-doc's sample photographs whose right view is moved, turned
// and scaled by known amounts: errors, cross-talk and time per pair, with
// the targets beside them.
#pragma once

#include <string>

namespace bench {

// Writes its pictures under `folder`. `encoded` also runs every case
// through H.264 at CRF 18 (ffmpeg) before measuring.
void printAlignmentComparison(const std::string& folder, bool encoded);

}  // namespace bench
