#include "QcTestData.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "qc/FrameSignature.h"

namespace stereolint::test {

namespace {

constexpr int kPanPerStep = 2;

cv::Mat sceneCanvas(int scene, cv::Size size) {
  cv::RNG rng(static_cast<uint64_t>(1000 + scene * 7919));
  const cv::Size canvasSize(size.width + 200, size.height + 40);
  cv::Mat canvas(canvasSize, CV_8UC3,
                 cv::Scalar(rng.uniform(40, 200), rng.uniform(40, 200), rng.uniform(40, 200)));
  for (int i = 0; i < 14; ++i) {
    const cv::Scalar colour(rng.uniform(0, 256), rng.uniform(0, 256), rng.uniform(0, 256));
    const cv::Point centre(rng.uniform(0, canvasSize.width), rng.uniform(0, canvasSize.height));
    const int radius = rng.uniform(size.height / 8, size.height / 2);
    if (i % 2 == 0)
      cv::circle(canvas, centre, radius, colour, cv::FILLED, cv::LINE_AA);
    else
      cv::rectangle(canvas, cv::Rect(centre.x - radius, centre.y - radius / 2, 2 * radius, radius),
                    colour, cv::FILLED);
  }
  cv::Mat texture(canvasSize, CV_8UC3);
  rng.fill(texture, cv::RNG::UNIFORM, cv::Scalar::all(0), cv::Scalar::all(40));
  canvas += texture;
  return canvas;
}

}  // namespace

cv::Mat scenePicture(int scene, int step, cv::Size size) {
  const cv::Mat canvas = sceneCanvas(scene, size);
  return canvas(cv::Rect(10 + kPanPerStep * step, 20, size.width, size.height)).clone();
}

cv::Mat flatPicture(int level, cv::Size size) {
  return cv::Mat(size, CV_8UC3, cv::Scalar::all(level));
}

qc::FrameRecord measuredFrame(int frame, const cv::Mat& leftView, double verticalRows,
                              double rotationDegrees, double scale) {
  qc::FrameRecord record;
  record.frame = frame;
  record.viewSize = cv::Size(1920, 1080);
  record.values[measureIndex(Measure::Vertical)] = verticalRows;
  record.values[measureIndex(Measure::Rotation)] = rotationDegrees;
  record.values[measureIndex(Measure::Scale)] = scale;
  record.points = 200;
  record.signature = qc::frameSignature(leftView);
  return record;
}

std::vector<qc::FrameRecord> plannedTake(const std::vector<ShotPlan>& shots) {
  std::vector<qc::FrameRecord> records;
  int frame = 1;
  for (const ShotPlan& shot : shots)
    for (int step = 0; step < shot.frames; ++step, ++frame) {
      const cv::Mat view = shot.scene < 0 ? flatPicture(0) : scenePicture(shot.scene, step);
      const double wobble = 0.05 * ((frame * 37) % 7 - 3);
      const double vertical = step == shot.oddFrame ? shot.oddVertical : shot.verticalRows + wobble;
      qc::FrameRecord record = measuredFrame(frame, view, vertical, shot.rotation + wobble / 50);
      if (shot.scene < 0) record.points = 0;
      records.push_back(record);
    }
  return records;
}

report::ReportContent fourShotTake() {
  report::ReportContent content;
  content.take.name = "A012C003";
  content.take.inputs = {"A012C003_left.mov", "A012C003_right.mov"};
  content.take.frameCount = 40;
  content.take.frameRate = 25.0;
  content.take.startTimecode = "01:00:00:00";
  content.settings = {{"method", "Stereolint"}, {"parameters", "DETECTOR ORB"}};
  content.limits = qc::defaultLimits();
  content.frames = plannedTake({{0, 12, 0.8},
                                {1, 10, 6.0, 0, 2, 14.0},
                                {-1, 6, 0.0},
                                {2, 12, 1.0, 0.8}});
  return content;
}

void writeSummaryPicture(const std::string& prefix, int frame, int size, int scene) {
  const cv::Size viewSize(320, 180);
  const cv::Mat left = scene < 0 ? flatPicture(0, viewSize) : scenePicture(scene, 0, viewSize);
  const cv::Mat right = scene < 0 ? flatPicture(0, viewSize) : scenePicture(scene, 3, viewSize);
  std::vector<cv::Mat> leftChannels;
  std::vector<cv::Mat> rightChannels;
  cv::split(left, leftChannels);
  cv::split(right, rightChannels);
  cv::Mat anaglyph;
  cv::merge(std::vector<cv::Mat>{rightChannels[0], rightChannels[1], leftChannels[2]}, anaglyph);
  cv::Mat top;
  cv::Mat summary;
  cv::hconcat(left, right, top);
  cv::Mat bottom;
  cv::hconcat(anaglyph, anaglyph, bottom);
  cv::vconcat(top, bottom, summary);
  cv::imwrite(prefix + std::to_string(frame) + "_" + std::to_string(size) + "_SUMMARY.png", summary);
}

}  // namespace stereolint::test
