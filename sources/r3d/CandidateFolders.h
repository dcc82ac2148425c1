// The folders the decoder loader has probed for the decoding library, at
// most 10 per load, and the probing itself.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "sources/r3d/DecoderModules.h"
#include "sources/r3d/DecoderVersion.h"
#include "sources/r3d/LayerSettings.h"

namespace stereolint {

// One probed folder.
struct CandidateFolder {
  unsigned index = 0;  // registration order within one load: 0, 1, ...
  int status = 0;      // 0: usable; otherwise the load status it failed with
  DecoderVersion version;              // of the library found there; 0.0.0 if none loaded
  DecoderVersion minimumLayerVersion;  // the layer version that library demands
  std::string folder;  // as registered, always ending in a folder separator
  // How far loading from the folder got, and, unless the folder is usable,
  // why it failed as a clause for people: "no library file there", "not a
  // loadable library: " and the system's text, "library version 7.0.2 is
  // older than this program's decoder layer 7.0.3", ...
  LoadProgress progress = LoadProgress::noFile;
  std::string reason;
};

// `folder` with the platform's folder separator appended, unless it already
// ends in "\" or "/". An empty folder stays empty.
std::string withFolderSeparator(const std::string& folder);

class CandidateFolders {
 public:
  static constexpr std::size_t limit = 10;

  // Registers `folder` (already ending in a separator) and returns its
  // position, or nothing (with a log line) when 10 folders are registered
  // or the same text is registered already.
  std::optional<std::size_t> add(const std::string& folder);

  // Positions in the order the loader tries the folders: higher library
  // version first; among equal versions the later-registered folder first.
  std::vector<std::size_t> tryingOrder() const;

  // Logs the folders in `order` between two lines of dashes.
  void dump(const std::vector<std::size_t>& order) const;

  CandidateFolder& at(std::size_t position) { return folders[position]; }
  // All folders in registration order.
  const std::vector<CandidateFolder>& list() const { return folders; }

 private:
  std::vector<CandidateFolder> folders;
};

// Registers `folder` and loads the decoding library from it (dropping every
// module loaded before) to read its versions; the candidate's status is 0
// when the library passes the version rule; otherwise its progress and
// reason say how far it got and why it failed. A library that names a
// redirect folder has that folder probed as well, unless the test mode is
// 2. Returns the status of the last folder probed, 16 when `folder` could
// not be registered.
int probeFolder(const std::string& folder, CandidateFolders& candidates, DecoderModules& modules,
                const LayerSettings& settings);

}  // namespace stereolint
