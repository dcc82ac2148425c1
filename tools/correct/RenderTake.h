// Rendering a take's corrections: the take read as Stereolint reads it
// (the same frame numbers), the right eye of a shot with a grade graded
// (GradeEye.h), each eye of a corrected shot's frames then warped with the
// image library (bicubic, the picture's edge repeated), the other frames
// passed unchanged, written in the input's layout.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/correct/CorrectionsPlan.h"

namespace stereolint::correct {

// `outputs`: one for a stereo file, the left then the right eye's for two
// inputs. An output named .png, .tif or .tiff gets the take's first
// picture, any other name a lossless video (Ffv1Writer.h). What went
// wrong, or nothing.
std::optional<std::string> renderTake(const CorrectionsPlan& plan,
                                      const std::vector<std::string>& outputs);

}  // namespace stereolint::correct
