// An image sequence (ImageSequence.h) as a stream: one picture file per
// frame, read only when asked for.
#pragma once

#include <memory>
#include <string>

#include "sources/FrameStream.h"
#include "util/Expected.h"

namespace stereolint {

// Finds the files of the sequence `input` names and reads its first
// picture for the size the stream announces; its remarks are the gap
// remark of the sequence and those of the first picture. Fails when no
// sequence is found or its first picture cannot be read.
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

}  // namespace stereolint
