#include "sources/BgrConverter.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace stereolint::libav {

namespace {

bool deeperThan8Bits(AVPixelFormat format) {
  const AVPixFmtDescriptor* layout = av_pix_fmt_desc_get(format);
  return layout != nullptr && layout->comp[0].depth > 8;
}

bool isYuv(AVPixelFormat format) {
  const AVPixFmtDescriptor* layout = av_pix_fmt_desc_get(format);
  return layout != nullptr && (layout->flags & AV_PIX_FMT_FLAG_RGB) == 0 &&
         layout->nb_components >= 3;
}

// The codec's older "full range" formats (yuvj420p...) say their range by
// their name rather than by the frame's field.
bool fullRange(const AVFrame& frame) {
  switch (frame.format) {
    case AV_PIX_FMT_YUVJ420P:
    case AV_PIX_FMT_YUVJ422P:
    case AV_PIX_FMT_YUVJ444P:
    case AV_PIX_FMT_YUVJ440P:
    case AV_PIX_FMT_YUVJ411P: return true;
    default: return frame.color_range == AVCOL_RANGE_JPEG;
  }
}

// The scaler writes whole vectors: it runs past the end of a row whose
// width is not a multiple of them (a picture 120 pixels wide, say), and
// past the end of the last row. Each row is padded to a multiple of
// kRowAlignment pixels (so also of that many bytes), and one more row
// follows the picture. The common widths (1280, 1920, 2048, 3840) need no
// padding: their pictures stay continuous.
constexpr int kRowAlignment = 64;

cv::Mat scalerTarget(int rows, int cols, int type) {
  const int padded = (cols + kRowAlignment - 1) / kRowAlignment * kRowAlignment;
  const cv::Mat storage(rows + 1, padded, type);
  return storage(cv::Rect(0, 0, cols, rows));
}

}  // namespace

void unshare(cv::Mat& picture) {
  if (picture.u != nullptr && picture.u->refcount > 1) picture.release();
}

bool BgrConverter::convert(const AVFrame& frame, cv::Mat& picture) {
  const auto source = static_cast<AVPixelFormat>(frame.format);
  const bool deep = deeperThan8Bits(source);
  const AVPixelFormat target = deep ? AV_PIX_FMT_BGR48 : AV_PIX_FMT_BGR24;
  // The cached context stays while size and layout stay, and is rebuilt
  // when a stream changes either mid-way. No scaling happens: the flags
  // only choose how chroma is interpolated.
  SwsContext* next =
      sws_getCachedContext(owner.get(), frame.width, frame.height, source, frame.width,
                           frame.height, target, SWS_BILINEAR, nullptr, nullptr, nullptr);
  if (next != owner.get()) {
    (void)owner.release();  // sws_getCachedContext freed the old one
    owner.reset(next);
  }
  if (next == nullptr) {
    colours = {};
    return false;
  }
  // A rebuilt context (which may sit where the old one was) has default
  // colours: the layout is part of what was set.
  const Colours wanted{frame.width, frame.height, source, frame.colorspace, fullRange(frame)};
  if (!(colours == wanted)) {
    if (isYuv(source)) {
      const int matrix =
          frame.colorspace == AVCOL_SPC_UNSPECIFIED ? SWS_CS_DEFAULT : frame.colorspace;
      const int* coefficients = sws_getCoefficients(matrix);
      sws_setColorspaceDetails(next, coefficients, wanted.fullRange ? 1 : 0, coefficients, 1, 0,
                               1 << 16, 1 << 16);
    }
    colours = wanted;
  }

  unshare(picture);
  const int type = deep ? CV_16UC3 : CV_8UC3;
  if (picture.rows != frame.height || picture.cols != frame.width || picture.type() != type)
    picture = scalerTarget(frame.height, frame.width, type);
  std::uint8_t* planes[4] = {picture.data, nullptr, nullptr, nullptr};
  const int strides[4] = {static_cast<int>(picture.step[0]), 0, 0, 0};
  const int rows = sws_scale(next, frame.data, frame.linesize, 0, frame.height, planes, strides);
  return rows == frame.height;
}

}  // namespace stereolint::libav
