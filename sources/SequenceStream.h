// An image sequence (ImageSequence.h) as a stream: one picture file per
// frame, read only when asked for.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "sources/FrameStream.h"
#include "util/Expected.h"

namespace stereolint {

// The streams of a run's inputs, in input order.
using InputStreams = std::vector<std::unique_ptr<FrameStream>>;

// Finds the files of the sequence `input` names and reads its first
// picture that can be read for the size the stream announces; its remarks
// are the gap remark of the sequence and those of that picture. Fails when
// no sequence is found, no picture of it can be read, or a frame number is
// beyond the int range.
//
// The stream holds the file list only, never a picture:
// - frameCountHint is the number of files; each picture's number is the
//   frame number of its file.
// - frameCountHint is exact: the files found are the take.
// - read() reads the next file (PictureFile.h). A file that cannot be read
//   gives Failed with the reason ": cannot read the image FILE…"; reading
//   again goes on with the next file, so the caller decides whether one bad
//   file ends the run.
// - skip() moves past the next file without opening it.
// - A picture of another size than the first is handed on as it is.
Expected<std::unique_ptr<FrameStream>> openSequenceStream(const std::string& input);

// The streams of one sequence (both inputs the same) or of a pair, one per
// eye. The files of a pair are paired by frame number, not by place: a
// number that one eye lacks reads there as a frame that cannot be read
// (": this eye has no file for it, the other eye has"), so the frame is
// named and not analysed, and a remark of that eye's stream lists such
// frames.
Expected<InputStreams> openSequenceStreams(const std::array<std::string, 2>& inputs);

}  // namespace stereolint
