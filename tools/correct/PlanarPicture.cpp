#include "tools/correct/PlanarPicture.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
}

namespace stereolint::correct {

cv::Point2d PlanarLayout::chromaOffset() const {
  // A subsampled chroma sample is either beside the first of the luma
  // samples it covers or centred among them.
  const double centredX = ((1 << chromaShiftX) - 1) / 2.0;
  const double centredY = ((1 << chromaShiftY) - 1) / 2.0;
  switch (chromaLocation) {
    case AVCHROMA_LOC_CENTER:
      return {centredX, centredY};
    case AVCHROMA_LOC_TOPLEFT:
      return {0, 0};
    case AVCHROMA_LOC_TOP:
      return {centredX, 0};
    case AVCHROMA_LOC_BOTTOMLEFT:
      return {0, centredY * 2};
    case AVCHROMA_LOC_BOTTOM:
      return {centredX, centredY * 2};
    default:  // left, or unspecified
      return {0, centredY};
  }
}

cv::Scalar PlanarLayout::black(int plane) const {
  if (plane > 0) return cv::Scalar::all(128);
  return cv::Scalar::all(fullRange ? 0 : 16);
}

std::optional<PlanarLayout> planarLayoutOf(const AVFrame& frame) {
  const auto format = static_cast<AVPixelFormat>(frame.format);
  const AVPixFmtDescriptor* description = av_pix_fmt_desc_get(format);
  if (description == nullptr || description->nb_components != 3 ||
      (description->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_BITSTREAM |
                             AV_PIX_FMT_FLAG_HWACCEL | AV_PIX_FMT_FLAG_FLOAT)) != 0 ||
      (description->flags & AV_PIX_FMT_FLAG_PLANAR) == 0)
    return std::nullopt;
  for (int c = 0; c < 3; ++c) {
    const AVComponentDescriptor& component = description->comp[c];
    if (component.plane != c || component.depth != 8 || component.step != 1 ||
        component.shift != 0 || component.offset != 0)
      return std::nullopt;
  }
  if (description->log2_chroma_w > 1 || description->log2_chroma_h > 1) return std::nullopt;
  PlanarLayout layout;
  // The JPEG layouts are the plain ones at full range, whatever the frame
  // says; they are kept as the plain layout and the range.
  switch (format) {
    case AV_PIX_FMT_YUVJ420P: layout.format = AV_PIX_FMT_YUV420P; break;
    case AV_PIX_FMT_YUVJ422P: layout.format = AV_PIX_FMT_YUV422P; break;
    case AV_PIX_FMT_YUVJ444P: layout.format = AV_PIX_FMT_YUV444P; break;
    default: layout.format = format; break;
  }
  layout.chromaShiftX = description->log2_chroma_w;
  layout.chromaShiftY = description->log2_chroma_h;
  layout.fullRange = frame.color_range == AVCOL_RANGE_JPEG || layout.format != format;
  layout.matrix = frame.colorspace;
  layout.primaries = frame.color_primaries;
  layout.transfer = frame.color_trc;
  layout.chromaLocation = frame.chroma_location;
  return layout;
}

PlanarPicture copyPlanes(const AVFrame& frame, const PlanarLayout& layout) {
  PlanarPicture picture;
  picture.layout = layout;
  for (int p = 0; p < 3; ++p) {
    const int shiftX = p == 0 ? 0 : layout.chromaShiftX;
    const int shiftY = p == 0 ? 0 : layout.chromaShiftY;
    const cv::Size size(-((-frame.width) >> shiftX), -((-frame.height) >> shiftY));
    cv::Mat(size, CV_8UC1, frame.data[p], static_cast<size_t>(frame.linesize[p]))
        .copyTo(picture.planes[p]);
  }
  return picture;
}

bool fallsOnChromaSamples(const cv::Rect& region, const PlanarLayout& layout) {
  const int maskX = (1 << layout.chromaShiftX) - 1;
  const int maskY = (1 << layout.chromaShiftY) - 1;
  return (region.x & maskX) == 0 && (region.width & maskX) == 0 && (region.y & maskY) == 0 &&
         (region.height & maskY) == 0;
}

PlanarPicture regionOf(const PlanarPicture& picture, const cv::Rect& region) {
  PlanarPicture part;
  part.layout = picture.layout;
  part.planes[0] = picture.planes[0](region);
  const int sx = picture.layout.chromaShiftX;
  const int sy = picture.layout.chromaShiftY;
  const cv::Rect chroma(region.x >> sx, region.y >> sy, region.width >> sx, region.height >> sy);
  for (int p = 1; p < 3; ++p) part.planes[p] = picture.planes[p](chroma);
  return part;
}

PlanarPicture joined(const PlanarPicture& first, const PlanarPicture& second, bool sideBySide) {
  PlanarPicture whole;
  whole.layout = first.layout;
  for (int p = 0; p < 3; ++p) {
    if (sideBySide)
      cv::hconcat(first.planes[p], second.planes[p], whole.planes[p]);
    else
      cv::vconcat(first.planes[p], second.planes[p], whole.planes[p]);
  }
  return whole;
}

}  // namespace stereolint::correct
