#include "app/CommandLine.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/Methods.h"
#include "sources/InputKind.h"
#include "sources/ViewRegions.h"
#include "sources/ViewSqueeze.h"
#include "util/Constants.h"
#include "util/Numbers.h"
#include "util/Paths.h"
#include "util/Words.h"

namespace stereolint {

namespace {

// A picture, video or clip file that can be read, or an image sequence.
bool inputExists(const std::string& path) { return fileExists(path) || namesSequence(path); }

// The setting that an option word with one value word sets, or none.
std::string Settings::*valueSetting(const std::string& word) {
  if (word == "-m") return &Settings::mode;
  if (word == "-o") return &Settings::orientation;
  if (word == "-d") return &Settings::method;
  if (word == "-t") return &Settings::threads;
  if (word == "-r") return &Settings::resultPath;
  if (word == "-p") return &Settings::parameters;
  if (word == "-s") return &Settings::sequence;
  if (word == "--squeeze") return &Settings::squeeze;
  return nullptr;
}

// The quality control options with one value word: the one table that the
// command line reading and the usage text share.
struct QualityOption {
  const char* word;
  const char* value;
  const char* description;
  std::optional<std::string> qc::QcOptionTexts::*text;
};

const QualityOption kQualityOptions[] = {
    {"--limits", "TEXT", "-- quality limits, optional, e.g. VERTICAL:0.3%/1%",
     &qc::QcOptionTexts::limits},
    {"--pictures", "all|flagged|worst|none", "-- which frames' pictures are written, default all",
     &qc::QcOptionTexts::pictures},
    {"--fps", "N", "-- frame rate of stills and sequences, optional", &qc::QcOptionTexts::fps},
    {"--start-timecode", "HH:MM:SS:FF", "-- timecode of frame 1, optional",
     &qc::QcOptionTexts::startTimecode},
    {"--fail-on", "fix | reject", "-- exit code 3 at or beyond that shot verdict, optional",
     &qc::QcOptionTexts::failOn},
    {"--min-judged", "PERCENT", "-- with --fail-on: exit code 4 below, default 50",
     &qc::QcOptionTexts::minJudged},
    {"--correct", "right | both", "-- the eyes --corrections warps, default right",
     &qc::QcOptionTexts::correct},
};

const QualityOption* qualityOption(const std::string& word) {
  for (const QualityOption& option : kQualityOptions) {
    if (word == option.word) return &option;
  }
  return nullptr;
}

// The other options with one value word, kept in the settings as given:
// which frames of a take are analysed, and the screen the take is made for.
struct SettingOption {
  const char* word;
  const char* value;
  const char* description;
  std::optional<std::string> Settings::*text;
};

const SettingOption kSettingOptions[] = {
    {"--every", "N", "-- analyse every N-th frame of a take, optional", &Settings::every},
    {"--per-shot", "K", "-- analyse K frames spread over each shot (with --qc), optional",
     &Settings::perShot},
    {"--screen", "SIZE",
     "-- screen width (12m, 1200mm), diagonal (55in) or tv, cinema, imax, optional",
     &Settings::screen},
    {"--interocular", "MM", "-- viewers' eye separation in mm for --screen, default 65",
     &Settings::interocular},
};

const SettingOption* settingOption(const std::string& word) {
  for (const SettingOption& option : kSettingOptions) {
    if (word == option.word) return &option;
  }
  return nullptr;
}

// The options without a value word that set a flag of the settings.
struct FlagOption {
  const char* word;
  const char* description;
  bool Settings::*flag;
};

const FlagOption kFlagOptions[] = {
    {"--quiet", "-- no frame blocks: shot and take lines, warnings, errors", &Settings::quiet},
    {"--count-frames", "-- print the number of frames a run would read, and stop",
     &Settings::countFrames},
    {"--corrections", "-- with --qc: each shot's correction and an ffmpeg script, optional",
     &Settings::corrections},
};

const FlagOption* flagOption(const std::string& word) {
  for (const FlagOption& option : kFlagOptions) {
    if (word == option.word) return &option;
  }
  return nullptr;
}

// Every option word that starts with "--", for the nearest to a misspelt one.
// The nearest word first in the list wins a tie: later options go last, so
// that a misspelling names the option it always named.
std::vector<std::string> longOptionWords() {
  std::vector<std::string> words{"--qc", "--quiet", "--squeeze", "--version"};
  for (const QualityOption& option : kQualityOptions)
    if (option.text != &qc::QcOptionTexts::correct) words.emplace_back(option.word);
  for (const SettingOption& option : kSettingOptions) words.emplace_back(option.word);
  for (const FlagOption& option : kFlagOptions)
    if (std::find(words.begin(), words.end(), option.word) == words.end())
      words.emplace_back(option.word);
  words.emplace_back("--correct");
  return words;
}

bool takesValue(const std::string& word) {
  return word == "-i" || valueSetting(word) != nullptr || qualityOption(word) != nullptr ||
         settingOption(word) != nullptr;
}

bool isKnownOption(const std::string& word) {
  return word == "-h" || word == "--version" || word == "--qc" || flagOption(word) != nullptr ||
         takesValue(word);
}

// An option word as given, and the value of "--KEY=VALUE".
struct OptionWord {
  std::string word;
  std::optional<std::string> value;
};

OptionWord splitOption(const std::string& word) {
  const size_t equals = word.find('=');
  if (word.rfind("--", 0) != 0 || equals == std::string::npos) return {word, std::nullopt};
  return {word.substr(0, equals), word.substr(equals + 1)};
}

// What keeps incomplete settings from a run, for the line after "Wrong
// application arguments": each missing option or unreadable input, e.g.
// "Missing or unreadable: the input a.png (no readable file); -d (the
// disparity method)".
std::string missingText(const Settings& settings) {
  std::vector<std::string> missing;
  const auto& [first, second] = settings.inputs;
  if (first.empty()) {
    missing.push_back("-i (the input files)");
  } else if (!inputExists(first)) {
    missing.push_back("the input " + first + " (no readable file)");
  } else if (second == first && settings.orientation.empty()) {
    if (!settings.unreadableSecond.empty()) {
      missing.push_back("the second input " + settings.unreadableSecond + " (no readable file)");
    }
    missing.push_back("-o (" + constants().vertically + " or " + constants().horizontally +
                      ", how one file holds both views)");
  }
  // Counting frames reads the inputs alone.
  if (!settings.countFrames) {
    if (settings.method.empty()) missing.push_back("-d (the disparity method)");
    if (settings.threads.empty()) missing.push_back("-t (the number of worker threads)");
    if (settings.resultPath.empty()) missing.push_back("-r (the output prefix)");
  }
  std::string text = "Missing or unreadable:";
  for (size_t k = 0; k < missing.size(); ++k) text += (k == 0 ? " " : "; ") + missing[k];
  return text;
}

bool isCompleteForRun(const Settings& settings) {
  const auto& [first, second] = settings.inputs;
  const bool stereoSource = !first.empty() && inputExists(first) && !settings.orientation.empty();
  const bool sourcePair = !first.empty() && !second.empty() && first != second &&
                          inputExists(first) && inputExists(second);
  if (settings.countFrames) return stereoSource || sourcePair;
  return (stereoSource || sourcePair) && !settings.method.empty() && !settings.threads.empty() &&
         !settings.resultPath.empty();
}

}  // namespace

CommandLine readCommandLine(const std::vector<std::string>& words) {
  CommandLine line;
  Settings& settings = line.settings;
  const Settings initial;
  // The words read as an option's value: they name no option of their own.
  std::vector<bool> isValue(words.size(), false);
  for (size_t i = 0; i < words.size(); ++i) {
    const OptionWord option = splitOption(words[i]);
    const std::string& word = option.word;
    // The value of "--KEY=VALUE", or else the next word.
    const bool hasValue = option.value || i + 1 < words.size();
    const std::string value = option.value ? *option.value : hasValue ? words[i + 1] : "";
    if (!option.value && i + 1 < words.size() && takesValue(word)) isValue[i + 1] = true;
    if (word == "-h") {
      line.help = true;
      return line;
    }
    if (word == "--version") {
      line.version = true;
      return line;
    }
    if (!isKnownOption(word)) {
      // The program's own path is no option either way.
      if (i == 0 || isValue[i]) continue;
      if (word.rfind("--", 0) == 0) {
        if (settings.unknownOption.empty()) settings.unknownOption = word;
      } else if (word.size() > 1 && word[0] == '-') {
        settings.unreadWords.push_back(word);
      }
      continue;
    }
    if (word == "-i") {
      settings.inputs[0] = hasValue ? words[i + 1] : std::string();
      const bool hasSecond = i + 2 < words.size();
      // A sequence pairs only with a sequence; a file with a file.
      const bool secondIsFile =
          hasSecond && (fileExists(words[i + 2]) ||
                        (namesSequence(settings.inputs[0]) && namesSequence(words[i + 2])));
      settings.inputs[1] = secondIsFile ? words[i + 2] : settings.inputs[0];
      settings.unreadableSecond =
          hasSecond && !secondIsFile && words[i + 2].rfind('-', 0) != 0 ? words[i + 2] : "";
      if (secondIsFile) isValue[i + 2] = true;
    } else if (const auto setting = valueSetting(word)) {
      settings.*setting = hasValue ? value : initial.*setting;
    } else if (word == "--qc") {
      settings.quality.qc = true;
    } else if (const FlagOption* flag = flagOption(word)) {
      settings.*(flag->flag) = true;
    } else if (const QualityOption* quality = qualityOption(word)) {
      settings.quality.*(quality->text) =
          hasValue ? std::optional<std::string>(value) : std::nullopt;
    } else if (const SettingOption* other = settingOption(word)) {
      settings.*(other->text) = hasValue ? std::optional<std::string>(value) : std::nullopt;
    }
  }
  return line;
}

std::vector<UsageLine> usageLines() {
  std::vector<UsageLine> lines = {
      {"-m GUI | CONSOLE", "-- application mode, default GUI"},
      {"-i [PATH]", "-- input files path, required"},
      {"-o VERTICALLY | HORIZONTALLY", "-- frame orientation, required (at least one input file)"},
      {"-d [DISPARITY METHOD]", "-- disparity method, required: " + methodNames()},
      {"-t [THREADS AMOUNT]", "-- calculation threads, required"},
      {"-r [PATH]", "-- output path, required"},
      {"-p [DISPARITY METHOD PARAMETERS]", "-- parameters, optional"},
      {"-s [SEQUENCE]", "-- frames sequence, optional"},
  };
  std::string squeeze = "--squeeze";
  for (const char* factor : kSqueezeFactors) {
    squeeze += (squeeze == "--squeeze" ? " " : " | ") + std::string(factor);
  }
  lines.push_back({squeeze, "-- stretch half-width or half-height views back, with -o, optional"});
  lines.push_back({"--qc", "-- quality control and report, optional"});
  for (const QualityOption& option : kQualityOptions) {
    lines.push_back({std::string(option.word) + " " + option.value, option.description});
  }
  for (const SettingOption& option : kSettingOptions) {
    lines.push_back({std::string(option.word) + " " + option.value, option.description});
  }
  for (const FlagOption& option : kFlagOptions) lines.push_back({option.word, option.description});
  lines.push_back({"--version", "-- program, source revision and library versions"});
  lines.push_back({"-h", "-- console help"});
  return lines;
}

std::string usageText() {
  std::string text = "USAGE: Stereolint.exe [ARGUMENTS]\n\nARGUMENTS:\n";
  for (const UsageLine& line : usageLines()) {
    char formatted[128];
    std::snprintf(formatted, sizeof formatted, "\t%-35s%s\n", line.option.c_str(),
                  line.description.c_str());
    text += formatted;
  }
  text += "\n";
  return text;
}

std::string argumentError(const std::string& line) { return line + "\nHELP: Stereolint -h\n\n"; }

std::optional<std::string> checkSettings(const Settings& settings) {
  if (!settings.unknownOption.empty()) {
    return argumentError(settings.unknownOption + ": unknown option; did you mean " +
                         nearestWord(settings.unknownOption, longOptionWords()) + "?");
  }
  if (settings.mode != "GUI" && settings.mode != "CONSOLE") {
    for (const char* mode : {"GUI", "CONSOLE"})
      if (equalIgnoringCase(settings.mode, mode))
        return argumentError(std::string("Wrong application MODE\n-m ") + settings.mode +
                             ": did you mean " + mode + "?");
    return argumentError("Wrong application MODE");
  }
  if (!isCompleteForRun(settings)) {
    return argumentError("Wrong application arguments for " + settings.mode + " mode\n" +
                         missingText(settings));
  }
  if (!settings.countFrames && leadingInteger(settings.threads) < 1) {
    return argumentError("Wrong threads amount \"" + settings.threads +
                         "\": a whole number of at least 1 is needed");
  }
  const std::string& orientation = settings.orientation;
  if (!orientationFromWord(orientation)) {
    return argumentError("Wrong frame orientation \"" + orientation + "\": " +
                         constants().vertically + " or " + constants().horizontally + " is needed");
  }
  return std::nullopt;
}

}  // namespace stereolint
