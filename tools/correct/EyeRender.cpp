#include "tools/correct/EyeRender.h"

#include <algorithm>
#include <opencv2/imgproc.hpp>

#include "corrections/EyeWarp.h"
#include "tools/correct/GradeEye.h"

namespace stereolint::correct {

std::array<cv::Mat, 2> renderEyes(const std::array<cv::Mat, 2>& eyes, const ShotPlan& shot, int sx,
                                  int sy) {
  std::array<cv::Mat, 2> out = eyes;
  if (shot.grade) out[1] = gradeEye(out[1], *shot.grade);
  if (shot.warped)
    for (size_t e = 0; e < out.size(); ++e) {
      cv::Mat warped;
      cv::warpPerspective(out[e], warped, corrections::inFileGeometry(shot.warps[e], sx, sy),
                          out[e].size(), cv::INTER_CUBIC, cv::BORDER_REPLICATE);
      out[e] = warped;
    }
  if (shot.floatingWindow > 0) {
    // Whole columns of the file: a squeezed view's column holds sx of the
    // full view's, and a partly covered one is blacked too.
    const int columns = std::min((shot.floatingWindow + sx - 1) / sx, eyes[0].cols);
    for (size_t e = 0; e < out.size(); ++e) {
      if (out[e].data == eyes[e].data) out[e] = out[e].clone();
      const int x = e == 0 ? 0 : out[e].cols - columns;
      out[e](cv::Rect(x, 0, columns, out[e].rows)).setTo(cv::Scalar::all(0));
    }
  }
  return out;
}

}  // namespace stereolint::correct
