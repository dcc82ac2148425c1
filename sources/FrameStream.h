// One input, read picture by picture from front to back: a still image, a
// video file, an R3D clip or an image sequence. The run pipeline reads one
// stream per input file (two for a pair of eyes) in step; cutting a stereo
// picture into its views, comparing sizes and reporting a stream that ends
// early happen there, once for every kind of input.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <opencv2/core.hpp>

#include "util/Paths.h"

namespace stereolint {

// What one read gave.
struct StreamRead {
  enum class Kind {
    Picture,  // `picture` holds the next picture
    End,      // the input has no more pictures
    Failed,   // the next picture cannot be read; `reason` says why
    // The next picture cannot be read but later ones can (a damaged file
    // of an image sequence): the stream has moved past it; `reason` says
    // why and `number` names it.
    Damaged,
  };
  Kind kind = Kind::End;
  // Why a read failed, as it ends the sentence that reports it, with its own
  // leading separator: " (status 3)", ": the file is truncated".
  std::string reason;
  // The number of the picture a Damaged read passed over (see StreamPicture).
  std::int64_t number = 0;

  static StreamRead picture() { return {Kind::Picture, {}, 0}; }
  static StreamRead end() { return {Kind::End, {}, 0}; }
  static StreamRead failed(std::string why) { return {Kind::Failed, std::move(why), 0}; }
  static StreamRead damaged(std::string why, std::int64_t number) {
    return {Kind::Damaged, std::move(why), number};
  }
};

// One picture of a stream and its place in the take.
struct StreamPicture {
  // 8-bit or 16-bit samples, one, three (blue, green, red) or four channels.
  cv::Mat picture;
  // 1-based number of the frame: its position in the input, or for an image
  // sequence the number in the file name.
  std::int64_t number = 0;
};

// A picture size as messages write it: "1920 x 1080" (width x height).
inline std::string sizeText(cv::Size size) {
  return std::to_string(size.width) + " x " + std::to_string(size.height);
}

// How messages about one kind of input speak of it.
struct StreamWords {
  const char* noun;     // "image", "video", "clip": "Cannot read any frame of the video a.mp4"
  const char* nouns;    // "inputs", "clips": "The clips differ in size: …"
  const char* reading;  // "Reading", "Decoding": "Reading a.mp4 stopped at frame 7 of 9"
  const char* read;     // "read", "decode"
  const char* topic;    // what its failures concern in the console log: "input", "R3D"
  // Whether the input is a take of frames: the frame selection applies, the
  // progress line is drawn and an empty selection is an error. A still
  // image is one frame, analysed whatever the selection says.
  bool isTake;
};

class FrameStream {
 public:
  virtual ~FrameStream() = default;

  // How messages speak of this kind of input.
  virtual const StreamWords& words() const = 0;

  // The input as the user named it.
  virtual const std::string& path() const = 0;

  // The name of the take in headings and reports: the input's base name
  // (no folder, no extension).
  virtual std::string takeName() const { return fileBaseName(path()); }

  // The size of the pictures as the input announces it (its header, or its
  // first picture). A picture of another size can still arrive; the pipeline
  // checks every one.
  virtual cv::Size pictureSize() const = 0;

  // How many pictures the input says it holds, or nothing when it cannot
  // say. Only a hint, for progress and the SIZE shown with every frame:
  // reading goes on until End, whatever it says.
  virtual std::optional<std::int64_t> frameCountHint() const = 0;

  // The pictures the input itself holds where that differs from the frames
  // it is read as: an eye of a pair of sequences paired by frame number has
  // a frame for every number of either eye, but holds only its own files.
  // What the eyes' timing compares. frameCountHint() by default.
  virtual std::optional<std::int64_t> picturesHeld() const { return frameCountHint(); }

  // True when the input holds exactly frameCountHint() pictures, as a clip's
  // frame table says: the take then ends after that many pictures of the
  // first input without asking for more, and a read that fails before is an
  // early end. False when the count is only an estimate.
  virtual bool countIsExact() const { return false; }

  // Frames per second as the input declares it, or nothing (stills,
  // sequences, a stream that does not say).
  virtual std::optional<double> frameRate() const { return std::nullopt; }
  // The number of the take's first frame: 1, or for an image sequence the
  // number of its first file (0 included).
  virtual std::int64_t firstNumber() const { return 1; }

  // Remarks about how the input is read that the user must know, e.g. that
  // its pictures are turned as their orientation metadata asks. The pipeline
  // shows each once, as a warning, before the first frame.
  virtual std::vector<std::string> remarks() const { return {}; }

  // Reads the next picture into `out`. After End or Failed the stream is
  // not read again. Each picture comes in pixels of its own, which the
  // stream never writes again: a worker may measure it while the next one
  // is read.
  virtual StreamRead read(StreamPicture& out) = 0;

  // Adjusts a view cut from one of this stream's pictures, e.g. mirrors it
  // as an R3D clip's sidecar asks. The default leaves it as it is.
  virtual cv::Mat adjustView(cv::Mat view) const { return view; }

  // Moves past the next picture, whose pixels nobody needs: a stream that
  // can skip without decoding does so; `out.picture` may stay empty. The
  // default reads it.
  virtual StreamRead skip(StreamPicture& out) { return read(out); }

  // Moves past the next `count` pictures (at least 1), whose pixels nobody
  // needs, so that the next read() gives the one after them; `passed` says
  // how many it moved past: `count`, or fewer when the input ended or
  // failed there (the returned read then says which). A stream that can
  // seek may jump instead of decoding what lies between. The default
  // skips them one by one.
  virtual StreamRead skipAhead(std::int64_t count, std::int64_t& passed) {
    passed = 0;
    StreamPicture unused;
    while (passed < count) {
      const StreamRead next = skip(unused);
      if (next.kind != StreamRead::Kind::Picture) return next;
      ++passed;
    }
    return StreamRead::picture();
  }
};

}  // namespace stereolint
