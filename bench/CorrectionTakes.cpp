#include "CorrectionTakes.h"

#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

namespace bench {

namespace {

const char* const kVideoFolder = "/usr/share/doc/opencv-doc/examples/data/";

cv::Matx33d translation(double x, double y) { return {1, 0, x, 0, 1, y, 0, 0, 1}; }

// Where a point of the left view lands in the right view of `view` size.
cv::Matx33d rightViewMapping(const Misalign& m, cv::Size view) {
  const cv::Point2d centre(view.width / 2.0, view.height / 2.0);
  const cv::Matx23d turn = cv::getRotationMatrix2D(cv::Point2f(0, 0), m.degrees, m.scale);
  const cv::Matx33d turned(turn(0, 0), turn(0, 1), m.columns, turn(1, 0), turn(1, 1), m.rows, 0, 0,
                           1);
  // (x, y) / (1 + k x): y loses k x y to first order.
  const double k = m.keystone / (centre.x * centre.y);
  const cv::Matx33d keystone(1, 0, 0, 0, 1, 0, k, 0, 1);
  return translation(centre.x, centre.y) * keystone * turned * translation(-centre.x, -centre.y);
}

cv::Mat sideBySideFrame(const cv::Mat& frame, const Misalign& m, cv::Size view) {
  const cv::Size big(view.width * 21 / 20, view.height * 21 / 20);
  cv::Mat scaled;
  cv::resize(frame, scaled, big, 0, 0, cv::INTER_CUBIC);
  const cv::Rect middle((big.width - view.width) / 2, (big.height - view.height) / 2, view.width,
                        view.height);
  const cv::Mat left = scaled(middle);
  // The right view is drawn from the whole enlarged frame, so that its
  // moved edges show the scene beyond the left view's.
  const cv::Matx33d mapping = rightViewMapping(m, view) * translation(-middle.x, -middle.y);
  cv::Mat right;
  cv::warpPerspective(scaled, right, cv::Mat(mapping), view, cv::INTER_CUBIC, cv::BORDER_REFLECT);
  cv::multiply(right, m.gain, right);
  cv::Mat both;
  cv::hconcat(left, right, both);
  return both;
}

}  // namespace

ExpectedMeasures expectedMeasures(const Misalign& m) {
  // + 0.0: no "-0.000" for a misalignment not put in.
  return {-m.rows + 0.0, -m.degrees + 0.0, 1 / m.scale, m.keystone};
}

bool writeMisalignedTake(const std::string& path, const std::vector<ShotSource>& shots,
                         cv::Size view, bool delivered) {
  const int codec = delivered ? cv::VideoWriter::fourcc('a', 'v', 'c', '1')
                              : cv::VideoWriter::fourcc('F', 'F', 'V', '1');
  cv::VideoWriter writer(path, cv::CAP_FFMPEG, codec, 24, cv::Size(view.width * 2, view.height));
  if (!writer.isOpened()) return false;
  for (const ShotSource& shot : shots) {
    cv::VideoCapture capture(kVideoFolder + shot.video);
    cv::Mat frame;
    for (int skip = 0; skip < shot.first; ++skip)
      if (!capture.read(frame)) return false;
    for (int i = 0; i < shot.frames; ++i) {
      if (!capture.read(frame)) return false;
      writer.write(sideBySideFrame(frame, shot.misalign, view));
    }
  }
  return true;
}

}  // namespace bench
