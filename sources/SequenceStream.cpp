#include "sources/SequenceStream.h"

#include <algorithm>
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

// The text of a pattern's file name before its frame number directive, with
// "%%" read as "%": "grade 100%" for "grade 100%%.%04d".
std::string beforeDirective(const std::string& name) {
  std::string text;
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] != '%') {
      text += name[i];
    } else if (i + 1 < name.size() && name[i + 1] == '%') {
      text += '%';
      ++i;
    } else {
      break;
    }
  }
  return text;
}

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
    // A pattern's name ends before its directive; an existing file or
    // folder is named as it is, "%" and all.
    if (!fileExists(trimmed) && !std::filesystem::is_directory(trimmed)) name = beforeDirective(name);
    while (!name.empty() && std::isdigit(static_cast<unsigned char>(name.back()))) name.pop_back();
    while (!name.empty() && std::string("._- ").find(name.back()) != std::string::npos) {
      name.pop_back();
    }
    return name.empty() ? fileBaseName(trimmed) : name;
  }
  cv::Size pictureSize() const override { return size; }
  std::int64_t firstNumber() const override { return files.empty() ? 1 : files.front().number; }
  std::optional<std::int64_t> frameCountHint() const override {
    return static_cast<std::int64_t>(files.size());
  }
  std::optional<std::int64_t> picturesHeld() const override {
    return static_cast<std::int64_t>(std::count_if(
        files.begin(), files.end(), [](const SequenceFile& file) { return !file.path.empty(); }));
  }
  bool countIsExact() const override { return true; }
  std::vector<std::string> remarks() const override { return notes; }

  StreamRead read(StreamPicture& out) override {
    if (next >= files.size()) return StreamRead::end();
    const SequenceFile& file = files[next++];
    if (file.path.empty())
      return StreamRead::damaged(": this eye has no file for it, the other eye has", file.number);
    // The files of a sequence stand alone: a damaged or odd-sized one costs
    // its own frame only.
    Expected<Picture> picture = readPictureFile(file.path);
    if (!picture) return StreamRead::damaged(asReason(picture.error()), file.number);
    if (picture->pixels.size() != size) {
      return StreamRead::damaged(": " + file.path + " measures " + sizeText(picture->pixels.size()) +
                                     ", not " + sizeText(size) + " as the first readable file",
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

// Numbers that `files` lacks and `other` has, as a remark: "frames 4, 9 of
// take_L.%04d.png are missing: the other eye has them".
std::string missingRemark(const SequenceFiles& sequence, const std::vector<std::int64_t>& missing) {
  std::string list;
  for (size_t k = 0; k < missing.size() && k < 10; ++k)
    list += (k == 0 ? "" : ", ") + std::to_string(missing[k]);
  if (missing.size() > 10) list += ", …";
  return std::string(missing.size() == 1 ? "frame " : "frames ") + list + " of " + sequence.name +
         (missing.size() == 1 ? " is" : " are") +
         " missing while the other eye has them: they are not analysed";
}

// Pairs the files of two eyes by frame number: a number that one eye lacks
// gets a file without a path there, which reads as a frame that cannot be
// read, and a remark names it.
void pairByNumber(SequenceFiles& left, SequenceFiles& right) {
  std::vector<SequenceFile> pairedLeft, pairedRight;
  std::vector<std::int64_t> lackLeft, lackRight;
  size_t l = 0, r = 0;
  while (l < left.files.size() || r < right.files.size()) {
    const bool takeLeft = l < left.files.size() &&
                          (r == right.files.size() || left.files[l].number <= right.files[r].number);
    const bool takeRight = r < right.files.size() &&
                           (l == left.files.size() || right.files[r].number <= left.files[l].number);
    const std::int64_t number = takeLeft ? left.files[l].number : right.files[r].number;
    pairedLeft.push_back(takeLeft ? left.files[l++] : SequenceFile{"", number});
    pairedRight.push_back(takeRight ? right.files[r++] : SequenceFile{"", number});
    if (!takeLeft) lackLeft.push_back(number);
    if (!takeRight) lackRight.push_back(number);
  }
  left.files = std::move(pairedLeft);
  right.files = std::move(pairedRight);
  if (!lackLeft.empty()) left.remarks.push_back(missingRemark(left, lackLeft));
  if (!lackRight.empty()) right.remarks.push_back(missingRemark(right, lackRight));
}

// The size of the sequence's pictures: that of its first file that can be
// read, so that a damaged first file costs its own frame only; the first
// file's failure when none can be read.
Expected<Picture> firstReadable(const SequenceFiles& sequence) {
  std::optional<Failure> first;
  for (const SequenceFile& file : sequence.files) {
    if (file.path.empty()) continue;
    Expected<Picture> picture = readPictureFile(file.path);
    if (picture) return picture;
    if (!first) first = picture.failure();
  }
  return first ? *first : Failure{"No file of " + sequence.name + " can be read", "input"};
}

Expected<std::unique_ptr<FrameStream>> streamOf(const std::string& input, SequenceFiles sequence) {
  // Frames are named by whole numbers of the int range in files, tables and
  // reports: a larger one (a date and time written as digits) would make
  // every frame the same.
  const SequenceFile& last = sequence.files.back();
  if (last.number > INT_MAX)
    return Failure{"The frame numbers of " + sequence.name + " reach " +
                       std::to_string(last.number) + " (" + last.path + "), beyond " +
                       std::to_string(INT_MAX) +
                       ", the largest frame number this program takes: number the files below it",
                   "input"};
  // The picture is read for its size and then let go: holding it until the
  // first read would keep a picture per stream alive.
  Expected<Picture> first = firstReadable(sequence);
  if (!first) return first.failure();
  return std::unique_ptr<FrameStream>(std::make_unique<SequenceStream>(
      input, std::move(sequence), first->pixels.size(), std::move(first->remarks)));
}

}  // namespace

Expected<std::unique_ptr<FrameStream>> openSequenceStream(const std::string& input) {
  Expected<SequenceFiles> sequence = findSequence(input);
  if (!sequence) return sequence.failure();
  return streamOf(input, std::move(sequence.value()));
}

Expected<InputStreams> openSequenceStreams(const std::array<std::string, 2>& inputs) {
  if (inputs[0] == inputs[1]) {
    Expected<std::unique_ptr<FrameStream>> one = openSequenceStream(inputs[0]);
    if (!one) return one.failure();
    InputStreams streams;
    streams.push_back(std::move(one.value()));
    return streams;
  }
  std::array<SequenceFiles, 2> eyes;
  for (size_t k = 0; k < 2; ++k) {
    Expected<SequenceFiles> sequence = findSequence(inputs[k]);
    if (!sequence) return sequence.failure();
    eyes[k] = std::move(sequence.value());
  }
  pairByNumber(eyes[0], eyes[1]);
  InputStreams streams;
  for (size_t k = 0; k < 2; ++k) {
    Expected<std::unique_ptr<FrameStream>> stream = streamOf(inputs[k], std::move(eyes[k]));
    if (!stream) return stream.failure();
    streams.push_back(std::move(stream.value()));
  }
  return streams;
}

}  // namespace stereolint
