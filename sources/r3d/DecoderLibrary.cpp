#include "sources/r3d/DecoderLibrary.h"

#include <cstdlib>
#include <memory>
#include <optional>

#include "sources/r3d/DecoderInterface.h"
#include "sources/r3d/DecoderModules.h"
#include "sources/r3d/ExportGroups.h"
#include "sources/r3d/LayerSettings.h"
#include "sources/r3d/LoaderLog.h"

namespace stereolint {

namespace {

// The settings come first so that they outlive the modules, which are
// finalised when the state goes.
struct LoaderState {
  LayerSettings settings;
  CandidateFolders candidates;
  DecoderModules modules;
};

std::unique_ptr<LoaderState>& loaderState() {
  static std::unique_ptr<LoaderState> state;
  return state;
}

DecoderLoadReport& report() {
  static DecoderLoadReport lastLoad;
  return lastLoad;
}

void fillSettings(LayerSettings& settings, const std::string& folder, unsigned optionMask) {
  // The first load of the process fixes this folder for every later load.
  static const std::string firstFolder = folder;
  const DecoderLoaderSettings& loader = decoderLoaderSettings();
  settings.setNumber(layerSetting::logLevel, loader.logLevel);
  settings.setNumber(layerSetting::majorVersion, layerVersion.major);
  settings.setNumber(layerSetting::minorVersion, layerVersion.minor);
  settings.setNumber(layerSetting::patchVersion, layerVersion.patch);
  settings.setText(layerSetting::buildName, layerBuildName);
  settings.setText(layerSetting::buildDate, layerBuildDate);
  settings.setText(layerSetting::banner, layerBanner);
  settings.setText(layerSetting::platformLetter, "S");
  settings.setNumber(layerSetting::optionMask, optionMask);
  settings.setText(layerSetting::firstFolder, firstFolder);
  settings.setNumber(layerSetting::testMode, loader.testMode);
  settings.setNumber(layerSetting::flag, loader.flag ? 1 : 0);
}

// The library's companion list, copied out of the library.
struct Companion {
  std::string fileName;
  std::uint32_t id;
  unsigned optionBit;
};

std::vector<Companion> companionsOf(const DecoderModules& modules) {
  const auto imports = reinterpret_cast<LibraryImportsFunction>(modules.symbol(0, "RED_IMPORTS"));
  if (imports == nullptr) return {};
  const LibraryImport* list = nullptr;
  const std::uint32_t count = imports(&list);
  std::vector<Companion> companions;
  for (std::uint32_t i = 0; list != nullptr && i < count; ++i) {
    companions.push_back({list[i].fileName != nullptr ? list[i].fileName : "", list[i].id,
                          list[i].optionBit});
  }
  return companions;
}

// A library knows an option when a companion of its serves it or when it
// exports that option's groups itself.
unsigned knownOptions(const DecoderModules& modules, const std::vector<Companion>& companions) {
  unsigned known = 0;
  for (const Companion& companion : companions) known |= companion.optionBit;
  for (std::size_t group = 0; group < exportGroupCount; ++group) {
    const unsigned bit = exportGroups()[group].optionBit;
    if (bit != 0 && moduleExportsGroup(modules, 0, group)) known |= bit;
  }
  return known;
}

// Loads the library of a probed folder with its companions, binds the export
// groups and runs the two initialisation passes. 0 when all of it worked.
int loadFrom(const std::string& folder, unsigned optionMask, LoaderState& state) {
  DecoderModules& modules = state.modules;
  modules.unloadAll();
  int status = modules.load(folder + decoderLibraryFileName, decoderLibraryId, 0, state.settings);
  if (status != decoderStatus::ready) return status;

  const std::vector<Companion> companions = companionsOf(modules);
  const unsigned unknown = optionMask & ~knownOptions(modules, companions);
  if (unknown != 0) loaderLog("[WARN INT. ] unknown options: %X\n", unknown);

  for (const Companion& companion : companions) {
    status = modules.load(folder + companion.fileName, companion.id, companion.optionBit,
                          state.settings);
    if (status == decoderStatus::ready && !modules.versionRuleHolds(modules.list().size() - 1)) {
      status = decoderStatus::versionRuleFailed;
    }
    if (status != decoderStatus::ready) {
      loaderLog("[FAIL LOAD ]\n");
      return status;
    }
  }

  status = bindExportGroups(modules, optionMask);
  if (status != decoderStatus::ready) return status;

  for (unsigned pass = 1; pass <= 2; ++pass) {
    status = modules.initializeAll(pass, state.settings);
    if (status != decoderStatus::ready) return status;
  }
  return decoderStatus::ready;
}

// The failed folder whose loading got furthest (the first registered among
// equals), or null when there is none: its failure is the load's.
const CandidateFolder* furthestCandidate(const std::vector<CandidateFolder>& candidates) {
  const CandidateFolder* best = nullptr;
  for (const CandidateFolder& candidate : candidates) {
    if (candidate.status == decoderStatus::ready) continue;
    if (best == nullptr || best->progress < candidate.progress) best = &candidate;
  }
  return best;
}

std::string bannerWith(const DecoderModules& modules, const std::string& folder) {
  std::string banner = layerBanner;
  for (const DecoderModule& module : modules.list()) banner += " " + module.buildName;
  return banner + " [" + folder + "]";
}

}  // namespace

int loadDecoderLibrary(const std::string& folder, unsigned optionMask) {
  loaderLog("[INIT LIB  ] 0x%X at %s\n-%s\n", optionMask, folder.c_str(), layerBanner);
  report() = {decoderStatus::noPath, folder, optionMask, {}, {}, layerBanner,
              decoderStatusText(decoderStatus::noPath)};
  if (folder.empty()) return decoderStatus::noPath;

  unloadDecoderLibrary();
  loaderState() = std::make_unique<LoaderState>();
  LoaderState& state = *loaderState();
  fillSettings(state.settings, folder, optionMask);

  int result = probeFolder(folder, state.candidates, state.modules, state.settings);
  const char* sdkPath = std::getenv("R3DSDKPATH");
  if (sdkPath != nullptr && *sdkPath != '\0') {
    const int sdkResult = probeFolder(sdkPath, state.candidates, state.modules, state.settings);
    if (result == decoderStatus::ready) result = sdkResult;
  }

  const std::vector<std::size_t> order = state.candidates.tryingOrder();
  state.candidates.dump(order);
  for (const std::size_t position : order) {
    CandidateFolder& candidate = state.candidates.at(position);
    if (candidate.status != decoderStatus::ready) continue;
    const int status = loadFrom(candidate.folder, optionMask, state);
    if (status != decoderStatus::ready) {
      clearExportGroups();
      candidate.status = status;
      candidate.progress = LoadProgress::failedAfterProbing;
      candidate.reason = decoderStatusText(status);
      continue;
    }
    state.candidates.dump(order);
    report().status = decoderStatus::ready;
    report().reason.clear();
    report().candidates = state.candidates.list();
    report().chosenFolder = candidate.folder;
    report().banner = bannerWith(state.modules, candidate.folder);
    loaderLog("-%s\n[OK INIT   ]\n", report().banner.c_str());
    return decoderStatus::ready;
  }

  state.candidates.dump(order);
  if (const CandidateFolder* best = furthestCandidate(state.candidates.list())) {
    result = best->status;
    report().reason = best->reason;
  } else {
    report().reason = decoderStatusText(result);
  }
  report().status = result;
  report().candidates = state.candidates.list();
  unloadDecoderLibrary();
  loaderLog("[FAIL INIT ] error %d\n", result);
  return result;
}

void unloadDecoderLibrary() {
  std::unique_ptr<LoaderState>& state = loaderState();
  if (!state) return;
  clearExportGroups();
  state->modules.unloadAll();
  state.reset();
}

bool decoderLibraryReady() { return isExportGroupBound(clipEntry::group); }

const DecoderLoadReport& lastDecoderLoad() { return report(); }

}  // namespace stereolint
