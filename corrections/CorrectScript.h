// The POSIX shell script ("PREFIXcorrect.sh") that renders the corrected
// take with the ffmpeg program alone.
//
// For one stereo file it takes one argument, the output: a video name
// (".mkv", lossless FFV1) or, for a still, a picture name (".png", ".tif").
// The output keeps the input's layout. For two inputs (each one eye) it takes
// two: the left eye's output, then the right eye's. The frames of each shot
// with a correction go through ffmpeg's perspective filter, one per eye,
// given the warp's source points for the output's corners (the filter's
// sense "source", integers at pixel centres, the corners (0, 0), (W, 0),
// (0, H) and (W, H)), enabled for the shot's frames alone; the other
// frames pass untouched. After its warp, each eye of a shot with a floating
// window goes through ffmpeg's fillborders filter, which fills that many
// columns black (the left eye's first, the right eye's last; in file
// columns, rounded up, for a view squeezed in width), enabled for the
// shot's frames: a shot with a mask alone is rendered too. Before its warp,
// the right eye of each shot with a grade goes through ffmpeg's lut3d
// filter with the shot's .cube (the path under `prefix`, the prefix the run
// writes its files under, made absolute), enabled for the shot's frames;
// lut3d works in RGB, so with a grade the right eye (and a stereo file's
// whole picture) is rendered in planar RGB.
#pragma once

#include <string>

#include "corrections/CorrectionsFiles.h"

namespace stereolint::corrections {

std::string correctScript(const CorrectionsContent& content, const std::string& prefix);

}  // namespace stereolint::corrections
