// Where the corrected take goes, so that nothing half-written ever carries
// a final name: a video or a still picture is written under its name with
// ".partial" added and renamed when complete; each picture of a sequence
// likewise, one at a time. abandon() removes what is not complete.
#pragma once

#include <memory>
#include <opencv2/core.hpp>
#include <optional>
#include <string>

#include "tools/correct/PictureFormat.h"
#include "tools/correct/VideoWriter.h"

namespace stereolint::correct {

// One corrected picture: three channels, blue, green, red; 8 or 16-bit
// samples, or float ones for an EXR picture. A video frame of a take read
// as planes comes as `planes`, `pixels` then empty.
struct OutputPicture {
  cv::Mat pixels;
  std::optional<PlanarPicture> planes;
  std::string sourcePath;  // the picture file it came from; empty for a video frame
  PictureFormat format;    // that file's format; unused for a video frame
};

class TakeOutput {
 public:
  virtual ~TakeOutput() = default;
  // Adds the next picture. What went wrong, or nothing.
  virtual std::optional<std::string> add(const OutputPicture& picture) = 0;
  // Completes the output under its final names.
  virtual std::optional<std::string> finish() = 0;
  // Removes what is not complete.
  virtual void abandon() = 0;
  // Where it goes, for messages.
  virtual const std::string& name() const = 0;
};

// A video at `path` (its container told by the extension), the pictures'
// size and depth, or their planes' layout, taken from the first.
std::unique_ptr<TakeOutput> videoOutput(const std::string& path, VideoCodec codec, double rate,
                                        int threads);
// One picture at `path`, in the format its extension names; the bit depth
// of the input where the format holds it.
std::unique_ptr<TakeOutput> pictureOutput(const std::string& path);
// The pictures of a sequence in `folder` (made when missing), each under
// its input file's name, in that file's format.
std::unique_ptr<TakeOutput> sequenceOutput(const std::string& folder);

// Writes `bytes` as the file `path`: first as `path` + ".partial", renamed
// when complete. What went wrong, or nothing.
std::optional<std::string> writeWholeFile(const std::string& path,
                                          const std::vector<unsigned char>& bytes);

}  // namespace stereolint::correct
