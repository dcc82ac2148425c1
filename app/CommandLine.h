// Reading the option words of the command line into text settings, the usage
// text, and the checks that decide whether a run can start.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "qc/QcOptions.h"

namespace stereolint {

// The settings of one start, all kept as the text that was given.
struct Settings {
  std::string mode = "GUI";           // -m  "GUI" or "CONSOLE"
  std::array<std::string, 2> inputs;  // -i  first and second input path
  std::string orientation;            // -o  "VERTICALLY", "HORIZONTALLY" or ""
  std::string method;                 // -d  disparity method, e.g. "Stereolint"
  std::string threads;                // -t  worker thread count
  std::string resultPath;             // -r  output prefix
  std::string parameters;             // -p  checker parameters
  std::string sequence;               // -s  frame selection
  std::string squeeze;                // --squeeze  view squeeze factor, "" when not given
  // The word after the first input path when it was not taken as the
  // second input because it names no readable file (and is no option
  // word); empty otherwise. A misspelt second eye ends up here.
  std::string unreadableSecond;
  // --quiet: no frame blocks on standard output.
  bool quiet = false;
  // --count-frames: the inputs are opened and their frames counted, no
  // frame is analysed; -d, -t and -r are then not needed.
  bool countFrames = false;
  // --corrections: each shot's correction written beside the report
  // (with --qc).
  bool corrections = false;
  // --qc and the quality control options, as given (see qc/QcOptions.h).
  qc::QcOptionTexts quality;
  // Sampling of the frames of a take, as given: --every N, --per-shot K.
  std::optional<std::string> every;
  std::optional<std::string> perShot;
  // The screen the take is made for and the viewers' eye separation, as
  // given: --screen SIZE, --interocular MM.
  std::optional<std::string> screen;
  std::optional<std::string> interocular;
  // The first word beginning with "--" that names no option (and is no
  // option's value), with "=" and what follows left out; "" when none.
  std::string unknownOption;
  // Words beginning with a single "-" that name no option and are no
  // option's value: they are not read, and the run says so.
  std::vector<std::string> unreadWords;
};

struct CommandLine {
  Settings settings;
  bool help = false;     // "-h" was met; the words after it were not read
  bool version = false;  // "--version" was met first; the words after it were not read
};

// Reads every word from the first (the program path) to the last. A value
// word is examined as an option word in its turn, so "-r -h" asks for help.
// "-i" takes the next word as the first path and the word after it as the
// second path when that word names a readable file, else the first path
// again. An option word with no word after it leaves its setting at its
// initial value, as if it were not given. "--qc", "--quiet" and
// "--count-frames" take no value word; "--version" is met like "-h"; an
// option beginning with "--" also takes its value as "--KEY=VALUE".
CommandLine readCommandLine(const std::vector<std::string>& words);

// One option of the usage text: the option with its values as shown (e.g.
// "-m GUI | CONSOLE", "--fps N") and what it does, beginning with "-- ".
struct UsageLine {
  std::string option;
  std::string description;
};

// Every option in the order of the usage text: the one list that the usage
// text, the manual page and the shell completion are made from.
std::vector<UsageLine> usageLines();

// The usage text printed for "-h", every line ending with a newline.
std::string usageText();

// The first lines to print on standard error when the settings cannot start
// a run, or nothing when they can. Checked in this order: an unknown option
// beginning with "--" (with the nearest known one), the mode word (a word
// that differs from a mode only in case names the mode meant), the
// completeness of the arguments for that mode, the thread count (a whole
// number of at least 1 as atoi reads it) and the orientation word. Every
// answer ends with "HELP: Stereolint -h" and an empty line. No input is
// opened beyond testing that the input files exist.
std::optional<std::string> checkSettings(const Settings& settings);

// The argument error for a setting whose value cannot be used: the given
// line, "HELP: Stereolint -h" and an empty line.
std::string argumentError(const std::string& line);

}  // namespace stereolint
