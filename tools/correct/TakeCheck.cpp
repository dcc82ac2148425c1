#include "tools/correct/TakeCheck.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "sources/ImageSequence.h"

namespace stereolint::correct {

namespace fs = std::filesystem;

namespace {

// The last name of a path, a folder's too ("clips/take/" gives "take").
std::string lastName(const std::string& path) {
  fs::path normal = fs::path(path).lexically_normal();
  if (normal.filename().empty()) normal = normal.parent_path();
  return normal.filename().string();
}

// A picture file's name with its frame number or printf directive taken
// out, so that a sequence named by its pattern ("take.%04d.dpx") and by its
// first file ("take.0001.dpx") are the same take; other names as they are.
std::string withoutFrameNumber(const std::string& name) {
  const size_t dot = name.find_last_of('.');
  std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
  const std::string extension = dot == std::string::npos ? "" : name.substr(dot);
  const size_t directive = stem.find_last_of('%');
  if (directive != std::string::npos && stem.back() == 'd') {
    stem.erase(directive);
  } else {
    while (!stem.empty() && std::isdigit(static_cast<unsigned char>(stem.back()))) stem.pop_back();
  }
  return stem + extension;
}

bool sameInput(const std::string& given, const std::string& measured) {
  return lastName(given) == lastName(measured) ||
         withoutFrameNumber(lastName(given)) == withoutFrameNumber(lastName(measured));
}

fs::path canonical(const std::string& path) {
  std::error_code ignored;
  const fs::path found = fs::weakly_canonical(fs::absolute(path), ignored);
  return found.empty() ? fs::absolute(path).lexically_normal() : found;
}

}  // namespace

std::optional<std::string> checkSameTake(const CorrectOptions& options, const CorrectionsPlan& plan,
                                         const TakeReader& reader) {
  std::string given;
  std::string measured;
  bool same = options.inputs.size() == plan.paths.size();
  for (size_t i = 0; i < std::max(options.inputs.size(), plan.paths.size()); ++i) {
    if (i < options.inputs.size())
      given += (given.empty() ? "" : ", ") + lastName(options.inputs[i]);
    if (i < plan.paths.size()) measured += (measured.empty() ? "" : ", ") + lastName(plan.paths[i]);
    same = same && i < options.inputs.size() && i < plan.paths.size() &&
           sameInput(options.inputs[i], plan.paths[i]);
  }
  if (!same)
    return options.corrections + " holds the corrections of " + measured + ", not of " + given;
  if (orientationWord(options.orientation) != plan.orientation)
    return options.corrections + " was measured with -o " +
           (plan.orientation.empty() ? std::string("\"\" (two inputs)") : plan.orientation) +
           ", not " + orientationWord(options.orientation);
  const cv::Size file = reader.viewSize();
  const int sx = options.orientation == Orientation::SideBySide ? plan.squeeze : 1;
  const int sy = options.orientation == Orientation::OverUnder ? plan.squeeze : 1;
  const cv::Size display(file.width * sx, file.height * sy);
  if (display != plan.view)
    return options.corrections + " is for views of " + std::to_string(plan.view.width) + " x " +
           std::to_string(plan.view.height) + "; the views of " + given + " are " +
           std::to_string(display.width) + " x " + std::to_string(display.height);
  return std::nullopt;
}

std::optional<std::string> checkNoOverwrite(const CorrectOptions& options,
                                            const std::vector<std::string>& outputs) {
  std::vector<fs::path> taken;
  for (const std::string& input : options.inputs) {
    taken.push_back(canonical(input));
    if (!looksLikeSequence(input)) continue;
    if (const Expected<SequenceFiles> files = findSequence(input))
      for (const SequenceFile& file : files.value().files) {
        taken.push_back(canonical(file.path));
        taken.push_back(canonical(file.path).parent_path());
      }
  }
  for (const std::string& output : outputs)
    for (const fs::path& input : taken)
      if (canonical(output) == input)
        return "-r " + options.output + " would overwrite the input " + input.string();
  return std::nullopt;
}

}  // namespace stereolint::correct
