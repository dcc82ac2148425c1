#include "tools/correct/TakeReader.h"

#include <algorithm>

#include "sources/ImageSequence.h"
#include "sources/VideoStream.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace stereolint::correct {

Expected<TakeReader> TakeReader::open(const std::vector<std::string>& inputs,
                                      Orientation orientation, bool keepPlanes) {
  TakeReader reader;
  reader.paths = inputs;
  reader.orientation = orientation;
  const std::array<std::string, 2> both{inputs.front(), inputs.back()};
  reader.takeKind = inputKind(both[0], both[1]);
  Expected<InputStreams> opened = openInputStreams(both);
  if (!opened) return opened.failure();
  reader.streams = std::move(opened.value());
  if (reader.takeKind == InputKind::SEQUENCE)
    for (size_t i = 0; i < inputs.size(); ++i) {
      const Expected<SequenceFiles> files = findSequence(inputs[i]);
      if (!files) return files.failure();
      for (const SequenceFile& file : files.value().files)
        reader.sequenceFiles[i][file.number] = file.path;
    }
  if (keepPlanes && reader.takeKind == InputKind::VIDEO) reader.planar = reader.commonPlanarLayout();
  return reader;
}

std::optional<PlanarLayout> TakeReader::commonPlanarLayout() const {
  std::optional<PlanarLayout> common;
  for (const auto& stream : streams) {
    const auto* video = dynamic_cast<const VideoStream*>(stream.get());
    if (video == nullptr || video->turnsPictures()) return std::nullopt;
    const std::optional<PlanarLayout> layout = planarLayoutOf(video->decodedFrame());
    if (!layout || (common && common->format != layout->format)) return std::nullopt;
    common = layout;
  }
  if (common && orientation != Orientation::Whole) {
    const cv::Size picture = streams.front()->pictureSize();
    const auto regions = viewRegions(orientation, picture.width, picture.height);
    if (!regions || !fallsOnChromaSamples(regions->first, *common) ||
        !fallsOnChromaSamples(regions->second, *common))
      return std::nullopt;
  }
  return common;
}

cv::Size TakeReader::viewSize() const {
  const cv::Size picture = streams.front()->pictureSize();
  if (orientation == Orientation::Whole) return picture;
  return viewRegions(orientation, picture.width, picture.height)->first.size();
}

Expected<std::optional<TakeFrame>> TakeReader::next() {
  if (planar) return nextPlanes();
  TakeFrame frame;
  std::array<cv::Mat, 2> whole;
  for (size_t s = 0; s < streams.size(); ++s) {
    StreamPicture picture;
    const StreamRead read = streams[s]->read(picture);
    if (read.kind == StreamRead::Kind::End) return std::optional<TakeFrame>();
    if (read.kind != StreamRead::Kind::Picture)
      return Failure{"cannot read the frame after frame " + std::to_string(previous) + " of " +
                     streams[s]->path() + read.reason};
    frame.number = picture.number;
    const size_t input = std::min(s, paths.size() - 1);
    std::string source;
    if (takeKind == InputKind::SEQUENCE) source = sequenceFiles[input][picture.number];
    if (takeKind == InputKind::IMAGE) source = paths[input];
    PictureFormat format;
    if (!source.empty()) {
      const Expected<PictureFormat> found = pictureFormatOf(source, picture.picture);
      if (!found) return found.failure();
      format = found.value();
    }
    Expected<cv::Mat> working = workingPicture(source, format, picture.picture);
    if (!working) return working.failure();
    whole[s] = working.value();
    frame.sources[s] = source;
    frame.formats[s] = format;
  }
  previous = frame.number;
  if (streams.size() == 1) {
    frame.sources[1] = frame.sources[0];
    frame.formats[1] = frame.formats[0];
  }
  if (orientation == Orientation::Whole) {
    frame.eyes = {whole[0], whole[streams.size() - 1]};
  } else {
    const auto regions = viewRegions(orientation, whole[0].cols, whole[0].rows);
    frame.eyes = {whole[0](regions->first), whole[0](regions->second)};
  }
  return std::optional<TakeFrame>(std::move(frame));
}

Expected<std::optional<TakeFrame>> TakeReader::nextPlanes() {
  TakeFrame frame;
  std::array<PlanarPicture, 2> whole;
  for (size_t s = 0; s < streams.size(); ++s) {
    auto& video = dynamic_cast<VideoStream&>(*streams[s]);
    StreamPicture picture;
    const StreamRead read = video.readDecoded(picture);
    if (read.kind == StreamRead::Kind::End) return std::optional<TakeFrame>();
    const std::string after =
        "the frame after frame " + std::to_string(previous) + " of " + video.path();
    if (read.kind != StreamRead::Kind::Picture) return Failure{"cannot read " + after + read.reason};
    const AVFrame& decoded = video.decodedFrame();
    const std::optional<PlanarLayout> layout = planarLayoutOf(decoded);
    // The output's layout is fixed by the first frame.
    if (!layout || layout->format != planar->format ||
        cv::Size(decoded.width, decoded.height) != video.pictureSize())
      return Failure{after + " changes its size or pixel layout"};
    frame.number = picture.number;
    whole[s] = copyPlanes(decoded, *planar);
  }
  previous = frame.number;
  if (orientation == Orientation::Whole) {
    frame.planes = {whole[0], whole[streams.size() - 1]};
  } else {
    const cv::Size size = whole[0].size();
    const auto regions = viewRegions(orientation, size.width, size.height);
    frame.planes = {regionOf(whole[0], regions->first), regionOf(whole[0], regions->second)};
  }
  return std::optional<TakeFrame>(std::move(frame));
}

}  // namespace stereolint::correct
