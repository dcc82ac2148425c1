// The libraries the decoder loader has loaded: the decoding library and its
// companions, at most 20 at once, in load order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "sources/r3d/DecoderInterface.h"
#include "sources/r3d/DecoderVersion.h"
#include "sources/r3d/LayerSettings.h"

namespace stereolint {

// How far loading from a folder got, in ascending order: when no folder
// gives a usable library, the one that got furthest says best what is
// wrong (a library refused for its version tells more than a folder
// without one).
enum class LoadProgress {
  noFile,              // no library file there
  notALibrary,         // a file that the system cannot load as a library
  notIdentified,       // loaded, but not the expected library, or it refused to start
  versionRefused,      // identified, and refused for its version
  failedAfterProbing,  // passed the probe, then its companions, exports or start failed
  usable,              // passed the probe (and, when chosen, loaded)
};

// Why the last failed DecoderModules::load failed.
struct ModuleLoadFailure {
  LoadProgress progress = LoadProgress::noFile;
  // A clause for people, e.g. "not a loadable library: <the system's text>"
  // or "another library (ID 0000002A)".
  std::string reason;
};

// What the loader knows of one loaded library file.
struct DecoderModule {
  platform::ModuleHandle handle = nullptr;
  std::uint32_t id = 0;                // "RED_LIB_ID"; 0 until it has been read
  DecoderVersion version;              // the library's own version
  DecoderVersion minimumLayerVersion;  // the oldest layer the library works with
  DecoderVersion builtAgainst;         // the layer version the library was built with
  std::string buildName;               // the library's build name, at most 128 characters
  std::string layerBuildName;          // that layer's build name, at most 128 characters
  LibraryInitializeFunction initialize = nullptr;
  LibraryFinalizeFunction finalize = nullptr;  // null: nothing to call
  bool initialized = false;
};

class DecoderModules {
 public:
  static constexpr std::size_t limit = 20;

  DecoderModules() = default;
  DecoderModules(const DecoderModules&) = delete;
  DecoderModules& operator=(const DecoderModules&) = delete;
  // Unloads whatever is still loaded, as unloadAll does.
  ~DecoderModules();

  // Loads the library file at `path`, checks its identification exports,
  // initialises it with pass 0 and `settings`, and keeps it when it reports
  // `expectedId`. `optionBit` is 0 for the decoding library itself, or the
  // option bit (1, 2, 4) of a companion, which moves failure codes to the
  // companion's (DecoderStatus.h). Returns 0 when the module was kept; a
  // module that fails is unloaded again.
  int load(const std::string& path, std::uint32_t expectedId, unsigned optionBit,
           const LayerSettings& settings);

  // Finalises (when initialised) and frees every module, last loaded first.
  void unloadAll();

  // Runs initialise pass `pass` over every module in load order; stops at
  // the first module that reports an error and returns that error, else 0.
  int initializeAll(unsigned pass, const LayerSettings& settings);

  // True when module `number` is at least the layer's version and demands at
  // most the layer's version; logs why not otherwise.
  bool versionRuleHolds(std::size_t number) const;
  // Why module `number` breaks the version rule, as a clause for people
  // ("library version 7.0.2 is older than this program's decoder layer
  // 7.0.3"), or "" when the rule holds.
  std::string versionRuleProblem(std::size_t number) const;

  // How far the last load that failed got, and why it failed; kept until
  // the next failure.
  const ModuleLoadFailure& lastFailure() const { return failure; }

  // The exported symbol `name` of module `number`, or null.
  void* symbol(std::size_t number, const char* name) const;

  const std::vector<DecoderModule>& list() const { return modules; }

 private:
  std::vector<DecoderModule> modules;
  ModuleLoadFailure failure;

  // Records why a load failed and returns `status`.
  int failed(int status, LoadProgress progress, std::string reason);
};

}  // namespace stereolint
