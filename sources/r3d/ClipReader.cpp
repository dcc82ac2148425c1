#include "sources/r3d/ClipReader.h"

#include "sources/r3d/DecoderInterface.h"
#include "sources/r3d/ExportGroups.h"

namespace stereolint {

namespace {

template <class Function>
Function clipFunction(std::size_t entry) {
  return reinterpret_cast<Function>(exportEntry(clipEntry::group, entry));
}

}  // namespace

ClipReader::ClipReader(const std::string& path) {
  if (const auto open = clipFunction<OpenClipFunction>(clipEntry::open)) {
    clip = open(path.c_str());
    generation = clipApiBindingGeneration();
  }
}

ClipReader::~ClipReader() { close(); }

// Every unbinding of "ClipApi" counts up the generation, so a handle from an
// earlier binding, whose library has since been unloaded, is never handed
// back to a library.
bool ClipReader::isOpen() const {
  return clip != nullptr && generation == clipApiBindingGeneration();
}

std::uint32_t ClipReader::width() const {
  return isOpen() ? clipFunction<ClipWidthFunction>(clipEntry::width)(clip) : 0;
}

std::uint32_t ClipReader::height() const {
  return isOpen() ? clipFunction<ClipHeightFunction>(clipEntry::height)(clip) : 0;
}

std::uint32_t ClipReader::frameCount() const {
  return isOpen() ? clipFunction<ClipFrameCountFunction>(clipEntry::frameCount)(clip) : 0;
}

int ClipReader::decodeFrame(std::uint32_t index, DecodeJob& job) const {
  return isOpen() ? clipFunction<DecodeFrameFunction>(clipEntry::decode)(clip, index, &job)
                  : notOpen;
}

void ClipReader::close() {
  if (isOpen()) clipFunction<CloseClipFunction>(clipEntry::close)(clip);
  clip = nullptr;
}

}  // namespace stereolint
