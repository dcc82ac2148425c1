#include "tools/correct/RenderTake.h"

#include <memory>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "corrections/EyeWarp.h"
#include "sources/InputStreams.h"
#include "sources/ViewRegions.h"
#include "tools/correct/Ffv1Writer.h"
#include "tools/correct/GradeEye.h"
#include "util/Paths.h"

namespace stereolint::correct {

namespace {

bool namesPicture(const std::string& path) {
  const std::string extension = fileExtension(path);
  return extension == "PNG" || extension == "TIF" || extension == "TIFF";
}

// Three channels of 8 or 16 bits, as the writers take them.
cv::Mat asColour(const cv::Mat& picture) {
  cv::Mat colour = picture;
  if (picture.channels() == 1) cv::cvtColor(picture, colour, cv::COLOR_GRAY2BGR);
  if (picture.channels() == 4) cv::cvtColor(picture, colour, cv::COLOR_BGRA2BGR);
  if (colour.depth() != CV_8U && colour.depth() != CV_16U) colour.convertTo(colour, CV_8U);
  return colour;
}

// One output: a still picture or a video, opened at its first picture.
class Output {
 public:
  explicit Output(std::string path) : path(std::move(path)) {}

  std::optional<std::string> add(const cv::Mat& picture, double rate) {
    if (namesPicture(path)) {
      if (written++ > 0) return std::nullopt;
      if (!cv::imwrite(path, picture)) return "cannot write " + path;
      return std::nullopt;
    }
    if (written++ == 0) {
      if (auto problem = video.open(path, picture.size(), picture.depth() == CV_16U, rate))
        return path + ": " + *problem;
    }
    if (auto problem = video.write(picture)) return path + ": " + *problem;
    return std::nullopt;
  }

  std::optional<std::string> finish() {
    if (namesPicture(path) || written == 0) return std::nullopt;
    if (auto problem = video.finish()) return path + ": " + *problem;
    return std::nullopt;
  }

 private:
  std::string path;
  Ffv1Writer video;
  long long written = 0;
};

// The eye warped in the file's own geometry (views squeezed by `sx`, `sy`).
cv::Mat warpEye(const cv::Mat& eye, const cv::Matx33d& warp, int sx, int sy) {
  cv::Mat warped;
  cv::warpPerspective(eye, warped, corrections::inFileGeometry(warp, sx, sy), eye.size(),
                      cv::INTER_CUBIC, cv::BORDER_REPLICATE);
  return warped;
}

}  // namespace

std::optional<std::string> renderTake(const CorrectionsPlan& plan,
                                      const std::vector<std::string>& outputs) {
  const std::array<std::string, 2> inputs{plan.paths.front(), plan.paths.back()};
  Expected<InputStreams> opened = openInputStreams(inputs);
  if (!opened) return opened.error();
  InputStreams& streams = opened.value();
  const std::optional<Orientation> orientation = orientationFromWord(plan.orientation);
  if (!orientation) return "the orientation \"" + plan.orientation + "\" is none Stereolint reads";
  const bool pair = *orientation == Orientation::Whole;
  if (outputs.size() != (pair ? 2u : 1u))
    return pair ? "two inputs need two outputs: the left eye's and the right eye's"
                : "one stereo input needs one output";
  const int sx = *orientation == Orientation::SideBySide ? plan.squeeze : 1;
  const int sy = *orientation == Orientation::OverUnder ? plan.squeeze : 1;
  const double rate = streams.front()->frameRate().value_or(24);
  std::vector<std::unique_ptr<Output>> writers;
  for (const std::string& path : outputs) writers.push_back(std::make_unique<Output>(path));
  for (;;) {
    std::array<cv::Mat, 2> eyes;
    std::int64_t number = 0;
    for (size_t s = 0; s < streams.size(); ++s) {
      StreamPicture picture;
      const StreamRead read = streams[s]->read(picture);
      if (read.kind == StreamRead::Kind::End) break;
      if (read.kind != StreamRead::Kind::Picture)
        return "cannot read a frame of " + streams[s]->path() + read.reason;
      number = picture.number;
      const cv::Mat colour = asColour(picture.picture);
      if (pair) {
        eyes[s] = colour;
      } else {
        const auto regions = viewRegions(*orientation, colour.cols, colour.rows);
        eyes = {colour(regions->first), colour(regions->second)};
      }
    }
    if (eyes[1].empty()) break;
    if (const ShotPlan* shot = plan.shotOf(number)) {
      if (shot->grade) eyes[1] = gradeEye(eyes[1], *shot->grade);
      if (shot->warped)
        for (size_t e = 0; e < eyes.size(); ++e)
          eyes[e] = warpEye(eyes[e], shot->warps[e], sx, sy);
    }
    std::vector<cv::Mat> pictures;
    if (pair) {
      pictures = {eyes[0], eyes[1]};
    } else {
      pictures.emplace_back();
      if (*orientation == Orientation::SideBySide)
        cv::hconcat(eyes[0], eyes[1], pictures[0]);
      else
        cv::vconcat(eyes[0], eyes[1], pictures[0]);
    }
    for (size_t w = 0; w < writers.size(); ++w)
      if (auto problem = writers[w]->add(pictures[w], rate)) return problem;
  }
  for (const auto& writer : writers)
    if (auto problem = writer->finish()) return problem;
  return std::nullopt;
}

}  // namespace stereolint::correct
