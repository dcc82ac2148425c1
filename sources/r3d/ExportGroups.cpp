#include "sources/r3d/ExportGroups.h"

#include <optional>
#include <utility>

#include "sources/r3d/DecoderStatus.h"
#include "sources/r3d/LoaderLog.h"

namespace stereolint {

namespace {

// The test mode in which groups of differing versions may be bound together.
constexpr unsigned skipVersionMatch = 1;

struct BoundGroups {
  std::array<std::vector<void*>, exportGroupCount> entries;
  std::array<bool, exportGroupCount> bound{};
  unsigned long clipApiGeneration = 0;
};

BoundGroups& boundGroups() {
  static BoundGroups groups;
  return groups;
}

void clearGroup(std::size_t group) {
  BoundGroups& groups = boundGroups();
  if (group == clipEntry::group && groups.bound[group]) ++groups.clipApiGeneration;
  groups.entries[group].clear();
  groups.bound[group] = false;
}

void clearGroupsUpTo(std::size_t last) {
  for (std::size_t group = 0; group <= last; ++group) clearGroup(group);
}

// The group's entries from module `number`, or nothing when it lacks a name;
// every missing name is logged when `logMissing` is set.
std::optional<std::vector<void*>> findEntries(const DecoderModules& modules, std::size_t number,
                                              const ExportGroup& group, bool logMissing) {
  std::vector<void*> entries;
  bool complete = true;
  for (const char* name : group.exportNames) {
    void* entry = modules.symbol(number, name);
    if (entry == nullptr) {
      complete = false;
      if (!logMissing) break;
      loaderLog("[NOT FOUND ] %s\n", name);
    }
    entries.push_back(entry);
  }
  if (!complete) return std::nullopt;
  return entries;
}

}  // namespace

const std::array<ExportGroup, exportGroupCount>& exportGroups() {
#define STEREOLINT_EXPORT_TEXT(name) #name,
  static const std::array<ExportGroup, exportGroupCount> groups{{
      {"ClipApi", 0,
       {STEREOLINT_CLIP_API_EXPORTS(STEREOLINT_EXPORT_TEXT, STEREOLINT_EXPORT_TEXT)}},
      {"MetadataApi", 0, {STEREOLINT_METADATA_API_EXPORTS(STEREOLINT_EXPORT_TEXT)}},
      {"AsyncDecoderApi", 0, {STEREOLINT_ASYNC_DECODER_API_EXPORTS(STEREOLINT_EXPORT_TEXT)}},
      {"RedRocketApi", 0, {STEREOLINT_RED_ROCKET_API_EXPORTS(STEREOLINT_EXPORT_TEXT)}},
      {"StreamApi", 0, {STEREOLINT_STREAM_API_EXPORTS(STEREOLINT_EXPORT_TEXT)}},
      {"REDCUDAAPI", 1, {STEREOLINT_CUDA_API_EXPORTS(STEREOLINT_EXPORT_TEXT)}},
      {"REDCLAPI", 2, {STEREOLINT_CL_API_EXPORTS(STEREOLINT_EXPORT_TEXT)}},
      {"R3DDECODERAPI", 4, {STEREOLINT_DECODER_API_EXPORTS(STEREOLINT_EXPORT_TEXT)}},
  }};
#undef STEREOLINT_EXPORT_TEXT
  return groups;
}

int bindExportGroups(const DecoderModules& modules, unsigned optionMask) {
  // Set by the first group bound: the major and minor version of its module.
  std::optional<std::pair<unsigned, unsigned>> boundVersion;
  for (std::size_t index = 0; index < exportGroupCount; ++index) {
    const ExportGroup& group = exportGroups()[index];
    if (group.optionBit != 0 && (optionMask & group.optionBit) == 0) {
      loaderLog("[SKIP SYM  ] %s\n", group.name);
      continue;
    }
    loaderLog("[LOAD SYM  ] %s\n", group.name);
    clearGroup(index);
    const int failure = componentStatus(decoderStatus::wrongLibrary, group.optionBit);

    std::optional<std::vector<void*>> entries;
    const DecoderModule* source = nullptr;
    for (std::size_t number = 0; number < modules.list().size(); ++number) {
      entries = findEntries(modules, number, group, true);
      if (entries) {
        source = &modules.list()[number];
        break;
      }
    }
    if (source == nullptr) {
      loaderLog("[FAIL SYM  ] %s\n", group.name);
      clearGroupsUpTo(index);
      return failure;
    }
    const DecoderVersion& version = source->version;

    if (!boundVersion) {
      boundVersion = std::make_pair(version.major, version.minor);
    } else if (decoderLoaderSettings().testMode == skipVersionMatch) {
      loaderLog("[TEST  TEST] SKIPPING MATCH\n");
    } else if (*boundVersion != std::make_pair(version.major, version.minor)) {
      loaderLog("[FAIL MATCH] version ");
      loaderLog("%u.%u.%u\n", version.major, version.minor, version.patch);
      clearGroupsUpTo(index);
      return failure;
    }
    boundGroups().entries[index] = std::move(*entries);
    boundGroups().bound[index] = true;
    loaderLog("[OK SYM    ] %s\n", group.name);
  }
  return decoderStatus::ready;
}

bool moduleExportsGroup(const DecoderModules& modules, std::size_t number, std::size_t group) {
  return findEntries(modules, number, exportGroups()[group], false).has_value();
}

void clearExportGroups() { clearGroupsUpTo(exportGroupCount - 1); }

bool isExportGroupBound(std::size_t group) { return boundGroups().bound[group]; }

void* exportEntry(std::size_t group, std::size_t entry) {
  const BoundGroups& groups = boundGroups();
  if (!groups.bound[group] || entry >= groups.entries[group].size()) return nullptr;
  return groups.entries[group][entry];
}

unsigned long clipApiBindingGeneration() { return boundGroups().clipApiGeneration; }

}  // namespace stereolint
