// The binary contract between Stereolint's decoder layer and the decoding
// library "REDR3D-x86.dll" (and the companion libraries it names): the
// signatures of the exports the layer calls, the records it hands over, and
// the fixed numbers both sides agree on.
//
// Everything here is plain data and C function types, so that a library
// written in C or C++ can be built against this header alone (the tests'
// stand-in decoder is). The names of the exports are in ExportNames.h.
#pragma once

#include <cstdint>

#include "sources/r3d/DecodeJob.h"

namespace stereolint {

// The value "RED_LIB_ID" returns in the decoding library itself.
constexpr std::uint32_t decoderLibraryId = 0x52334410;

// The one file name of the decoding library, on every platform.
constexpr const char* decoderLibraryFileName = "REDR3D-x86.dll";

// ---------------------------------------------------------------------------
// Layer settings handed to "RED_LIB_INITIALIZE".
//
// One entry per key, in ascending key order. An entry is either a number
// (`text` is null) or a NUL-terminated text (`number` is 0). The record and
// every text stay valid for the duration of the call only; a library that
// wants to keep a value copies it.

struct LayerSettingEntry {
  std::uint64_t key;
  std::int64_t number;
  const char* text;
};

struct LayerSettingsRecord {
  std::uint32_t version;  // layout version of this record: 1
  std::uint32_t count;    // number of entries
  const LayerSettingEntry* entries;
};

// The keys the layer fills before it probes any folder.
namespace layerSetting {
constexpr std::uint64_t logLevel = 0;         // number: the loader's log level (0xFF prints)
constexpr std::uint64_t majorVersion = 10;    // number: 7
constexpr std::uint64_t minorVersion = 11;    // number: 0
constexpr std::uint64_t patchVersion = 12;    // number: 3
constexpr std::uint64_t buildName = 13;       // text: "35I46"
constexpr std::uint64_t buildDate = 14;       // text: "20171005"
constexpr std::uint64_t banner = 15;          // text: "R3DAPI 7.0.3-35I46 (20171005 W32S)"
constexpr std::uint64_t platformLetter = 20;  // text: "S"
constexpr std::uint64_t optionMask = 30;      // number: the option mask of the load
constexpr std::uint64_t firstFolder = 31;     // text: the folder of the process's first load
constexpr std::uint64_t flag = 1000;          // number: the loader's flag setting, 0 or 1
constexpr std::uint64_t testMode = 1001;      // number: the loader's test mode
}  // namespace layerSetting

// ---------------------------------------------------------------------------
// Companion libraries listed by "RED_IMPORTS". Each is loaded from the folder
// of the library that lists it and must report `id` from its own
// "RED_LIB_ID". `optionBit` (1, 2 or 4) tells which optional export group it
// serves; it selects the status codes of its failures.

struct LibraryImport {
  const char* fileName;
  std::uint32_t id;
  std::uint32_t optionBit;
};

extern "C" {

// ---------------------------------------------------------------------------
// Identification exports, all without arguments.
// "RED_LIB_ID", the six "..._VERSION" numbers (library version, minimum layer
// version it needs, layer version it was built against).
using LibraryNumberFunction = std::uint32_t (*)();
// "RED_LIB_BUILD_NAME", "RED_STATICLIB_BUILD_NAME": NUL-terminated texts that
// live as long as the library is loaded.
using LibraryTextFunction = const char* (*)();

// "RED_LIB_INITIALIZE": called with pass 0 right after loading, then with
// passes 1 and 2 once all groups are bound. Returns 0 when ready, otherwise
// an error code (1: the library cannot work at all).
using LibraryInitializeFunction = int (*)(std::uint32_t pass, const LayerSettingsRecord* settings);
// "RED_LIB_FINALIZE": called once before an initialised library is unloaded.
using LibraryFinalizeFunction = void (*)();

// "RED_REDIRECT" (optional): a further folder to probe, or null or "" for none.
using LibraryRedirectFunction = const char* (*)();
// "RED_IMPORTS" (optional): stores the address of the library's list of
// companions in `*imports` and returns their number (0: none).
using LibraryImportsFunction = std::uint32_t (*)(const LibraryImport** imports);

// ---------------------------------------------------------------------------
// The clip entries of the "ClipApi" group. A clip handle is the library's
// own; null means "no clip".

// "R3D_AAC": opens the clip at a UTF-8 path; null when it cannot be opened.
using OpenClipFunction = void* (*)(const char* path);
// "R3D_AAA": closes a clip; a null handle is ignored.
using CloseClipFunction = void (*)(void* clip);
// "R3D_AAV", "R3D_AAW": width and height of the clip's frames in pixels (0
// for a null handle).
using ClipWidthFunction = std::uint32_t (*)(void* clip);
using ClipHeightFunction = std::uint32_t (*)(void* clip);
// "R3D_AAX": the number of video frames (0 for a null handle).
using ClipFrameCountFunction = std::uint32_t (*)(void* clip);
// "R3D_AAI": decodes frame `frameIndex` (from 0) as `job` asks; 0 on
// success, any other value is the library's error code.
using DecodeFrameFunction = int (*)(void* clip, std::uint32_t frameIndex, DecodeJob* job);

}  // extern "C"

}  // namespace stereolint
