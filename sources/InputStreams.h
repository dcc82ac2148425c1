// Choosing how to read the inputs of a run: the kind of input comes from the
// file extensions (see InputKind.h), and each kind has one opener in the
// table of InputStreams.cpp. A new kind of input is one FrameStream
// implementation and one line there.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "sources/FrameStream.h"
#include "util/Expected.h"

namespace stereolint {

// The streams of the inputs: one per distinct path, in input order. When
// both inputs name the same file, the one stream gives both views.
using InputStreams = std::vector<std::unique_ptr<FrameStream>>;

// Opens the inputs. Failures: an extension that no kind reads, or two
// inputs of different kinds (topic "extension"), and whatever the kind's
// opener refuses.
Expected<InputStreams> openInputStreams(const std::array<std::string, 2>& inputs);

}  // namespace stereolint
