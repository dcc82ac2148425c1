// A stand-in for the decoding library "REDR3D-x86.dll", built from this one
// source into several variants (see CMakeLists.txt) so that the tests can
// reach every path of the decoder loader. It speaks the contract of
// sources/r3d/DecoderInterface.h and ExportNames.h and decodes the clip
// format of CLIP-FORMAT.md. A variant is chosen by compile definitions:
//
//   STANDIN_ID                       value of RED_LIB_ID (default 0x52334410)
//   STANDIN_VERSION=maj,min,patch    the library's version (default 7,1,0)
//   STANDIN_MINIMUM=maj,min,patch    the oldest layer it accepts (default 7,0,0)
//   STANDIN_BUILD_NAME               its build name (default "standin")
//   STANDIN_COMPANION                a companion: exports the "REDCUDAAPI"
//                                    group instead of the five always-bound ones
//   STANDIN_WITHOUT_STATICLIB_BUILD_NAME   one identification export missing
//   STANDIN_WITHOUT_LAST_STREAM_EXPORT     "R3D_GAD" of "StreamApi" missing
//   STANDIN_INIT_ERROR=pass,code     initialise pass `pass` fails with `code`
//   STANDIN_REDIRECT                 folder text returned by RED_REDIRECT
//   STANDIN_REDIRECT_TO_OWN_FOLDER   redirect to the own folder with "./"
//                                    appended: a new folder text every time
//   STANDIN_IMPORT=file,id,bit,count RED_IMPORTS lists `count` companions
//
// Besides the library's exports it has one of its own for the tests:
// "STANDIN_SETTINGS_SEEN" describes the passes and layer settings that its
// initialise function was called with.
#include <cstdint>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#if defined(STANDIN_REDIRECT_TO_OWN_FOLDER)
#include <dlfcn.h>
#endif

#include "StandinClipFormat.h"
#include "sources/r3d/DecoderInterface.h"
#include "sources/r3d/ExportNames.h"

#define STANDIN_EXPORT extern "C" __attribute__((visibility("default")))

#ifndef STANDIN_ID
#define STANDIN_ID 0x52334410
#endif
#ifndef STANDIN_VERSION
#define STANDIN_VERSION 7, 1, 0
#endif
#ifndef STANDIN_MINIMUM
#define STANDIN_MINIMUM 7, 0, 0
#endif
#ifndef STANDIN_BUILD_NAME
#define STANDIN_BUILD_NAME "standin"
#endif

using stereolint::DecodeJob;
using stereolint::LayerSettingsRecord;
using stereolint::LibraryImport;

namespace {

constexpr std::uint32_t version[3] = {STANDIN_VERSION};
constexpr std::uint32_t minimum[3] = {STANDIN_MINIMUM};
// The layer version this stand-in is written against.
constexpr std::uint32_t builtAgainst[3] = {7, 0, 3};

std::string settingsSeen;

void describeSettings(std::uint32_t pass, const LayerSettingsRecord* settings) {
  settingsSeen += "pass " + std::to_string(pass) + ":";
  if (settings == nullptr) {
    settingsSeen += " none\n";
    return;
  }
  for (std::uint32_t i = 0; i < settings->count; ++i) {
    const auto& entry = settings->entries[i];
    settingsSeen += " " + std::to_string(entry.key) + "=" +
                    (entry.text != nullptr ? "\"" + std::string(entry.text) + "\""
                                           : std::to_string(entry.number));
  }
  settingsSeen += "\n";
}

}  // namespace

// ---------------------------------------------------------------------------
// Identification

STANDIN_EXPORT std::uint32_t RED_LIB_ID() { return STANDIN_ID; }
STANDIN_EXPORT std::uint32_t RED_LIB_MAJOR_VERSION() { return version[0]; }
STANDIN_EXPORT std::uint32_t RED_LIB_MINOR_VERSION() { return version[1]; }
STANDIN_EXPORT std::uint32_t RED_LIB_PATCH_VERSION() { return version[2]; }
STANDIN_EXPORT std::uint32_t RED_MINIMUM_MAJOR_VERSION() { return minimum[0]; }
STANDIN_EXPORT std::uint32_t RED_MINIMUM_MINOR_VERSION() { return minimum[1]; }
STANDIN_EXPORT std::uint32_t RED_MINIMUM_PATCH_VERSION() { return minimum[2]; }
STANDIN_EXPORT std::uint32_t RED_STATICLIB_MAJOR_VERSION() { return builtAgainst[0]; }
STANDIN_EXPORT std::uint32_t RED_STATICLIB_MINOR_VERSION() { return builtAgainst[1]; }
STANDIN_EXPORT std::uint32_t RED_STATICLIB_PATCH_VERSION() { return builtAgainst[2]; }
STANDIN_EXPORT const char* RED_LIB_BUILD_NAME() { return STANDIN_BUILD_NAME; }
#ifndef STANDIN_WITHOUT_STATICLIB_BUILD_NAME
STANDIN_EXPORT const char* RED_STATICLIB_BUILD_NAME() { return "35I46"; }
#endif

STANDIN_EXPORT int RED_LIB_INITIALIZE(std::uint32_t pass, const LayerSettingsRecord* settings) {
  describeSettings(pass, settings);
#if defined(STANDIN_INIT_ERROR)
  constexpr int failure[2] = {STANDIN_INIT_ERROR};
  if (pass == static_cast<std::uint32_t>(failure[0])) return failure[1];
#endif
  return 0;
}

namespace {
void closeAllClips();
}  // namespace

STANDIN_EXPORT void RED_LIB_FINALIZE() {
  closeAllClips();
  settingsSeen.clear();
}

STANDIN_EXPORT const char* STANDIN_SETTINGS_SEEN() { return settingsSeen.c_str(); }

// ---------------------------------------------------------------------------
// Further files

#if defined(STANDIN_REDIRECT)
STANDIN_EXPORT const char* RED_REDIRECT() { return STANDIN_REDIRECT; }
#elif defined(STANDIN_REDIRECT_TO_OWN_FOLDER)
// The loader registers every folder text once, so each load of this variant
// names a folder it has not seen, until its limit of folders is reached.
STANDIN_EXPORT const char* RED_REDIRECT() {
  static std::string folder;
  Dl_info self{};
  if (dladdr(reinterpret_cast<void*>(&RED_REDIRECT), &self) == 0 || self.dli_fname == nullptr) {
    return nullptr;
  }
  folder = self.dli_fname;
  folder.erase(folder.rfind('/') + 1);
  folder += "./";
  return folder.c_str();
}
#endif

#if defined(STANDIN_IMPORT)
namespace {
struct ImportDefinition {
  const char* fileName;
  std::uint32_t id;
  std::uint32_t optionBit;
  std::uint32_t count;
};
constexpr ImportDefinition importDefinition{STANDIN_IMPORT};
}  // namespace

STANDIN_EXPORT std::uint32_t RED_IMPORTS(const LibraryImport** imports) {
  static const std::vector<LibraryImport> list(
      importDefinition.count,
      LibraryImport{importDefinition.fileName, importDefinition.id,
                    importDefinition.optionBit});
  *imports = list.data();
  return static_cast<std::uint32_t>(list.size());
}
#endif

// ---------------------------------------------------------------------------
// Export groups: stubs for every entry but the clip entries.

#define STANDIN_STUB(name) \
  STANDIN_EXPORT int name() { return 0; }
#define STANDIN_NOTHING(name)

#if defined(STANDIN_COMPANION)
STEREOLINT_CUDA_API_EXPORTS(STANDIN_STUB)

namespace {
void closeAllClips() {}
}  // namespace
#else

#if defined(STANDIN_WITHOUT_LAST_STREAM_EXPORT)
// The stub is exported under another name, so "R3D_GAD" is missing.
#define R3D_GAD R3D_GAD_withheld
#endif

STEREOLINT_CLIP_API_EXPORTS(STANDIN_STUB, STANDIN_NOTHING)
STEREOLINT_METADATA_API_EXPORTS(STANDIN_STUB)
STEREOLINT_ASYNC_DECODER_API_EXPORTS(STANDIN_STUB)
STEREOLINT_RED_ROCKET_API_EXPORTS(STANDIN_STUB)
STEREOLINT_STREAM_API_EXPORTS(STANDIN_STUB)

// ---------------------------------------------------------------------------
// Clip entries

namespace {

enum DecodeStatus {
  decoded = 0,
  noClip = 1,
  noSuchFrame = 2,
  badRequest = 3,
  unsupportedFormat = 4,
  bufferTooSmall = 5,
  readFailed = 6,
};

struct Clip {
  std::ifstream file;
  stereolint::test::ClipHeader header;
};

// Clips still open when the library is finalised are closed then.
std::set<Clip*> openClips;

}  // namespace

STANDIN_EXPORT void* R3D_AAC(const char* path) {
  if (path == nullptr) return nullptr;
  auto* clip = new Clip;
  clip->file.open(path, std::ios::binary);
  unsigned char header[stereolint::test::kClipHeaderSize];
  clip->file.read(reinterpret_cast<char*>(header), sizeof header);
  std::optional<stereolint::test::ClipHeader> parsed;
  if (clip->file) {
    clip->file.seekg(0, std::ios::end);
    const auto fileSize = static_cast<std::uint64_t>(clip->file.tellg());
    parsed = stereolint::test::readClipHeader(header, sizeof header, fileSize);
  }
  if (!parsed) {
    delete clip;
    return nullptr;
  }
  clip->header = *parsed;
  openClips.insert(clip);
  return clip;
}

STANDIN_EXPORT void R3D_AAA(void* clip) {
  if (openClips.erase(static_cast<Clip*>(clip)) != 0) delete static_cast<Clip*>(clip);
}

namespace {
void closeAllClips() {
  for (Clip* clip : openClips) delete clip;
  openClips.clear();
}
}  // namespace

STANDIN_EXPORT std::uint32_t R3D_AAV(void* clip) {
  return clip != nullptr ? static_cast<Clip*>(clip)->header.width : 0;
}

STANDIN_EXPORT std::uint32_t R3D_AAW(void* clip) {
  return clip != nullptr ? static_cast<Clip*>(clip)->header.height : 0;
}

STANDIN_EXPORT std::uint32_t R3D_AAX(void* clip) {
  return clip != nullptr ? static_cast<Clip*>(clip)->header.frameCount : 0;
}

STANDIN_EXPORT int R3D_AAI(void* handle, std::uint32_t frameIndex, DecodeJob* job) {
  if (handle == nullptr) return noClip;
  Clip& clip = *static_cast<Clip*>(handle);
  const stereolint::test::ClipHeader& header = clip.header;
  if (frameIndex >= header.frameCount) return noSuchFrame;
  if (job == nullptr || job->version != 1 || job->size != sizeof(DecodeJob)) return badRequest;
  if (job->mode != stereolint::decodeModeFullPremium ||
      job->pixelType != stereolint::pixelTypeRgb16Planar) {
    return unsupportedFormat;
  }
  // In 64 bits and by division, so that no size wraps around: a wrapped one
  // would let a too short row or buffer pass.
  const std::uint64_t planeBytes = std::uint64_t{job->bytesPerRow} * header.height;
  if (job->outputBuffer == nullptr || job->bytesPerRow < std::uint64_t{header.width} * 2 ||
      job->bytesPerRow % 2 != 0 || job->outputBufferSize / 3 < planeBytes) {
    return bufferTooSmall;
  }

  std::vector<unsigned char> frame(header.frameBytes());
  clip.file.clear();
  clip.file.seekg(static_cast<std::streamoff>(header.frameOffset(frameIndex)));
  clip.file.read(reinterpret_cast<char*>(frame.data()), static_cast<std::streamsize>(frame.size()));
  if (!clip.file) return readFailed;

  auto* output = static_cast<unsigned char*>(job->outputBuffer);
  const unsigned char* sample = frame.data();
  for (int plane = 0; plane < 3; ++plane) {
    for (std::uint32_t y = 0; y < header.height; ++y) {
      auto* row = reinterpret_cast<std::uint16_t*>(output + plane * planeBytes +
                                                   std::uint64_t{y} * job->bytesPerRow);
      for (std::uint32_t x = 0; x < header.width; ++x, sample += 2) {
        row[x] = static_cast<std::uint16_t>(sample[0] | sample[1] << 8);
      }
    }
  }
  return decoded;
}

static_assert(std::is_same_v<decltype(&R3D_AAC), stereolint::OpenClipFunction>);
static_assert(std::is_same_v<decltype(&R3D_AAA), stereolint::CloseClipFunction>);
static_assert(std::is_same_v<decltype(&R3D_AAV), stereolint::ClipWidthFunction>);
static_assert(std::is_same_v<decltype(&R3D_AAW), stereolint::ClipHeightFunction>);
static_assert(std::is_same_v<decltype(&R3D_AAX), stereolint::ClipFrameCountFunction>);
static_assert(std::is_same_v<decltype(&R3D_AAI), stereolint::DecodeFrameFunction>);

#endif  // STANDIN_COMPANION
