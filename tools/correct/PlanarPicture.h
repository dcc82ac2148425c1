// A picture as a video codec stores it: three 8-bit planes of Y'CbCr, the
// chroma planes subsampled (4:2:0, 4:2:2) or not (4:4:4), with the tags
// that say how its colours are read. Videos in such a layout are corrected
// in it: no conversion to RGB and back, so frames left as they are keep
// their exact samples and the lossless master keeps the source's sampling.
#pragma once

#include <array>
#include <opencv2/core.hpp>
#include <optional>

extern "C" {
#include <libavutil/pixfmt.h>
}

struct AVFrame;

namespace stereolint::correct {

struct PlanarLayout {
  AVPixelFormat format = AV_PIX_FMT_NONE;  // a planar 8-bit Y'CbCr layout, never a JPEG one
  int chromaShiftX = 0;                    // log2 of the chroma subsampling in width
  int chromaShiftY = 0;                    // and in height
  bool fullRange = false;                  // 0..255 rather than 16..235 (240 for chroma)
  AVColorSpace matrix = AVCOL_SPC_UNSPECIFIED;
  AVColorPrimaries primaries = AVCOL_PRI_UNSPECIFIED;
  AVColorTransferCharacteristic transfer = AVCOL_TRC_UNSPECIFIED;
  AVChromaLocation chromaLocation = AVCHROMA_LOC_UNSPECIFIED;

  // Where chroma sample (i, j) lies, in pixels of the luma plane (integers
  // at pixel centres): (i * 2^chromaShiftX + x, j * 2^chromaShiftY + y).
  // Unspecified siting is taken as MPEG-2's, the usual one of 4:2:0 video:
  // beside the first luma column, between the two rows.
  cv::Point2d chromaOffset() const;
  // The sample value of black in each plane.
  cv::Scalar black(int plane) const;
};

struct PlanarPicture {
  std::array<cv::Mat, 3> planes;  // Y', Cb, Cr; CV_8UC1 each
  PlanarLayout layout;

  cv::Size size() const { return planes[0].size(); }
};

// The layout of `frame` when it is planar 8-bit Y'CbCr; nothing for any
// other (RGB, greyscale, deeper samples, packed or semi-planar layouts).
std::optional<PlanarLayout> planarLayoutOf(const AVFrame& frame);

// A copy of `frame`'s planes (of a layout planarLayoutOf gave), so that the
// decoder can reuse its buffers.
PlanarPicture copyPlanes(const AVFrame& frame, const PlanarLayout& layout);

// True when `region` (in luma pixels) starts and ends on whole chroma
// samples, so that it can be cut out of every plane.
bool fallsOnChromaSamples(const cv::Rect& region, const PlanarLayout& layout);

// The part of `picture` in `region` (fallsOnChromaSamples), sharing its
// pixels.
PlanarPicture regionOf(const PlanarPicture& picture, const cv::Rect& region);

// `first` and `second` put side by side, or the first over the second.
PlanarPicture joined(const PlanarPicture& first, const PlanarPicture& second, bool sideBySide);

}  // namespace stereolint::correct
