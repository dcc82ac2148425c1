// The checker parameters ("-p"), read once into typed settings.
//
// The parameters text is a list of KEY:VALUE entries separated by commas;
// each key is looked up with the rule of StereolintInterface::getParameter
// (first entry wins, blanks belong to keys and values, an absent key reads
// as ""). Every setting below is derived from those texts exactly as the
// checkers read them, so a run behaves the same whichever way it is asked.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace stereolint {

// One parameter key of the method of steps and what it means, as the
// README's list of parameters gives it; the manual page and the shell
// completion list these.
struct CheckerKey {
  const char* name;
  const char* meaning;
};

inline constexpr CheckerKey kCheckerKeys[] = {
    {"WIDTH", "tile half-size, % of the view width (a whole number of at least 1)"},
    {"HEIGHT", "tile half-size, % of the view height (a whole number of at least 1)"},
    {"DETECTOR", "keypoint detector, e.g. GridFAST"},
    {"EXTRACTOR", "descriptor extractor, e.g. ORB"},
    {"MATCHER", "descriptor matcher, e.g. BruteForce-Hamming"},
    {"DISTRIBUTION", "TRUE adds the CIRCLES picture"},
    {"RECURRENCY", "TRUE: each step measures the views as the step before corrected them"},
    {"HIERARCHY", "the steps, separated by ;: VERTICAL, ROTATION, SCALE"},
};

// The single measurements the combined checker can run.
enum class Step { Vertical, Rotation, Scale };

// The result name of a step: "VERTICAL", "ROTATION" or "SCALE".
const char* stepName(Step step);

struct CheckerOptions {
  // WIDTH and HEIGHT as given, and as whole numbers (leading digits, as atoi
  // reads them: "10%" is 10, "x" is 0): tile half-sizes in percent of the
  // view width and height.
  std::string widthText, heightText;
  int widthPercent = 0;
  int heightPercent = 0;
  // DETECTOR, EXTRACTOR and MATCHER as given.
  std::string detector, extractor, matcher;
  // DISTRIBUTION "TRUE": each step adds its CIRCLES picture.
  bool distribution = false;
  // RECURRENCY "TRUE": each step measures the views as the step before
  // corrected them.
  bool recurrency = false;
  // The HIERARCHY items up to the first empty one, as given, and the steps
  // among them, in order (other words are passed over).
  std::vector<std::string> hierarchy;
  std::vector<Step> steps;

  // How WIDTH and HEIGHT were taken when other characters followed their
  // digits (`WIDTH: "10%" is read as 10`), for the run to warn about.
  std::vector<std::string> readingNotes;

  // True when at least one step runs, i.e. something is measured.
  bool measures() const { return !steps.empty(); }
};

// The value of `key` in a parameters text: the text after the first ":" of
// the first entry whose name (the text before its first ":", or the whole
// entry when it has none) equals `key` exactly; the whole entry when that
// entry has no ":"; "" when no entry has that name.
std::string parameterValue(const std::string& parameters, const std::string& key);

// Reads the settings out of a parameters text. Never fails: what cannot be
// read stays at its neutral value, as the checkers take it.
CheckerOptions readCheckerOptions(const std::string& parameters);

// The items of a ";"-separated text from the first up to its first empty
// item (two ";" in a row, or a leading ";"), in order; a trailing ";" adds
// nothing. Read in one pass.
std::vector<std::string> hierarchyItems(const std::string& text);

}  // namespace stereolint
