#include "sources/ImageSequence.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/Platform.h"
#include "sources/PictureFile.h"
#include "util/Paths.h"

namespace stereolint {

namespace {

namespace fs = std::filesystem;

// Frame numbers longer than this are not numbers of a take.
constexpr size_t kMostDigits = 18;
// A gap remark lists this many ranges at most.
constexpr size_t kMostRanges = 12;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Where the file name starts: after the last folder separator.
size_t nameStart(const std::string& path) {
  const size_t separator = path.find_last_of(std::string("/") + platform::folderSeparator());
  return separator == std::string::npos ? 0 : separator + 1;
}

// The file names of one numbered run: FOLDER + PREFIX + number + SUFFIX,
// the number padded with zeros to `width` digits (0: not padded).
struct NumberedName {
  std::string folder;  // as given, with its trailing separator; "" for the current folder
  std::string prefix;
  std::string suffix;
  size_t width = 0;

  std::string digits(std::int64_t number) const {
    std::string text = std::to_string(number);
    if (text.size() < width) text.insert(0, width - text.size(), '0');
    return text;
  }
  std::string path(std::int64_t number) const { return folder + prefix + digits(number) + suffix; }

  // True when `name` (a file name) is one of the run; sets its number.
  bool matches(const std::string& name, std::int64_t& number) const {
    if (name.size() <= prefix.size() + suffix.size()) return false;
    if (name.compare(0, prefix.size(), prefix) != 0) return false;
    if (name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) return false;
    const std::string middle = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    if (middle.size() > kMostDigits || !std::all_of(middle.begin(), middle.end(), isDigit)) {
      return false;
    }
    number = std::stoll(middle);
    return digits(number) == middle;
  }

  std::string printfForm() const {
    auto escaped = [](const std::string& text) {
      std::string out;
      for (char c : text) out += c == '%' ? std::string("%%") : std::string(1, c);
      return out;
    };
    const std::string directive = width > 1 ? "%0" + std::to_string(width) + "d" : "%d";
    return folder + escaped(prefix) + directive + escaped(suffix);
  }
};

// Splits a file name into the text before its trailing frame number, the
// number's digits and the extension (from the last dot). False when no
// digits stand right before the extension.
bool splitNumberedName(const std::string& name, std::string& prefix, std::string& digits,
                       std::string& suffix) {
  const size_t dot = name.rfind('.');
  const size_t stemEnd = dot == std::string::npos ? name.size() : dot;
  size_t start = stemEnd;
  while (start > 0 && isDigit(name[start - 1])) --start;
  if (start == stemEnd || stemEnd - start > kMostDigits) return false;
  prefix = name.substr(0, start);
  digits = name.substr(start, stemEnd - start);
  suffix = name.substr(stemEnd);
  return true;
}

// The run a numbered file belongs to; false for a name without a number.
bool numberedRun(const std::string& path, NumberedName& run, std::int64_t& number) {
  const size_t start = nameStart(path);
  std::string digits;
  if (!splitNumberedName(path.substr(start), run.prefix, digits, run.suffix)) return false;
  run.folder = path.substr(0, start);
  run.width = digits.size() > 1 && digits[0] == '0' ? digits.size() : 0;
  number = std::stoll(digits);
  return true;
}

enum class PatternParse { NoDirective, Parsed, Malformed };

// Reads the one directive of a printf-style pattern's file name.
PatternParse parsePattern(const std::string& pattern, NumberedName& run) {
  const size_t start = nameStart(pattern);
  run.folder = pattern.substr(0, start);
  std::string literal;
  bool found = false;
  for (size_t i = start; i < pattern.size(); ++i) {
    if (pattern[i] != '%') {
      literal += pattern[i];
      continue;
    }
    if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
      literal += '%';
      ++i;
      continue;
    }
    size_t end = i + 1;
    while (end < pattern.size() && isDigit(pattern[end])) ++end;
    if (found || end >= pattern.size() || pattern[end] != 'd' || end - i - 1 > 2) {
      return PatternParse::Malformed;
    }
    found = true;
    run.width = end > i + 1 ? std::stoul(pattern.substr(i + 1, end - i - 1)) : 0;
    run.prefix = literal;
    literal.clear();
    i = end;
  }
  run.suffix = literal;
  return found ? PatternParse::Parsed : PatternParse::NoDirective;
}

std::string listedFolder(const std::string& folder) { return folder.empty() ? "." : folder; }

// Regular files of a folder (links followed), names only, hidden ones
// passed over.
Expected<std::vector<std::string>> folderFileNames(const std::string& folder) {
  std::error_code error;
  fs::directory_iterator entries(listedFolder(folder), error);
  if (error) return Failure{"Cannot list the folder " + listedFolder(folder) + " (" + error.message() + ")", "input"};
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : entries) {
    const std::string name = entry.path().filename().string();
    std::error_code kindError;
    if (name.empty() || name[0] == '.' || !entry.is_regular_file(kindError)) continue;
    names.push_back(name);
  }
  return names;
}

std::string rangeText(std::int64_t first, std::int64_t last) {
  return first == last ? std::to_string(first) : std::to_string(first) + "-" + std::to_string(last);
}

// "frames 5-7, 12 are missing from NAME", or nothing without gaps.
void addGapRemark(SequenceFiles& sequence) {
  std::vector<std::string> ranges;
  std::int64_t missing = 0;
  for (size_t i = 1; i < sequence.files.size(); ++i) {
    const std::int64_t before = sequence.files[i - 1].number;
    const std::int64_t after = sequence.files[i].number;
    if (after - before < 2) continue;
    ranges.push_back(rangeText(before + 1, after - 1));
    missing += after - before - 1;
  }
  if (ranges.empty()) return;
  const size_t shown = std::min(ranges.size(), kMostRanges);
  std::string list;
  for (size_t i = 0; i < shown; ++i) list += (i == 0 ? "" : ", ") + ranges[i];
  if (shown < ranges.size()) list += " and " + std::to_string(ranges.size() - shown) + " more ranges";
  const std::string subject =
      missing == 1 ? "frame " + list + " is" : "frames " + list + " are";
  std::string remark = subject + " missing from " + sequence.name;
  if (shown < ranges.size()) remark += " (" + std::to_string(missing) + " frames)";
  sequence.remarks.push_back(remark);
}

// Every file of a run with a number of at least `first`, by number.
Expected<SequenceFiles> collectRun(const NumberedName& run, std::int64_t first, const std::string& name) {
  Expected<std::vector<std::string>> names = folderFileNames(run.folder);
  if (!names) return names.failure();
  SequenceFiles sequence;
  sequence.name = name;
  for (const std::string& file : *names) {
    std::int64_t number = 0;
    if (run.matches(file, number) && number >= first) {
      sequence.files.push_back({run.folder + file, number});
    }
  }
  if (sequence.files.empty()) return Failure{"No file matches the picture pattern " + name, "input"};
  std::sort(sequence.files.begin(), sequence.files.end(),
            [](const SequenceFile& a, const SequenceFile& b) { return a.number < b.number; });
  addGapRemark(sequence);
  return sequence;
}

Expected<SequenceFiles> folderSequence(const std::string& folder) {
  Expected<std::vector<std::string>> names = folderFileNames(folder);
  if (!names) return names.failure();
  std::vector<std::string> pictures;
  for (const std::string& name : *names) {
    if (hasPictureExtension(name)) pictures.push_back(name);
  }
  if (pictures.empty()) return Failure{"The folder " + folder + " holds no picture files", "input"};
  std::sort(pictures.begin(), pictures.end(), naturalLess);

  const bool endsInSeparator = nameStart(folder) == folder.size();
  const std::string inside = endsInSeparator ? folder : folder + platform::folderSeparator();
  SequenceFiles sequence;
  sequence.name = folder;
  bool numbered = true;
  for (const std::string& name : pictures) {
    std::string prefix, digits, suffix;
    std::int64_t number = static_cast<std::int64_t>(sequence.files.size()) + 1;
    if (splitNumberedName(name, prefix, digits, suffix)) {
      number = std::stoll(digits);
    } else {
      numbered = false;
    }
    if (!sequence.files.empty() && number <= sequence.files.back().number) numbered = false;
    sequence.files.push_back({inside + name, number});
  }
  if (numbered) {
    addGapRemark(sequence);
  } else {
    for (size_t i = 0; i < sequence.files.size(); ++i) {
      sequence.files[i].number = static_cast<std::int64_t>(i) + 1;
    }
  }
  return sequence;
}

bool isFolder(const std::string& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

}  // namespace

bool naturalLess(const std::string& a, const std::string& b) {
  size_t i = 0;
  size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (isDigit(a[i]) && isDigit(b[j])) {
      size_t endA = i;
      size_t endB = j;
      while (endA < a.size() && isDigit(a[endA])) ++endA;
      while (endB < b.size() && isDigit(b[endB])) ++endB;
      size_t valueA = i;
      size_t valueB = j;
      while (valueA + 1 < endA && a[valueA] == '0') ++valueA;
      while (valueB + 1 < endB && b[valueB] == '0') ++valueB;
      const std::string numberA = a.substr(valueA, endA - valueA);
      const std::string numberB = b.substr(valueB, endB - valueB);
      if (numberA.size() != numberB.size()) return numberA.size() < numberB.size();
      if (numberA != numberB) return numberA < numberB;
      i = endA;
      j = endB;
      continue;
    }
    if (a[i] != b[j]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
    ++i;
    ++j;
  }
  if ((i < a.size()) != (j < b.size())) return j < b.size();
  return a < b;
}

Expected<SequenceFiles> findSequence(const std::string& input) {
  if (isFolder(input)) return folderSequence(input);
  NumberedName run;
  // An existing file is a file, whatever "%" its name holds.
  const PatternParse pattern =
      fileExists(input) ? PatternParse::NoDirective : parsePattern(input, run);
  switch (pattern) {
    case PatternParse::Parsed:
      return collectRun(run, 0, input);
    case PatternParse::Malformed:
      return Failure{"The picture pattern " + input +
                     " needs exactly one frame number directive such as %d, %4d or %06d", "input"};
    case PatternParse::NoDirective:
      break;
  }
  std::int64_t first = 0;
  if (!numberedRun(input, run, first)) {
    return Failure{"The file name of " + input + " does not end in a frame number", "input"};
  }
  if (!fileExists(input)) return Failure{"Cannot read the image " + input, "input"};
  return collectRun(run, first, run.printfForm());
}

bool looksLikeSequence(const std::string& path) {
  if (isFolder(path)) return true;
  NumberedName run;
  if (!fileExists(path) && parsePattern(path, run) == PatternParse::Parsed) return true;
  std::int64_t number = 0;
  if (!numberedRun(path, run, number) || !fileExists(path)) return false;
  if (fileExists(run.path(number + 1))) return true;
  // A run whose first gap comes right after this file: a later file of it.
  return collectRun(run, number + 1, path).ok();
}

}  // namespace stereolint
