#include "results/ResultWriters.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <locale>
#include <opencv2/imgcodecs.hpp>
#include <system_error>

#include "platform/Platform.h"
#include "sources/Constants.h"

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

void writePicture(const std::string& path, const cv::Mat& picture, WriteFailures& failures) {
  bool written = false;
  try {
    written = cv::imwrite(path, picture);
  } catch (const cv::Exception&) {
    // The library throws rather than declines for some pictures (an empty
    // matrix, an encoder error); for the frame that is one missing file, and
    // the remaining files are still worth writing.
  }
  if (!written) failures.addFile(path);
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
                              cv::Mat summary, const std::string& name,
                              const std::string& resultPath) {
  WriteFailures failures = makeDirectories(resultPath);
  const std::string prefix = framePrefix(resultPath, id, size);
  writePicture(withExtension(prefix + kLeft, kPictureExtension), left, failures);
  writePicture(withExtension(prefix + kRight, kPictureExtension), right, failures);
  failures.add(writeResultText(id, size, results, name, resultPath));
  failures.add(writeResultImages(id, size, results, name, resultPath));
  writePicture(withExtension(prefix + kSummary, kPictureExtension), summary, failures);
  return failures;
}

WriteFailures writeResultText(int id, int size, const Results& results, const std::string& /*name*/,
                              const std::string& resultPath) {
  WriteFailures failures = makeDirectories(resultPath);
  const std::string path =
      withExtension(framePrefix(resultPath, id, size) + kResultText, kTextExtension);
  const Constants& words = constants();
  std::ofstream stream(path);
  // Other programs read these numbers: they keep the classic form whatever
  // global locale the process may have set.
  stream.imbue(std::locale::classic());
  for (const auto& result : results) {
    for (const Result::KeyValue* entry : result->getKeyValues()) {
      stream << result->getName() << words.blank << entry->getKey() << words.blank << words.colon
             << words.blank << entry->getValue() << '\n';
    }
  }
  stream.close();
  if (stream.fail()) failures.addFile(path);
  return failures;
}

WriteFailures writeResultImages(int id, int size, const Results& results,
                                const std::string& /*name*/, const std::string& resultPath) {
  WriteFailures failures = makeDirectories(resultPath);
  const std::string prefix = framePrefix(resultPath, id, size);
  for (const auto& result : results) {
    for (const Result::KeyImage* entry : result->getKeyImages()) {
      const std::string stem =
          prefix + result->getName() + constants().underscore + entry->getKey();
      writePicture(withExtension(stem, kPictureExtension), entry->getImage(), failures);
    }
  }
  return failures;
}

}  // namespace stereolint
