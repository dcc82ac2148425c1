// --count-frames: how many frames a run with these options would read,
// for splitting a take into frame ranges (scripts/slurm-qc, parallel-qc).
#pragma once

#include "app/RunOptions.h"

namespace stereolint {

// Opens the inputs as a run does (the same kinds, pairing of sequences,
// hidden files left out, links followed), checks their views as a run
// does, and prints on standard output the number of frames of the take
// that the selection (-s) names, one line. The frames are those a run
// reads: the first input's exact count (a clip's frame table, a
// sequence's files), or else its pictures passed over to its end; with two
// inputs, up to the end of the shorter. A still image is one frame.
// Sampling (--every, --per-shot) does not change the count: it counts the
// places that -s ranges divide. Returns 0, or -1 after an Error: block for
// inputs that a run refuses in the same words (the frames themselves are
// not decoded, so a damaged frame is counted).
int printFrameCount(const RunOptions& options);

}  // namespace stereolint
