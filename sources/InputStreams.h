// Opening the inputs of a run: the kind of input comes from the file
// extensions, and each kind has its opener, in the table of input kinds
// (see InputKind.h).
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "sources/InputKind.h"
#include "util/Expected.h"

namespace stereolint {

// Opens the inputs. Failures: an extension that no kind reads, or two
// inputs of different kinds (topic "extension"), and whatever the kind's
// opener refuses.
Expected<InputStreams> openInputStreams(const std::array<std::string, 2>& inputs);

}  // namespace stereolint
