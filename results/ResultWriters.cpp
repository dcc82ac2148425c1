#include "results/ResultWriters.h"

#include <algorithm>
#include <filesystem>
#include <locale>
#include <numeric>
#include <sstream>
#include <system_error>

#include "platform/Platform.h"
#include "results/PngEncoding.h"
#include "util/Constants.h"
#include "util/Parallel.h"
#include "util/StageTimes.h"

namespace stereolint {

namespace {

constexpr const char* kLeft = "LEFT";
constexpr const char* kRight = "RIGHT";
constexpr const char* kResultText = "RESULT";
constexpr const char* kSummary = "SUMMARY";
constexpr const char* kPictureExtension = "png";
constexpr const char* kTextExtension = "txt";

void addOnce(std::vector<WriteFailure>& list, const std::string& path, const std::string& reason) {
  const auto samePath = [&path](const WriteFailure& entry) { return entry.path == path; };
  if (std::none_of(list.begin(), list.end(), samePath)) list.push_back({path, reason});
}

std::string framePrefix(const std::string& resultPath, int id, int size) {
  const std::string& underscore = constants().underscore;
  return resultPath + std::to_string(id) + underscore + std::to_string(size) + underscore;
}

std::string withExtension(const std::string& stem, const char* extension) {
  return stem + constants().dot + extension;
}

// One file of a frame: its path and either a picture or a text.
struct FrameFile {
  std::string path;
  cv::Mat picture;
  std::string text;
  bool isText = false;
};

constexpr const char* kNotPng = "the picture cannot be stored as PNG";

platform::FileOutcome writeFile(const FrameFile& file) {
  if (file.isText) return platform::writeWholeFile(file.path, file.text.data(), file.text.size());
  // Pictures go to the file as they are compressed: a frame's largest
  // pictures would otherwise be held twice, raw and compressed.
  if (streamsPng(file.picture)) {
    return platform::writeWholeFileFrom(file.path, [&](const platform::FileAppend& append) {
      const bool sent = streamPng(file.picture, [&](const unsigned char* data, size_t size) {
        return append(data, size);
      });
      return sent ? std::string() : std::string(kNotPng);
    });
  }
  std::vector<uchar> bytes;
  if (!encodePng(file.picture, bytes)) {
    return platform::FileOutcome::failure(kNotPng);
  }
  return platform::writeWholeFile(file.path, bytes.data(), bytes.size());
}

// Encodes and writes the files at positions `which` side by side (PNG
// compression is most of the cost of a frame's output), each picture let go
// once its file is written, and keeps each file's outcome at its position.
// The largest pictures go first, so that no thread is left with a large
// one at the end while the others wait.
void writeChosenFiles(std::vector<FrameFile>& files, std::vector<size_t> which,
                      std::vector<platform::FileOutcome>& outcomes) {
  std::stable_sort(which.begin(), which.end(), [&](size_t a, size_t b) {
    return files[a].picture.total() * files[a].picture.elemSize() >
           files[b].picture.total() * files[b].picture.elemSize();
  });
  work::parallelFor(which.size(), [&](size_t k) {
    FrameFile& file = files[which[k]];
    outcomes[which[k]] = writeFile(file);
    file.picture.release();
  });
}

// The failures among the outcomes, in the files' order.
void addFailures(const std::vector<FrameFile>& files,
                 const std::vector<platform::FileOutcome>& outcomes, WriteFailures& failures) {
  for (size_t k = 0; k < files.size(); ++k) {
    if (!outcomes[k].done) failures.addFile(files[k].path, outcomes[k].reason);
  }
}

void writeFiles(std::vector<FrameFile>& files, WriteFailures& failures) {
  std::vector<size_t> all(files.size());
  std::iota(all.begin(), all.end(), size_t{0});
  std::vector<platform::FileOutcome> outcomes(files.size());
  writeChosenFiles(files, std::move(all), outcomes);
  addFailures(files, outcomes, failures);
}

FrameFile pictureFile(std::string path, cv::Mat picture) {
  return {std::move(path), std::move(picture), std::string(), false};
}

std::string resultText(const Results& results) {
  const Constants& words = constants();
  std::ostringstream stream;
  // Other programs read these numbers: they keep the classic form whatever
  // global locale the process may have set.
  stream.imbue(std::locale::classic());
  for (const auto& result : results) {
    for (const Result::KeyValue* entry : result->getKeyValues()) {
      stream << result->getName() << words.blank << entry->getKey() << words.blank << words.colon
             << words.blank << *entry << '\n';
    }
  }
  return stream.str();
}

FrameFile resultTextFile(int id, int size, const Results& results, const std::string& resultPath) {
  return {withExtension(framePrefix(resultPath, id, size) + kResultText, kTextExtension), cv::Mat(),
          resultText(results), true};
}

std::vector<FrameFile> resultPictureFiles(int id, int size, const Results& results,
                                          const std::string& resultPath) {
  const std::string prefix = framePrefix(resultPath, id, size);
  std::vector<FrameFile> files;
  for (const auto& result : results) {
    for (const Result::KeyImage* entry : result->getKeyImages()) {
      const std::string stem =
          prefix + result->getName() + constants().underscore + entry->getKey();
      files.push_back(pictureFile(withExtension(stem, kPictureExtension), entry->getImage()));
    }
  }
  return files;
}

// Whether `parts` holds LEFT, RIGHT and SUMMARY.
bool withViews(FrameParts parts) {
  return parts == FrameParts::All || parts == FrameParts::Pictures;
}

// The frame's files of `parts` in their order, the summary left out: LEFT
// and RIGHT, RESULT.txt, then the result pictures.
std::vector<FrameFile> filesBeforeSummary(FrameParts parts, const cv::Mat& left,
                                          const cv::Mat& right, int id, int size,
                                          const Results& results, const std::string& resultPath) {
  const std::string prefix = framePrefix(resultPath, id, size);
  std::vector<FrameFile> files;
  const bool pictures = parts != FrameParts::Text;
  if (withViews(parts)) {
    files.push_back(pictureFile(withExtension(prefix + kLeft, kPictureExtension), left));
    files.push_back(pictureFile(withExtension(prefix + kRight, kPictureExtension), right));
  }
  if (parts == FrameParts::All || parts == FrameParts::Text)
    files.push_back(resultTextFile(id, size, results, resultPath));
  if (pictures) {
    for (FrameFile& file : resultPictureFiles(id, size, results, resultPath)) {
      files.push_back(std::move(file));
    }
  }
  return files;
}

FrameFile summaryFile(int id, int size, const cv::Mat& summary, const std::string& resultPath) {
  return pictureFile(withExtension(framePrefix(resultPath, id, size) + kSummary, kPictureExtension),
                     summary);
}

}  // namespace

void WriteFailures::addFolder(const std::string& folder, const std::string& reason) {
  addOnce(folders, folder, reason);
}

void WriteFailures::addFile(const std::string& file, const std::string& reason) {
  addOnce(files, file, reason);
}

void WriteFailures::add(const WriteFailures& more) {
  for (const WriteFailure& folder : more.folders) addFolder(folder.path, folder.reason);
  for (const WriteFailure& file : more.files) addFile(file.path, file.reason);
}

WriteFailures makeDirectories(const std::string& path) {
  WriteFailures failures;
  const std::string& separator = constants().folderSeparator;
  for (size_t at = path.find(separator, 1); at != std::string::npos;
       at = path.find(separator, at + separator.size())) {
    const std::string folder = path.substr(0, at + separator.size());
    // Whether mkdir succeeded says little (another worker may have just made
    // the folder); what matters is whether a folder is there now. When
    // there is none, mkdir's refusal says why.
    const platform::FileOutcome made = platform::makeDirectory(folder);
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
      failures.addFolder(folder, made.done ? "it is not a folder" : made.reason);
    }
  }
  return failures;
}

WriteFailures writeFrameFilesSummaryLast(cv::Mat left, cv::Mat right, int id, int size,
                                         Results& results,
                                         const std::vector<PictureName>& summarySources,
                                         const std::function<cv::Mat(const Results&)>& drawSummary,
                                         cv::Mat& summary, const std::string& resultPath) {
  WriteFailures failures = makeDirectories(resultPath);
  std::vector<FrameFile> files =
      filesBeforeSummary(FrameParts::All, left, right, id, size, results, resultPath);

  // The result pictures close the list, in the order of their names. The
  // list now holds the only other reference to each picture the summary
  // does not use, so writing it frees its memory.
  const std::vector<PictureName> names = pictureNames(results);
  const size_t firstPicture = files.size() - names.size();
  std::vector<size_t> early, late;
  for (size_t k = 0; k < firstPicture; ++k) late.push_back(k);
  for (size_t k = 0; k < names.size(); ++k) {
    const bool source =
        std::find(summarySources.begin(), summarySources.end(), names[k]) != summarySources.end();
    (source ? late : early).push_back(firstPicture + k);
  }
  results = keepingPictures(results, summarySources);
  std::vector<platform::FileOutcome> outcomes(files.size() + 1);
  {
    const timing::ScopedStage writing(timing::Stage::Writing);
    writeChosenFiles(files, early, outcomes);
  }
  summary = drawSummary(results);
  files.push_back(summaryFile(id, size, summary, resultPath));
  late.push_back(files.size() - 1);
  const timing::ScopedStage writing(timing::Stage::Writing);
  writeChosenFiles(files, late, outcomes);
  addFailures(files, outcomes, failures);
  return failures;
}

std::string frameFilePath(const std::string& resultPath, int id, int size, const std::string& name) {
  return framePrefix(resultPath, id, size) + name;
}

WriteFailures writeFrameParts(FrameParts parts, cv::Mat left, cv::Mat right, int id, int size,
                              const Results& results, cv::Mat summary,
                              const std::string& resultPath) {
  WriteFailures failures = makeDirectories(resultPath);
  std::vector<FrameFile> files =
      filesBeforeSummary(parts, left, right, id, size, results, resultPath);
  if (withViews(parts)) files.push_back(summaryFile(id, size, summary, resultPath));
  writeFiles(files, failures);
  return failures;
}

}  // namespace stereolint
