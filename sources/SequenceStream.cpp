#include "sources/SequenceStream.h"

#include <cctype>
#include <climits>
#include <filesystem>
#include <utility>

#include "sources/ImageSequence.h"
#include "sources/PictureFile.h"
#include "util/Paths.h"

namespace stereolint {

namespace {

const StreamWords kSequenceWords{"image sequence", "inputs", "Reading", "read", "input", true};

// A reader's failure as the end of the pipeline's sentence about the
// stream: "Reading take_%04d.png stopped at frame 3 of 9: cannot read the
// image take_0003.png: the file is truncated".
std::string asReason(const std::string& failure) {
  std::string reason = ": " + failure;
  if (reason.size() > 2 && reason[2] >= 'A' && reason[2] <= 'Z')
    reason[2] = static_cast<char>(reason[2] - 'A' + 'a');
  return reason;
}

class SequenceStream final : public FrameStream {
 public:
  SequenceStream(std::string name, SequenceFiles sequence, cv::Size firstSize,
                 std::vector<std::string> firstRemarks)
      : input(std::move(name)),
        files(std::move(sequence.files)),
        size(firstSize),
        notes(std::move(sequence.remarks)) {
    notes.insert(notes.end(), firstRemarks.begin(), firstRemarks.end());
  }

  const StreamWords& words() const override { return kSequenceWords; }
  const std::string& path() const override { return input; }
  // The name without its frame number: "take_L" for "take_L.%06d.dpx",
  // "take_L.001001.dpx" or a folder "take_L/".
  std::string takeName() const override {
    std::string trimmed = input;
    while (trimmed.size() > 1 && (trimmed.back() == '/' || trimmed.back() == '\\')) {
      trimmed.pop_back();
    }
    std::string name = fileBaseName(trimmed);
    if (std::filesystem::is_directory(trimmed))
      name = trimmed.substr(trimmed.find_last_of("/\\") + 1);
    name = name.substr(0, name.find('%'));
    while (!name.empty() && std::isdigit(static_cast<unsigned char>(name.back()))) name.pop_back();
    while (!name.empty() && std::string("._- ").find(name.back()) != std::string::npos) {
      name.pop_back();
    }
    return name.empty() ? fileBaseName(trimmed) : name;
  }
  cv::Size pictureSize() const override { return size; }
  std::optional<std::int64_t> frameCountHint() const override {
    return static_cast<std::int64_t>(files.size());
  }
  bool countIsExact() const override { return true; }
  std::vector<std::string> remarks() const override { return notes; }

  StreamRead read(StreamPicture& out) override {
    if (next >= files.size()) return StreamRead::end();
    const SequenceFile& file = files[next++];
    // The files of a sequence stand alone: a damaged or odd-sized one costs
    // its own frame only.
    Expected<Picture> picture = readPictureFile(file.path);
    if (!picture) return StreamRead::damaged(asReason(picture.error()), file.number);
    if (picture->pixels.size() != size) {
      return StreamRead::damaged(": " + file.path + " measures " + sizeText(picture->pixels.size()) +
                                     ", not " + sizeText(size) + " as the first file",
                                 file.number);
    }
    out.picture = picture->pixels;
    out.number = file.number;
    return StreamRead::picture();
  }

  StreamRead skip(StreamPicture& out) override {
    if (next >= files.size()) return StreamRead::end();
    out.picture.release();
    out.number = files[next++].number;
    return StreamRead::picture();
  }

 private:
  std::string input;
  std::vector<SequenceFile> files;
  cv::Size size;
  std::vector<std::string> notes;
  size_t next = 0;
};

}  // namespace

Expected<std::unique_ptr<FrameStream>> openSequenceStream(const std::string& input) {
  Expected<SequenceFiles> sequence = findSequence(input);
  if (!sequence) return sequence.failure();
  // Frames are named by whole numbers of the int range in files, tables and
  // reports: a larger one (a date and time written as digits) would make
  // every frame the same.
  const SequenceFile& last = sequence->files.back();
  if (last.number > INT_MAX)
    return Failure{"The frame numbers of " + sequence->name + " reach " +
                       std::to_string(last.number) + " (" + last.path + "), beyond " +
                       std::to_string(INT_MAX) +
                       ", the largest frame number this program takes: number the files below it",
                   "input"};
  // The first picture is read for its size and then let go: holding it
  // until the first read would keep a picture per stream alive.
  Expected<Picture> first = readPictureFile(sequence->files.front().path);
  if (!first) return first.failure();
  return std::unique_ptr<FrameStream>(std::make_unique<SequenceStream>(
      input, std::move(*sequence), first->pixels.size(), std::move(first->remarks)));
}

}  // namespace stereolint
