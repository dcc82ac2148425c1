#include "tools/correct/EyeRender.h"

#include <algorithm>

#include "corrections/EyeWarp.h"
#include "tools/correct/GradeEye.h"

namespace stereolint::correct {

std::array<cv::Mat, 2> renderEyes(const std::array<cv::Mat, 2>& eyes, const ShotPlan& shot, int sx,
                                  int sy, ShotWarps& warps) {
  std::array<cv::Mat, 2> out = eyes;
  if (shot.grade) out[1] = gradeEye(out[1], *shot.grade);
  if (shot.warped)
    for (int e = 0; e < 2; ++e) {
      cv::Mat warped;
      warps.of(shot, e, corrections::inFileGeometry(shot.warps[e], sx, sy), out[e].size())
          ->apply(out[e], warped);
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

namespace {

// The homography of the chroma plane: from chroma samples to luma pixels,
// the warp, and back.
cv::Matx33d chromaWarp(const cv::Matx33d& warp, const PlanarLayout& layout) {
  const cv::Point2d offset = layout.chromaOffset();
  const cv::Matx33d toLuma(1 << layout.chromaShiftX, 0, offset.x, 0, 1 << layout.chromaShiftY,
                           offset.y, 0, 0, 1);
  return toLuma.inv() * warp * toLuma;
}

}  // namespace

std::array<PlanarPicture, 2> renderPlanarEyes(const std::array<PlanarPicture, 2>& eyes,
                                              const ShotPlan& shot, int sx, int sy,
                                              ShotWarps& warps) {
  std::array<PlanarPicture, 2> out = eyes;
  const PlanarLayout& layout = eyes[0].layout;
  if (shot.warped)
    for (int e = 0; e < 2; ++e) {
      const cv::Matx33d luma = corrections::inFileGeometry(shot.warps[e], sx, sy);
      for (int p = 0; p < 3; ++p) {
        const cv::Mat& plane = eyes[e].planes[p];
        cv::Mat warped;
        warps.of(shot, e, p == 0 ? luma : chromaWarp(luma, layout), plane.size())
            ->apply(plane, warped);
        out[e].planes[p] = warped;
      }
    }
  if (shot.floatingWindow > 0) {
    const int width = eyes[0].size().width;
    const int columns = std::min((shot.floatingWindow + sx - 1) / sx, width);
    for (size_t e = 0; e < out.size(); ++e)
      for (int p = 0; p < 3; ++p) {
        cv::Mat& plane = out[e].planes[p];
        if (plane.data == eyes[e].planes[p].data) plane = plane.clone();
        const int shift = p == 0 ? 0 : layout.chromaShiftX;
        // The left eye's first columns, the right eye's last ones: every
        // sample that covers one of them.
        const int first = e == 0 ? 0 : (width - columns) >> shift;
        const int last = e == 0 ? -((-columns) >> shift) : plane.cols;
        plane.colRange(first, last).setTo(layout.black(p));
      }
  }
  return out;
}

}  // namespace stereolint::correct
