// One R3D clip opened through the decoding library's "ClipApi" entries.
//
// Without a loaded library (or once it has been unloaded) a clip cannot be
// opened: it reports 0 for width, height and frame count, and every decode
// fails. Close clips before unloadDecoderLibrary; a clip still open then is
// simply forgotten, as its library has gone.
#pragma once

#include <cstdint>
#include <string>

#include "sources/r3d/DecodeJob.h"

namespace stereolint {

class ClipReader {
 public:
  // The status decodeFrame returns when there is no open clip. The library's
  // own statuses are its own; 0 is success.
  static constexpr int notOpen = -1;

  // Opens the clip at `path` (UTF-8). Whether that worked: isOpen().
  explicit ClipReader(const std::string& path);
  ~ClipReader();
  ClipReader(const ClipReader&) = delete;
  ClipReader& operator=(const ClipReader&) = delete;

  bool isOpen() const;

  // Size of every frame in pixels, and the number of video frames; 0 when
  // the clip is not open.
  std::uint32_t width() const;
  std::uint32_t height() const;
  std::uint32_t frameCount() const;

  // Decodes frame `index` (from 0) into the buffer `job` names, as `job`
  // asks. Returns 0 on success, the library's status otherwise, or notOpen.
  int decodeFrame(std::uint32_t index, DecodeJob& job) const;

  // Closes the clip; safe to call again.
  void close();

 private:
  void* clip = nullptr;
  unsigned long generation = 0;  // the binding of "ClipApi" that opened it
};

}  // namespace stereolint
