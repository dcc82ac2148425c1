#include "sources/r3d/CandidateFolders.h"

#include <algorithm>

#include "util/Constants.h"
#include "sources/r3d/DecoderInterface.h"
#include "sources/r3d/DecoderStatus.h"
#include "sources/r3d/LoaderLog.h"

namespace stereolint {

namespace {

// The test mode in which a library's redirect is not followed.
constexpr unsigned ignoreRedirects = 2;

}  // namespace

std::string withFolderSeparator(const std::string& folder) {
  if (folder.empty() || folder.back() == '\\' || folder.back() == '/') return folder;
  return folder + constants().folderSeparator;
}

std::optional<std::size_t> CandidateFolders::add(const std::string& folder) {
  if (folders.size() >= limit) {
    loaderLog("[FAIL INT. ] too many paths\n");
    return std::nullopt;
  }
  const auto same = std::find_if(folders.begin(), folders.end(),
                                 [&](const CandidateFolder& c) { return c.folder == folder; });
  if (same != folders.end()) {
    loaderLog("[FAIL INT. ] path '%s' already exists at index %u\n", folder.c_str(), same->index);
    return std::nullopt;
  }
  CandidateFolder candidate;
  candidate.index = static_cast<unsigned>(folders.size());
  candidate.folder = folder;
  folders.push_back(candidate);
  return folders.size() - 1;
}

std::vector<std::size_t> CandidateFolders::tryingOrder() const {
  std::vector<std::size_t> order(folders.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const CandidateFolder& first = folders[a];
    const CandidateFolder& second = folders[b];
    if (!(first.version == second.version)) return second.version < first.version;
    return first.index > second.index;
  });
  return order;
}

void CandidateFolders::dump(const std::vector<std::size_t>& order) const {
  loaderLog("----------------------\n");
  for (std::size_t position = 0; position < order.size(); ++position) {
    const CandidateFolder& candidate = folders[order[position]];
    loaderLog("%d: idx = %u, status = %d, version = ", static_cast<int>(position), candidate.index,
              candidate.status);
    loaderLog("%u.%u.%u", candidate.version.major, candidate.version.minor,
              candidate.version.patch);
    loaderLog(": %s\n", candidate.folder.c_str());
  }
  loaderLog("----------------------\n");
}

int probeFolder(const std::string& folder, CandidateFolders& candidates, DecoderModules& modules,
                const LayerSettings& settings) {
  loaderLog("[LOAD PATH ] %s\n", folder.c_str());
  const std::optional<std::size_t> position = candidates.add(withFolderSeparator(folder));
  if (!position) return decoderStatus::limitReached;

  modules.unloadAll();
  const std::string path = candidates.at(*position).folder + decoderLibraryFileName;
  const int loaded = modules.load(path, decoderLibraryId, 0, settings);
  CandidateFolder& candidate = candidates.at(*position);
  if (loaded != decoderStatus::ready) {
    candidate.status = loaded;
    candidate.progress = modules.lastFailure().progress;
    candidate.reason = modules.lastFailure().reason;
    return loaded;
  }
  const DecoderModule& library = modules.list().front();
  candidate.version = library.version;
  candidate.minimumLayerVersion = library.minimumLayerVersion;
  const bool holds = modules.versionRuleHolds(0);
  const int status = holds ? decoderStatus::ready : decoderStatus::versionRuleFailed;
  candidate.status = status;
  candidate.progress = holds ? LoadProgress::usable : LoadProgress::versionRefused;
  candidate.reason = holds ? "" : modules.versionRuleProblem(0);

  // The text is copied: probing the redirect unloads the library it lives in.
  const auto redirect =
      reinterpret_cast<LibraryRedirectFunction>(modules.symbol(0, "RED_REDIRECT"));
  const char* redirectText = redirect != nullptr ? redirect() : nullptr;
  const std::string redirectFolder = redirectText != nullptr ? redirectText : "";
  if (redirectFolder.empty()) return status;
  if (decoderLoaderSettings().testMode == ignoreRedirects) {
    loaderLog("[TEST  TEST] IGNORING REDIRECT %s\n", redirectFolder.c_str());
    return status;
  }
  return probeFolder(redirectFolder, candidates, modules, settings);
}

}  // namespace stereolint
