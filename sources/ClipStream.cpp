#include "sources/ClipStream.h"

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <opencv2/core.hpp>

#include "sources/r3d/ClipReader.h"
#include "sources/r3d/DecoderLibrary.h"
#include "sources/r3d/LoaderLog.h"
#include "sources/r3d/R3DFrames.h"
#include "sources/r3d/RmdSidecar.h"
#include "util/StageTimes.h"

namespace stereolint {

namespace {

const StreamWords kClipWords{"clip", "clips", "Decoding", "decode", "R3D", true};

void applyLogSetting() {
  const char* value = std::getenv("STEREOLINT_R3D_LOG");
  if (value != nullptr && *value != '\0' && std::string(value) != "0") {
    setDecoderLogLevel(decoderLogEverything);
  }
}

std::string versionText(const DecoderVersion& version) {
  return std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
         std::to_string(version.patch);
}

std::string loadFailure(const DecoderLoadReport& report) {
  std::string text = "Cannot load the decoding library REDR3D-x86.dll: status " +
                     std::to_string(report.status) + " (" + decoderStatusText(report.status) + ")";
  if (!report.reason.empty()) text += ": " + report.reason;
  text += "; folders tried:";
  for (const CandidateFolder& candidate : report.candidates) {
    text += " " + candidate.folder + " (status " + std::to_string(candidate.status);
    if (candidate.version.major != 0) text += ", version " + versionText(candidate.version);
    if (!candidate.reason.empty()) text += ": " + candidate.reason;
    text += ")";
  }
  if (report.candidates.empty()) text += " none";
  return text;
}

// The loaded library, unloaded when the last clip that needs it is gone.
struct LibrarySession {
  LibrarySession() = default;
  LibrarySession(const LibrarySession&) = delete;
  LibrarySession& operator=(const LibrarySession&) = delete;
  ~LibrarySession() { unloadDecoderLibrary(); }
};

// Mirrors a view as the clip's sidecar asks: left-right first, then upside
// down (both together turn it by 180 degrees).
struct Mirroring {
  bool horizontally = false;
  bool vertically = false;
};

class ClipStream : public FrameStream {
 public:
  ClipStream(std::string path, std::shared_ptr<LibrarySession> session,
             std::unique_ptr<ClipReader> clip)
      : file(std::move(path)),
        session(std::move(session)),
        clip(std::move(clip)),
        mirroring{isFlippedHorizontally(file), isFlippedVertically(file)} {}

  ~ClipStream() override {
    freeAligned16(buffer);
    clip->close();
  }
  ClipStream(const ClipStream&) = delete;
  ClipStream& operator=(const ClipStream&) = delete;

  // Allocates the decode buffer; false when the memory cannot be had.
  bool prepare(std::uint64_t bytes) {
    const auto block = allocateAligned16(static_cast<size_t>(bytes));
    if (!block) return false;
    buffer = *block;
    job = planarRgb16Request(buffer.data, clip->width(), clip->height());
    return true;
  }

  const StreamWords& words() const override { return kClipWords; }
  const std::string& path() const override { return file; }
  cv::Size pictureSize() const override {
    return {static_cast<int>(clip->width()), static_cast<int>(clip->height())};
  }
  std::optional<std::int64_t> frameCountHint() const override { return clip->frameCount(); }
  bool countIsExact() const override { return true; }

  // Past the clip's last frame the library refuses with its own status,
  // which ends a pair whose second clip is the shorter.
  StreamRead read(StreamPicture& out) override {
    int status = 0;
    {
      const timing::ScopedStage decoding(timing::Stage::Decoding);
      status = clip->decodeFrame(next, job);
    }
    if (status != 0) return StreamRead::failed(" (status " + std::to_string(status) + ")");
    const cv::Size size = pictureSize();
    out.picture = planarRgb16ToMat(buffer.data, size.width, size.height);
    out.number = ++next;
    return StreamRead::picture();
  }

  cv::Mat adjustView(cv::Mat view) const override {
    if (mirroring.horizontally) cv::flip(view, view, 1);
    if (mirroring.vertically) cv::flip(view, view, 0);
    return view;
  }

 private:
  std::string file;
  std::shared_ptr<LibrarySession> session;
  std::unique_ptr<ClipReader> clip;
  Mirroring mirroring;
  AlignedBlock buffer;
  DecodeJob job{};
  std::uint32_t next = 0;
};

std::string sizeText(std::uint32_t width, std::uint32_t height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

}  // namespace

Expected<std::vector<std::unique_ptr<FrameStream>>> openClipStreams(
    const std::array<std::string, 2>& paths) {
  applyLogSetting();
  // Made before the load, so that a failed load is unloaded too.
  const auto session = std::make_shared<LibrarySession>();
  if (loadDecoderLibrary(".", 0) != 0) return Failure{loadFailure(lastDecoderLoad()), "R3D"};
  std::vector<std::unique_ptr<ClipStream>> clips;
  for (size_t k = 0; k < (paths[1] == paths[0] ? 1U : 2U); ++k) {
    auto clip = std::make_unique<ClipReader>(paths[k]);
    if (!clip->isOpen() || clip->width() == 0 || clip->height() == 0 || clip->frameCount() == 0) {
      return Failure{
          "Cannot open the clip " + paths[k] + (clip->isOpen() ? " (it holds no frames)" : ""),
          "R3D"};
    }
    clips.push_back(std::make_unique<ClipStream>(paths[k], session, std::move(clip)));
  }
  const cv::Size size = clips[0]->pictureSize();
  const auto width = static_cast<std::uint32_t>(size.width);
  const auto height = static_cast<std::uint32_t>(size.height);
  // The library writes a frame of the second clip's own size into a buffer
  // laid out for the first: refuse a pair that differs.
  if (clips.size() == 2 && clips[1]->pictureSize() != size) {
    const cv::Size other = clips[1]->pictureSize();
    return Failure{"The clips differ in size: " + paths[0] + " is " + sizeText(width, height) +
                       ", " + paths[1] + " is " +
                       sizeText(static_cast<std::uint32_t>(other.width),
                                static_cast<std::uint32_t>(other.height)),
                   "R3D"};
  }
  const std::uint64_t bytes = std::uint64_t{width} * height * 6;
  if (bytes > std::numeric_limits<std::uint32_t>::max() ||
      width > static_cast<std::uint32_t>(std::numeric_limits<int>::max())) {
    return Failure{
        "The frames of " + paths[0] + " (" + sizeText(width, height) + ") are too large to decode",
        "R3D"};
  }
  std::vector<std::unique_ptr<FrameStream>> streams;
  for (auto& clip : clips) {
    if (!clip->prepare(bytes)) {
      return Failure{"Cannot allocate " + std::to_string(bytes) + " bytes to decode a frame of " +
                         clip->path(),
                     "R3D"};
    }
    streams.push_back(std::move(clip));
  }
  return streams;
}

}  // namespace stereolint
