#include "tools/correct/TakeReader.h"

#include <algorithm>

#include "sources/ImageSequence.h"

namespace stereolint::correct {

Expected<TakeReader> TakeReader::open(const std::vector<std::string>& inputs,
                                      Orientation orientation) {
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
  return reader;
}

cv::Size TakeReader::viewSize() const {
  const cv::Size picture = streams.front()->pictureSize();
  if (orientation == Orientation::Whole) return picture;
  return viewRegions(orientation, picture.width, picture.height)->first.size();
}

Expected<std::optional<TakeFrame>> TakeReader::next() {
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

}  // namespace stereolint::correct
