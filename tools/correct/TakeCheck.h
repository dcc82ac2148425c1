// What stereolint-correct checks before it writes anything: that the
// inputs are the take the corrections were measured on, and that no output
// would overwrite an input.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/correct/CorrectOptions.h"
#include "tools/correct/CorrectionsPlan.h"
#include "tools/correct/TakeReader.h"

namespace stereolint::correct {

// Whether `options`' inputs, read by `reader`, are the take of `plan`: the
// same file names (folders may differ: a take moved is still the take), the
// same layout and the same view size in display geometry. Says what differs.
std::optional<std::string> checkSameTake(const CorrectOptions& options, const CorrectionsPlan& plan,
                                         const TakeReader& reader);

// Whether any of `outputs` (files, or for sequences folders) is an input
// file, or a sequence's folder, of `options`. Says which.
std::optional<std::string> checkNoOverwrite(const CorrectOptions& options,
                                            const std::vector<std::string>& outputs);

}  // namespace stereolint::correct
