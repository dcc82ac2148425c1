#include "sources/InputStreams.h"

namespace stereolint {

Expected<InputStreams> openInputStreams(const std::array<std::string, 2>& inputs) {
  const InputKind kind = inputKind(inputs[0], inputs[1]);
  for (const InputKindEntry& entry : inputKindTable()) {
    if (entry.kind == kind) return entry.open(inputs);
  }
  return Failure{"Unsupported file extension or incorrect format", "extension"};
}

}  // namespace stereolint
