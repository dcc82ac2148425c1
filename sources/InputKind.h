// Which reader an input takes, decided from the file extensions alone.
#pragma once

#include <string>

namespace stereolint {

// The numbers are part of the contract: they are what the run dispatches on.
enum class InputKind {
  R3D = 0,          // digital-cinema raw clips
  VIDEO = 1,        // video files read through OpenCV
  IMAGE = 2,        // still images read through OpenCV
  UNSUPPORTED = 3,  // anything else; the run reports it and stops
  SEQUENCE = 4,     // numbered picture files, one frame each
};

// True when `path` names an image sequence: a folder of pictures, a printf
// pattern ("take_L.%06d.dpx"), or the first file of a numbered run of DPX or
// EXR pictures, the formats delivered frame by frame ("take_L.001001.dpx"
// when "take_L.001002.dpx" exists too). A numbered PNG, TIFF, JPEG or BMP
// file stays a still picture: name a pattern or a folder for a run of those.
bool namesSequence(const std::string& path);

// The kind of a pair of inputs (the same path twice for a single stereo
// file). Both extensions are compared after upper-casing (fileExtension), so
// "take.mov" and "take.MoV" are one kind, while "a.png" and "b.jpg" are
// UNSUPPORTED. The shared extension is looked up in the R3D, video and image
// lists of Constants, in that order. A path without a dot has an empty
// extension, which no list holds; a dot in a folder name makes the folder's
// tail the extension ("clips.v2/take" gives "V2/TAKE"), which no list holds
// either.
// Two inputs that both name sequences are SEQUENCE, whatever their
// extensions.
InputKind inputKind(const std::string& first, const std::string& second);

}  // namespace stereolint
