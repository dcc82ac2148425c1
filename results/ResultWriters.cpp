#include "results/ResultWriters.h"

#include <algorithm>
#include <filesystem>
#include <locale>
#include <numeric>
#include <sstream>
#include <system_error>

#include <opencv2/imgcodecs.hpp>

#include "util/Parallel.h"
#include "platform/Platform.h"
#include "util/Constants.h"

namespace stereolint {

namespace {

constexpr const char* kLeft = "LEFT";
constexpr const char* kRight = "RIGHT";
constexpr const char* kResultText = "RESULT";
constexpr const char* kSummary = "SUMMARY";
constexpr const char* kPictureExtension = "png";
constexpr const char* kTextExtension = "txt";

void addOnce(std::vector<std::string>& list, const std::string& entry) {
  if (std::find(list.begin(), list.end(), entry) == list.end()) list.push_back(entry);
}

std::string framePrefix(const std::string& resultPath, int id, int size) {
  const std::string& underscore = constants().underscore;
  return resultPath + std::to_string(id) + underscore + std::to_string(size) + underscore;
}

std::string withExtension(const std::string& stem, const char* extension) {
  return stem + constants().dot + extension;
}

// The picture's PNG bytes, or nothing when the library declines it (an
// empty matrix, a depth PNG cannot hold).
bool encodePicture(const cv::Mat& picture, std::vector<uchar>& bytes) {
  try {
    return cv::imencode(std::string(constants().dot) + kPictureExtension, picture, bytes);
  } catch (const cv::Exception&) {
    // The library throws rather than declines for some pictures; for the
    // frame that is one missing file, and the other files are still worth
    // writing.
    return false;
  }
}

// One file of a frame: its path and either a picture or a text.
struct FrameFile {
  std::string path;
  cv::Mat picture;
  std::string text;
  bool isText = false;
};

bool writeFile(const FrameFile& file) {
  if (file.isText) return platform::writeWholeFile(file.path, file.text.data(), file.text.size());
  std::vector<uchar> bytes;
  return encodePicture(file.picture, bytes) &&
         platform::writeWholeFile(file.path, bytes.data(), bytes.size());
}

// Encodes and writes the files side by side (PNG compression is most of the
// cost of a frame's output) and lists the failures in the files' order.
// The largest pictures go first, so that no thread is left with a large
// one at the end while the others wait.
void writeFiles(const std::vector<FrameFile>& files, WriteFailures& failures) {
  std::vector<size_t> order(files.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return files[a].picture.total() * files[a].picture.elemSize() >
           files[b].picture.total() * files[b].picture.elemSize();
  });
  std::vector<char> written(files.size(), 0);
  work::parallelFor(order.size(), [&](size_t k) {
    written[order[k]] = writeFile(files[order[k]]) ? 1 : 0;
  });
  for (size_t k = 0; k < files.size(); ++k) {
    if (written[k] == 0) failures.addFile(files[k].path);
  }
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

}  // namespace

void WriteFailures::addFolder(const std::string& folder) { addOnce(folders, folder); }

void WriteFailures::addFile(const std::string& file) { addOnce(files, file); }

void WriteFailures::add(const WriteFailures& more) {
  for (const std::string& folder : more.folders) addFolder(folder);
  for (const std::string& file : more.files) addFile(file);
}

WriteFailures makeDirectories(const std::string& path) {
  WriteFailures failures;
  const std::string& separator = constants().folderSeparator;
  for (size_t at = path.find(separator, 1); at != std::string::npos;
       at = path.find(separator, at + separator.size())) {
    const std::string folder = path.substr(0, at + separator.size());
    // Whether mkdir succeeded says little (another worker may have just made
    // the folder); what matters is whether a folder is there now.
    platform::makeDirectory(folder);
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) failures.addFolder(folder);
  }
  return failures;
}

WriteFailures writeFrameFiles(cv::Mat left, cv::Mat right, int id, int size, const Results& results,
                              cv::Mat summary, const std::string& /*name*/,
                              const std::string& resultPath) {
  WriteFailures failures = makeDirectories(resultPath);
  const std::string prefix = framePrefix(resultPath, id, size);
  std::vector<FrameFile> files;
  files.push_back(pictureFile(withExtension(prefix + kLeft, kPictureExtension), left));
  files.push_back(pictureFile(withExtension(prefix + kRight, kPictureExtension), right));
  files.push_back(resultTextFile(id, size, results, resultPath));
  for (FrameFile& file : resultPictureFiles(id, size, results, resultPath)) {
    files.push_back(std::move(file));
  }
  files.push_back(pictureFile(withExtension(prefix + kSummary, kPictureExtension), summary));
  writeFiles(files, failures);
  return failures;
}

}  // namespace stereolint
