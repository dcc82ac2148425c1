#include "sources/InputStreams.h"

#include "sources/ClipStream.h"
#include "sources/InputKind.h"
#include "sources/SequenceStream.h"
#include "sources/StillStream.h"
#include "sources/VideoStream.h"

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

struct KindOpener {
  InputKind kind;
  Expected<InputStreams> (*open)(const std::array<std::string, 2>& inputs);
};

constexpr KindOpener kOpeners[] = {
    {InputKind::R3D, openClips},
    {InputKind::VIDEO, openEach<openVideoStream>},
    {InputKind::IMAGE, openEach<openStillStream>},
    {InputKind::SEQUENCE, openEach<openSequenceStream>},
};

}  // namespace

Expected<InputStreams> openInputStreams(const std::array<std::string, 2>& inputs) {
  const InputKind kind = inputKind(inputs[0], inputs[1]);
  for (const KindOpener& opener : kOpeners) {
    if (opener.kind == kind) return opener.open(inputs);
  }
  return Failure{"Unsupported file extension or incorrect format", "extension"};
}

}  // namespace stereolint
