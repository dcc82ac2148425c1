#include "app/ShotScan.h"

#include <algorithm>
#include <climits>

#include "qc/FrameSignature.h"
#include "sources/InputStreams.h"

namespace stereolint {

std::vector<std::int64_t> spreadOverShot(const std::vector<std::int64_t>& shot, int count) {
  if (count < 1) return {};
  const auto size = static_cast<std::int64_t>(shot.size());
  if (size <= count) return shot;
  std::vector<std::int64_t> places;
  for (std::int64_t part = 0; part < count; ++part) {
    places.push_back(shot[static_cast<size_t>((2 * part + 1) * size / (2 * count))]);
  }
  return places;
}

Expected<ShotPlan> scanShots(
    const RunOptions& options, const std::optional<std::pair<cv::Rect, cv::Rect>>& regions) {
  auto opened = openInputStreams({options.inputs[0], options.inputs[0]});
  if (!opened) return opened.failure();
  FrameStream& stream = *opened.value().front();
  const std::int64_t last = options.selection.last();
  const std::optional<std::int64_t> count =
      stream.countIsExact() ? stream.frameCountHint() : std::nullopt;

  ShotPlan plan;
  std::vector<std::int64_t> shot;
  qc::FrameSignature previous;
  StreamPicture picture;
  for (std::int64_t place = 1; place <= last && (!count || place <= *count); ++place) {
    if (!options.selection.contains(static_cast<int>(place))) {
      if (stream.skip(picture).kind != StreamRead::Kind::Picture) break;
      continue;
    }
    const StreamRead::Kind read = stream.read(picture).kind;
    if (read == StreamRead::Kind::Damaged) continue;
    if (read != StreamRead::Kind::Picture) break;
    const cv::Mat& frame = picture.picture;
    const bool cuttable = !regions || (regions->first.br().x <= frame.cols &&
                                       regions->first.br().y <= frame.rows);
    qc::FrameSignature signature =
        qc::frameSignature(regions && cuttable ? frame(regions->first) : frame);
    const int frameNumber =
        static_cast<int>(std::clamp<std::int64_t>(picture.number, INT_MIN, INT_MAX));
    if (shot.empty() || qc::isCut(previous, signature)) {
      for (const std::int64_t chosen : spreadOverShot(shot, options.perShot)) {
        plan.places.push_back(chosen);
      }
      shot.clear();
      plan.shots.starts.push_back(frameNumber);
    }
    const bool firstRead = plan.shots.starts.size() == 1 && shot.empty();
    if (firstRead) plan.shots.first = signature;
    shot.push_back(place);
    plan.shots.lastFrame = frameNumber;
    previous = std::move(signature);
  }
  plan.shots.last = previous;
  for (const std::int64_t chosen : spreadOverShot(shot, options.perShot)) {
    plan.places.push_back(chosen);
  }
  return plan;
}

}  // namespace stereolint
