#include "app/FrameCount.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <iostream>
#include <string>

#include "app/RunStatus.h"
#include "app/TakeViews.h"
#include "sources/InputStreams.h"

namespace stereolint {

namespace {

std::string phase(const std::string& topic) { return "ConsoleApplication::run - [" + topic + "]"; }

// The pictures a run reads of `stream`: its exact count, or else as many as
// it can pass over before its end or a failure (where a run's reading ends
// too). `stopped` gets the failure's reason, if any.
std::int64_t picturesRead(FrameStream& stream, std::string& stopped) {
  if (stream.countIsExact()) return std::max<std::int64_t>(stream.frameCountHint().value_or(0), 0);
  std::int64_t count = 0;
  StreamPicture unused;
  for (;;) {
    const StreamRead read = stream.skip(unused);
    if (read.kind == StreamRead::Kind::End) return count;
    if (read.kind == StreamRead::Kind::Failed) {
      stopped = read.reason;
      return count;
    }
    ++count;
  }
}

}  // namespace

int printFrameCount(const RunOptions& options) {
  RunStatus status;
  auto opened = openInputStreams(options.inputs);
  if (!opened) {
    status.error(phase(opened.failure().topic), opened.error());
    return -1;
  }
  const InputStreams& streams = opened.value();
  for (const auto& stream : streams) {
    for (const std::string& remark : stream->remarks()) status.warning(phase("input"), remark);
  }
  const Expected<TakeViews> views = takeViews(streams, options);
  if (!views) {
    status.error(phase(views.failure().topic), views.error());
    return -1;
  }
  const StreamWords& words = streams.front()->words();
  if (!words.isTake) {
    std::cout << 1 << std::endl;
    return 0;
  }
  std::int64_t frames = INT64_MAX;
  for (const auto& stream : streams) {
    std::string stopped;
    frames = std::min(frames, picturesRead(*stream, stopped));
    if (frames == 0) {
      status.error(phase(words.topic), std::string("Cannot ") + words.read +
                                           " any frame of the " + words.noun + " " +
                                           stream->path() + stopped);
      return -1;
    }
  }
  const int total = static_cast<int>(std::min<std::int64_t>(frames, INT_MAX));
  std::cout << options.selection.countWithin(total) << std::endl;
  return 0;
}

}  // namespace stereolint
