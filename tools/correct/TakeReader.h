// The take read frame by frame as Stereolint reads it (the same frame
// numbers), each frame cut into its eyes as working pictures: samples of 8
// or 16 bits, or for EXR pictures the files' own float samples, with the
// file each came from and its format, so the corrected picture can be
// written the same way. A video stored as planar 8-bit Y'CbCr may instead
// be read as its planes (PlanarPicture.h).
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sources/InputStreams.h"
#include "sources/ViewRegions.h"
#include "tools/correct/PictureFormat.h"
#include "tools/correct/PlanarPicture.h"

namespace stereolint::correct {

struct TakeFrame {
  std::int64_t number = 0;
  std::array<cv::Mat, 2> eyes;           // left, right, in the file's geometry
  std::array<std::string, 2> sources;    // each eye's picture file; empty for a video frame
  std::array<PictureFormat, 2> formats;  // their formats
  // For a take read as planes: each eye's planes, `eyes` then empty.
  std::optional<std::array<PlanarPicture, 2>> planes;
};

class TakeReader {
 public:
  // Opens `inputs` (one stereo input cut by `orientation`, or the left
  // then the right eye with Orientation::Whole). Fails as Stereolint does
  // for inputs it cannot read. With `keepPlanes`, a video take whose
  // first frames are planar 8-bit Y'CbCr, stored unturned and cut into
  // views on whole chroma samples, is read as planes.
  static Expected<TakeReader> open(const std::vector<std::string>& inputs, Orientation orientation,
                                   bool keepPlanes);

  // The next frame; nothing at the end of the take; a failure naming the
  // frame that cannot be read.
  Expected<std::optional<TakeFrame>> next();

  InputKind kind() const { return takeKind; }
  // The frames the take holds, when the input says.
  std::optional<std::int64_t> frameCount() const { return streams.front()->frameCountHint(); }
  double frameRate() const { return streams.front()->frameRate().value_or(24); }
  // The size of one view of the first picture in the file's geometry.
  cv::Size viewSize() const;
  // The layout of the planes when the take is read as planes.
  const std::optional<PlanarLayout>& planeLayout() const { return planar; }

 private:
  std::vector<std::string> paths;
  Orientation orientation = Orientation::Whole;
  InputKind takeKind = InputKind::UNSUPPORTED;
  InputStreams streams;
  // The picture files of the sequences by frame number, per input.
  std::array<std::map<std::int64_t, std::string>, 2> sequenceFiles;
  std::int64_t previous = 0;  // the number of the last frame read
  std::optional<PlanarLayout> planar;

  // Whether every stream can be read as planes of one layout, and which.
  std::optional<PlanarLayout> commonPlanarLayout() const;
  Expected<std::optional<TakeFrame>> nextPlanes();
};

}  // namespace stereolint::correct
