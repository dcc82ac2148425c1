#include "sources/r3d/DecoderModules.h"

#include <cstdio>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "sources/r3d/DecoderStatus.h"
#include "sources/r3d/LoaderLog.h"

namespace stereolint {

namespace {

constexpr std::size_t buildNameLimit = 128;

// The error code a library reports when it cannot work at all; it is told
// apart from the library's other codes because it means "not loaded".
constexpr int libraryUnusable = 1;

template <class Function>
Function exported(platform::ModuleHandle handle, const char* name) {
  return reinterpret_cast<Function>(platform::moduleSymbol(handle, name));
}

void unload(DecoderModule& module) {
  if (module.initialized) {
    loaderLog("[FINALIZE  ] %08X %s\n", module.id, module.buildName.c_str());
    if (module.finalize != nullptr) module.finalize();
    module.initialized = false;
  }
  if (module.id != 0) {
    loaderLog("[UNLOAD LIB] %08X %s\n", module.id, module.buildName.c_str());
  } else {
    loaderLog("[UNLOAD LIB]\n");
  }
  platform::closeModule(module.handle);
  module.handle = nullptr;
}

// The identification exports that only answer questions; all must be there.
struct Identification {
  LibraryNumberFunction id, major, minor, patch, minimumMajor, minimumMinor, minimumPatch,
      staticMajor, staticMinor, staticPatch;
  LibraryTextFunction buildName, staticBuildName;
};

bool findIdentification(platform::ModuleHandle handle, Identification& found) {
  const std::pair<LibraryNumberFunction*, const char*> numbers[] = {
      {&found.id, "RED_LIB_ID"},
      {&found.major, "RED_LIB_MAJOR_VERSION"},
      {&found.minor, "RED_LIB_MINOR_VERSION"},
      {&found.patch, "RED_LIB_PATCH_VERSION"},
      {&found.minimumMajor, "RED_MINIMUM_MAJOR_VERSION"},
      {&found.minimumMinor, "RED_MINIMUM_MINOR_VERSION"},
      {&found.minimumPatch, "RED_MINIMUM_PATCH_VERSION"},
      {&found.staticMajor, "RED_STATICLIB_MAJOR_VERSION"},
      {&found.staticMinor, "RED_STATICLIB_MINOR_VERSION"},
      {&found.staticPatch, "RED_STATICLIB_PATCH_VERSION"},
  };
  bool complete = true;
  for (const auto& [function, name] : numbers) {
    *function = exported<LibraryNumberFunction>(handle, name);
    complete = complete && *function != nullptr;
  }
  found.buildName = exported<LibraryTextFunction>(handle, "RED_LIB_BUILD_NAME");
  found.staticBuildName = exported<LibraryTextFunction>(handle, "RED_STATICLIB_BUILD_NAME");
  return complete && found.buildName != nullptr && found.staticBuildName != nullptr;
}

std::string shortText(const char* text) {
  if (text == nullptr) return {};
  return std::string(std::string_view(text).substr(0, buildNameLimit));
}

void logVersion(const DecoderVersion& version) {
  loaderLog("%u.%u.%u\n", version.major, version.minor, version.patch);
}

}  // namespace

DecoderModules::~DecoderModules() { unloadAll(); }

namespace {

// What a loaded module says about itself.
void describe(DecoderModule& module, const Identification& identification) {
  module.id = identification.id();
  module.version = {identification.major(), identification.minor(), identification.patch()};
  module.minimumLayerVersion = {identification.minimumMajor(), identification.minimumMinor(),
                                identification.minimumPatch()};
  module.builtAgainst = {identification.staticMajor(), identification.staticMinor(),
                         identification.staticPatch()};
  module.buildName = shortText(identification.buildName());
  module.layerBuildName = shortText(identification.staticBuildName());
}

}  // namespace

int DecoderModules::load(const std::string& path, std::uint32_t expectedId, unsigned optionBit,
                         const LayerSettings& settings) {
  if (path.empty()) return failed(decoderStatus::noPath, LoadProgress::noFile, "no path");
  if (modules.size() >= limit) {
    loaderLog("[FAIL INT. ] loading too many libraries\n");
    return failed(decoderStatus::limitReached, LoadProgress::noFile,
                  decoderStatusText(decoderStatus::limitReached));
  }

  loaderLog("[LOAD LIB  ] %s\n", path.c_str());
  DecoderModule module;
  module.handle = platform::openModule(path);
  if (module.handle == nullptr) {
    const std::string systemText = platform::moduleError();
    loaderLog("[FAIL LOAD ] %s\n", systemText.c_str());
    const int status = componentStatus(decoderStatus::notLoaded, optionBit);
    loaderLog("[FAIL LOAD ] %d -> %d - %s\n", libraryUnusable, status, path.c_str());
    // The system says "cannot open" for a missing file and a foreign one
    // alike; whether a file is there tells the user which problem it is.
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
      return failed(status, LoadProgress::noFile, "no library file there");
    }
    return failed(status, LoadProgress::notALibrary, "not a loadable library: " + systemText);
  }

  Identification identification{};
  if (!findIdentification(module.handle, identification)) {
    loaderLog("[FAIL SYM  ] API\n");
    unload(module);
    return failed(componentStatus(decoderStatus::wrongLibrary, optionBit),
                  LoadProgress::notIdentified, "identification exports are missing");
  }

  loaderLog("[INIT0     ]\n");
  module.initialize = exported<LibraryInitializeFunction>(module.handle, "RED_LIB_INITIALIZE");
  module.finalize = exported<LibraryFinalizeFunction>(module.handle, "RED_LIB_FINALIZE");
  const int error = module.initialize != nullptr ? module.initialize(0, settings.record())
                                                 : libraryUnusable;
  if (error != 0) {
    loaderLog("[FAIL INIT0] %d\n", error);
    unload(module);
    return failed(
        error == libraryUnusable ? componentStatus(decoderStatus::notLoaded, optionBit) : error,
        LoadProgress::notIdentified,
        "its first initialisation failed with code " + std::to_string(error));
  }
  module.initialized = true;
  loaderLog("[OK INIT0  ]\n");

  describe(module, identification);
  if (module.id != expectedId) {
    loaderLog("[FAIL ID   ] %08X\n", module.id);
    char id[16];
    std::snprintf(id, sizeof id, "%08X", module.id);
    unload(module);
    return failed(componentStatus(decoderStatus::wrongLibrary, optionBit),
                  LoadProgress::notIdentified, std::string("another library (ID ") + id + ")");
  }
  loaderLog("[OK LOAD   ]\n");
  modules.push_back(std::move(module));
  return decoderStatus::ready;
}

void DecoderModules::unloadAll() {
  while (!modules.empty()) {
    unload(modules.back());
    modules.pop_back();
  }
}

int DecoderModules::initializeAll(unsigned pass, const LayerSettings& settings) {
  loaderLog("[INIT%u     ]\n", pass);
  for (const DecoderModule& module : modules) {
    const int error = module.initialize(pass, settings.record());
    if (error != 0) {
      loaderLog("[FAIL INIT%u] library %08X\n", pass, module.id);
      return error;
    }
  }
  loaderLog("[OK INIT%u  ]\n", pass);
  return decoderStatus::ready;
}

bool DecoderModules::versionRuleHolds(std::size_t number) const {
  const DecoderModule& module = modules[number];
  const auto numberText = static_cast<unsigned>(number);
  if (module.version < layerVersion) {
    loaderLog("[FAIL VER  ] (%u) dynamic version below ", numberText);
    logVersion(layerVersion);
    return false;
  }
  if (layerVersion < module.minimumLayerVersion) {
    loaderLog("[FAIL VER  ] (%u) static version too old: ", numberText);
    logVersion(layerVersion);
    return false;
  }
  return true;
}

std::string DecoderModules::versionRuleProblem(std::size_t number) const {
  const DecoderModule& module = modules[number];
  if (module.version < layerVersion) {
    return "library version " + decoderVersionText(module.version) +
           " is older than this program's decoder layer " + decoderVersionText(layerVersion);
  }
  if (layerVersion < module.minimumLayerVersion) {
    return "library version " + decoderVersionText(module.version) + " needs decoder layer " +
           decoderVersionText(module.minimumLayerVersion) + " or newer; this program has " +
           decoderVersionText(layerVersion);
  }
  return {};
}

int DecoderModules::failed(int status, LoadProgress progress, std::string reason) {
  failure = {progress, std::move(reason)};
  return status;
}

void* DecoderModules::symbol(std::size_t number, const char* name) const {
  return platform::moduleSymbol(modules[number].handle, name);
}

}  // namespace stereolint
