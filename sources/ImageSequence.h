// Finding the files of an image sequence: one picture file per frame, the
// frame number in the file name.
//
// An input names a sequence in one of three ways:
// - a pattern with one printf-style directive for the frame number in its
//   file name: "take_L.%06d.dpx" (zero-padded to at least 6 digits),
//   "take_L.%4d.png" (the same with 4: as FFmpeg reads it, a width pads with
//   zeros), "f%d.png" (the number without padding). "%%" stands for "%".
// - the first file of a numbered run, "take_L.001001.dpx": the digits right
//   before the extension are the frame number. The run is every file of the
//   same folder with the same text before and after the number and a number
//   at least as large, written the same way: with leading zeros (as the
//   named file has them) padded to the same count of digits, otherwise as
//   natural numbers ("f9.png", "f10.png").
// - a folder: its picture files (PictureFile.h's extensions; names that
//   start with a dot are passed over), not its subfolders, in natural
//   order ("f2" before "f10"). Their frame numbers are the digits before
//   the extension when every name has such digits and they rise in that
//   order; otherwise the positions 1..N.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "util/Expected.h"

namespace stereolint {

struct SequenceFile {
  std::string path;
  std::int64_t number = 0;  // the frame number (see above); can be 0
};

struct SequenceFiles {
  // How the sequence is named to the user: the pattern as given, the
  // pattern of a numbered run in printf form ("clips/take_L.%06d.dpx"), or
  // the folder.
  std::string name;
  // At least one file, frame numbers strictly rising.
  std::vector<SequenceFile> files;
  // A gap in the numbering, e.g. "frames 5-7, 12 are missing from
  // take_L.%06d.dpx"; empty without gaps.
  std::vector<std::string> remarks;
};

// The files of the sequence `input` names. Failures: a pattern without a
// usable directive, or matching no file; a folder without picture files; a
// file whose name has no digits before its extension; a folder that cannot
// be listed.
Expected<SequenceFiles> findSequence(const std::string& input);

// True when `path` names a sequence rather than a single picture: a
// folder, a path with one "%" directive in its file name, or an existing file whose
// name ends in digits before the extension and a later number of which
// (written the same way: "photo1.png" -> "photo2.png", "f0009.png" ->
// "f0010.png" or "f0012.png") exists too. A lone "photo1.png" stays a still.
bool looksLikeSequence(const std::string& path);

// True when `a` comes before `b` in natural order: runs of digits compare
// by their value ("f2" before "f10"), other characters byte by byte; names
// equal that way fall back to plain byte order ("f01" before "f1").
bool naturalLess(const std::string& a, const std::string& b);

}  // namespace stereolint
