// Which reader an input takes, decided from the file extensions alone, and
// the table of input kinds: each kind's extensions and its opener. A new
// kind of input is one FrameStream implementation and one entry there.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "sources/FrameStream.h"
#include "sources/SequenceStream.h"
#include "util/Constants.h"
#include "util/Expected.h"

namespace stereolint {

// The numbers are part of the contract: they are what the run dispatches on.
enum class InputKind {
  R3D = 0,          // digital-cinema raw clips
  VIDEO = 1,        // video files read through OpenCV
  IMAGE = 2,        // still images read through OpenCV
  UNSUPPORTED = 3,  // anything else; the run reports it and stops
  SEQUENCE = 4,     // numbered picture files, one frame each
};

// The streams of the inputs (InputStreams): one per distinct path, in input
// order. When both inputs name the same file, the one stream gives both
// views.

struct InputKindEntry {
  InputKind kind;
  // The upper-case extensions of the kind, in Constants (empty for
  // sequences, which are recognised by their names; see namesSequence).
  const std::vector<std::string> Constants::*extensions;
  // Opens both inputs of the kind; see openInputStreams.
  Expected<InputStreams> (*open)(const std::array<std::string, 2>& inputs);
};

// Every kind a run reads, in the order extensions are looked up.
const std::array<InputKindEntry, 4>& inputKindTable();

// True when `path` names an image sequence: a folder of pictures, a printf
// pattern ("take_L.%06d.dpx"), or the first file of a numbered run of DPX or
// EXR pictures, the formats delivered frame by frame ("take_L.001001.dpx"
// when "take_L.001002.dpx" exists too). A numbered PNG, TIFF, JPEG or BMP
// file stays a still picture: name a pattern or a folder for a run of those.
bool namesSequence(const std::string& path);

// The kind of a pair of inputs (the same path twice for a single stereo
// file). Both extensions are compared after upper-casing (fileExtension), so
// "take.mov" and "take.MoV" are one kind, while "a.png" and "b.jpg" are
// UNSUPPORTED. The shared extension is looked up in the kinds' lists in
// table order: R3D, video, image. A path without a dot has an empty
// extension, which no list holds; a dot in a folder name makes the folder's
// tail the extension ("clips.v2/take" gives "V2/TAKE"), which no list holds
// either.
// Two inputs that both name sequences are SEQUENCE, whatever their
// extensions.
InputKind inputKind(const std::string& first, const std::string& second);

}  // namespace stereolint
