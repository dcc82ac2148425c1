#include "sources/InputKind.h"

#include <algorithm>
#include <vector>

#include "sources/ClipStream.h"
#include "sources/ImageSequence.h"
#include "sources/SequenceStream.h"
#include "sources/StillStream.h"
#include "sources/VideoStream.h"
#include "util/Paths.h"

namespace stereolint {

namespace {

using OpenOne = Expected<std::unique_ptr<FrameStream>> (*)(const std::string& path);

// Kinds whose files open one by one: the first failure ends the opening.
template <OpenOne open>
Expected<InputStreams> openEach(const std::array<std::string, 2>& inputs) {
  InputStreams streams;
  for (size_t k = 0; k < (inputs[1] == inputs[0] ? 1U : 2U); ++k) {
    auto stream = open(inputs[k]);
    if (!stream) return stream.failure();
    streams.push_back(std::move(stream.value()));
  }
  return streams;
}

Expected<InputStreams> openClips(const std::array<std::string, 2>& inputs) {
  return openClipStreams(inputs);
}

const std::vector<std::string> Constants::*const kNoExtensions = nullptr;

const std::array<InputKindEntry, 4> kKinds = {{
    {InputKind::R3D, &Constants::r3dExtensions, openClips},
    {InputKind::VIDEO, &Constants::videoExtensions, openEach<openVideoStream>},
    {InputKind::IMAGE, &Constants::imageExtensions, openEach<openStillStream>},
    {InputKind::SEQUENCE, kNoExtensions, openSequenceStreams},
}};

}  // namespace

const std::array<InputKindEntry, 4>& inputKindTable() { return kKinds; }

bool namesSequence(const std::string& path) {
  if (!looksLikeSequence(path)) return false;
  const std::string extension = fileExtension(path);
  return !fileExists(path) || extension == "DPX" || extension == "EXR";
}

InputKind inputKind(const std::string& first, const std::string& second) {
  if (namesSequence(first) && (second == first || namesSequence(second))) {
    return InputKind::SEQUENCE;
  }
  const std::string extension = fileExtension(first);
  if (fileExtension(second) != extension) return InputKind::UNSUPPORTED;
  for (const InputKindEntry& entry : kKinds) {
    if (entry.extensions == nullptr) continue;
    const std::vector<std::string>& listed = constants().*entry.extensions;
    if (std::find(listed.begin(), listed.end(), extension) != listed.end()) return entry.kind;
  }
  return InputKind::UNSUPPORTED;
}

}  // namespace stereolint
