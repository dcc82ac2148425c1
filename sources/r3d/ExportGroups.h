// The eight export groups of the decoding library: tables of function
// pointers, each filled from one loaded module by looking up the group's
// list of export names (ExportNames.h). Process-wide; bound by the loader and
// read by the clip operations on the main thread.
#pragma once

#include <array>
#include <cstddef>
#include <iterator>
#include <string_view>
#include <vector>

#include "sources/r3d/DecoderModules.h"
#include "sources/r3d/ExportNames.h"

namespace stereolint {

struct ExportGroup {
  const char* name;    // e.g. "ClipApi"
  unsigned optionBit;  // 0: always bound; 1, 2, 4: only when the option mask asks
  std::vector<const char*> exportNames;  // entry k of the table is the k-th name
};

constexpr std::size_t exportGroupCount = 8;

// The groups in binding order: "ClipApi", "MetadataApi", "AsyncDecoderApi",
// "RedRocketApi", "StreamApi", "REDCUDAAPI", "REDCLAPI", "R3DDECODERAPI".
const std::array<ExportGroup, exportGroupCount>& exportGroups();

// Binds every group whose option bit is 0 or set in `optionMask`, in table
// order, each from the first module (in load order) that exports all of its
// names. All bound groups must come from modules of one major.minor version
// (not checked in test mode 1). Returns 0, or on the first failure 7 (8, 9,
// 10 for option bit 1, 2, 4) with the failed group and every group before
// it unbound.
int bindExportGroups(const DecoderModules& modules, unsigned optionMask);

// True when module `number` exports every name of group `group`; logs nothing.
bool moduleExportsGroup(const DecoderModules& modules, std::size_t number, std::size_t group);

// Unbinds every group.
void clearExportGroups();

bool isExportGroupBound(std::size_t group);

// Entry `entry` of a bound group; null while the group is unbound.
void* exportEntry(std::size_t group, std::size_t entry);

// Counts how often "ClipApi" has been unbound in this process, so that a
// clip handle can tell whether the library that made it is still there.
unsigned long clipApiBindingGeneration();

// Positions of the clip entries in "ClipApi", found in its list at compile time.
namespace clipEntry {

constexpr std::string_view names[] = {
#define STEREOLINT_CLIP_ENTRY_TEXT(name) #name,
    STEREOLINT_CLIP_API_EXPORTS(STEREOLINT_CLIP_ENTRY_TEXT, STEREOLINT_CLIP_ENTRY_TEXT)
#undef STEREOLINT_CLIP_ENTRY_TEXT
};

constexpr std::size_t positionOf(std::string_view name) {
  for (std::size_t i = 0; i < std::size(names); ++i) {
    if (names[i] == name) return i;
  }
  return std::size(names);
}

constexpr std::size_t group = 0;
constexpr std::size_t close = positionOf("R3D_AAA");
constexpr std::size_t open = positionOf("R3D_AAC");
constexpr std::size_t decode = positionOf("R3D_AAI");
constexpr std::size_t width = positionOf("R3D_AAV");
constexpr std::size_t height = positionOf("R3D_AAW");
constexpr std::size_t frameCount = positionOf("R3D_AAX");
static_assert(frameCount < std::size(names), "every clip entry is in the ClipApi list");

}  // namespace clipEntry

}  // namespace stereolint
