// Decoded video frames, in whatever layout the codec gives (YUV 4:2:0 to
// 4:4:4, greyscale, RGB, 8 to 16 bits), turned into OpenCV pictures in
// blue-green-red order.
#pragma once

#include <opencv2/core.hpp>

#include "sources/LibavHandles.h"

namespace stereolint::libav {

// Lets go of `picture`'s pixels when another cv::Mat shares them, so that
// writing into `picture` cannot change a picture someone else holds.
void unshare(cv::Mat& picture);

class BgrConverter {
 public:
  // Writes `frame` into `picture` at the frame's own size: CV_8UC3 when the
  // frame has at most 8 bits per sample, else CV_16UC3 over the full range
  // 0..65535 (a 10-bit white, 1023, gives 65535). Greyscale frames give three
  // equal channels. YUV is turned into RGB with the frame's own matrix
  // (BT.601, BT.709, BT.2020...; BT.601 when it does not say) and range.
  //
  // The buffer of `picture` is reused when it has the size and type and
  // nobody else holds it (its reference count is one); otherwise a new one
  // is allocated, so a picture that the caller keeps is never overwritten.
  //
  // False when the scaler refuses the frame's layout or size.
  bool convert(const AVFrame& frame, cv::Mat& picture);

 private:
  // How the scaler turns YUV into RGB, and for which frames; set again only
  // when a frame asks for other colours or a new scaler, since setting it
  // rebuilds the scaler's tables.
  struct Colours {
    int width = 0, height = 0;
    AVPixelFormat layout = AV_PIX_FMT_NONE;
    AVColorSpace matrix = AVCOL_SPC_NB;
    bool fullRange = false;
    bool operator==(const Colours& other) const {
      return width == other.width && height == other.height && layout == other.layout &&
             matrix == other.matrix && fullRange == other.fullRange;
    }
  };
  ScalerHandle owner;  // sws_getCachedContext replaces it when size or layout change
  Colours colours;     // as last set; none yet
};

}  // namespace stereolint::libav
