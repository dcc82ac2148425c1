// Loading and unloading the R3D decoding library "REDR3D-x86.dll".
//
// The library is found at run time: in the folder given to
// loadDecoderLibrary and in the folder named by the environment variable
// R3DSDKPATH (plus any folder a library redirects to). The newest library
// that passes the version rule is loaded with its companions, its export
// groups are bound, and it is initialised; ClipReader then works through it.
//
// Process-wide and not thread-safe: load, use and unload on one thread. The
// loader logs to standard output only at log level 0xFF (LoaderLog.h).
#pragma once

#include <string>
#include <vector>

#include "sources/r3d/CandidateFolders.h"
#include "sources/r3d/DecoderStatus.h"

namespace stereolint {

// Finds, checks, binds and initialises the library. `optionMask` asks for
// the optional export groups (1, 2, 4; 0 for none). Returns 0 when ready,
// else a status of DecoderStatus.h (15 for an empty folder): when no folder
// gives a usable library, the status of the folder whose loading got
// furthest (LoadProgress; the first registered among equals), so a library
// refused for its version is reported rather than a folder without one.
// Every call starts by unloading what an earlier call loaded.
int loadDecoderLibrary(const std::string& folder, unsigned optionMask);

// Finalises and unloads every library and unbinds all groups. Does nothing
// when nothing is loaded, so it may be called any number of times. Clips
// opened through the library cannot be used afterwards.
void unloadDecoderLibrary();

// True after a load returned 0 and until the next unload.
bool decoderLibraryReady();

// What the last loadDecoderLibrary call did, for error reports. Kept until
// the next load, also across unloadDecoderLibrary.
struct DecoderLoadReport {
  int status = decoderStatus::notLoaded;  // the load's result; 2 before any load
  std::string folder;                     // the folder as it was given
  unsigned optionMask = 0;
  // Every folder probed, in registration order, with the status it ended
  // with (a folder whose library failed after probing shows that failure).
  std::vector<CandidateFolder> candidates;
  std::string chosenFolder;  // the folder loaded from; empty unless status is 0
  // The layer's banner; after a successful load followed by " " and the
  // build name of each loaded library and " [" chosen folder "]".
  std::string banner;
  // Why the load failed, as a clause for people: the reason of the folder
  // whose loading got furthest (CandidateFolder::reason; its status is the
  // load's status), or the status text when no folder was probed. Empty
  // after a successful load.
  std::string reason;
};
const DecoderLoadReport& lastDecoderLoad();

}  // namespace stereolint
