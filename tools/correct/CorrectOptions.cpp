#include "tools/correct/CorrectOptions.h"

#include <cstdlib>

#include "util/Words.h"

namespace stereolint::correct {

namespace {

// The words given to options, before checkOptions makes typed values of them.
struct OptionValues {
  std::string orientation;
  std::string codec;
  std::string workers;
  bool orientationGiven = false;
};

bool wholeNumber(const std::string& text, int least, int most, int& value) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 4)
    return false;
  value = std::atoi(text.c_str());
  return value >= least && value <= most;
}

// The checks of the options as a whole, after every word was read.
void checkOptions(CorrectOptions& options, const OptionValues& values,
                  std::vector<std::string>& problems) {
  if (options.inputs.empty() || options.inputs.size() > 2)
    problems.push_back("give one stereo input, or the left eye's and the right eye's");
  if (options.corrections.empty())
    problems.push_back(
        "--corrections names the corrections.json that Stereolint --qc --corrections wrote");
  if (options.output.empty()) problems.push_back("-r names the output");
  if (options.inputs.size() == 1) {
    const std::optional<Orientation> orientation = orientationFromWord(values.orientation);
    if (!values.orientationGiven || !orientation || *orientation == Orientation::Whole)
      problems.push_back(
          "-o: one input needs VERTICALLY (side by side) or HORIZONTALLY (over-under)" +
          (values.orientationGiven ? ", not \"" + values.orientation + "\"" : std::string()));
    else
      options.orientation = *orientation;
  } else if (options.inputs.size() == 2 && values.orientationGiven) {
    problems.push_back("-o is for one stereo input; two inputs are one eye each");
  }
  if (!values.codec.empty()) {
    if (const std::optional<VideoCodec> codec = videoCodecFromWord(values.codec))
      options.codec = *codec;
    else
      problems.push_back("--codec: \"" + values.codec + "\" is none of " + videoCodecWords());
  }
  if (!values.workers.empty() && !wholeNumber(values.workers, 1, kMostWorkers, options.workers))
    problems.push_back("-t: \"" + values.workers + "\" is no number of workers from 1 to " +
                       std::to_string(kMostWorkers));
}

}  // namespace

Expected<CorrectOptions> parseCorrectOptions(const std::vector<std::string>& words) {
  CorrectOptions options;
  if (const std::optional<ToolRequest> request = toolRequest(words)) {
    options.help = *request == ToolRequest::Help;
    options.version = *request == ToolRequest::Version;
    return options;
  }
  OptionValues values;
  std::vector<std::string> problems;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    std::string* value = word == "-o"              ? &values.orientation
                         : word == "--corrections" ? &options.corrections
                         : word == "-r"            ? &options.output
                         : word == "--codec"       ? &values.codec
                         : word == "-t"            ? &values.workers
                                                   : nullptr;
    if (value != nullptr) {
      if (i + 1 == words.size()) {
        problems.push_back(word + " needs a value");
        break;
      }
      *value = words[++i];
      values.orientationGiven = values.orientationGiven || word == "-o";
    } else if (word.size() > 1 && word[0] == '-') {
      problems.push_back("\"" + word +
                         "\" is no option; the options are -o, --corrections, -r, --codec, -t");
    } else {
      options.inputs.push_back(word);
    }
  }
  checkOptions(options, values, problems);
  if (problems.empty()) return options;
  std::string text;
  for (const std::string& problem : problems) text += (text.empty() ? "" : "\n") + problem;
  return Failure{text};
}

std::string correctUsage() {
  std::string usage =
      "USAGE: stereolint-correct INPUT [SECOND_INPUT] [-o VERTICALLY|HORIZONTALLY]\n"
      "                          --corrections PREFIXcorrections.json -r OUTPUT\n"
      "                          [--codec CODEC] [-t WORKERS]\n"
      "\n"
      "Renders the corrected take that Stereolint --qc --corrections measured: each eye of a\n"
      "corrected shot warped (bicubic), graded and masked as corrections.json says, the other\n"
      "frames as they are, in the input's layout.\n"
      "\n"
      "  INPUT [SECOND_INPUT]  the take as measured: one stereo input with -o, or the left\n"
      "                        eye's and the right eye's\n"
      "  -o WORD               VERTICALLY (side by side) or HORIZONTALLY (over-under)\n"
      "  --corrections FILE    the corrections.json of the take\n"
      "  -r OUTPUT             a video or a picture file for one stereo input; a folder for an\n"
      "                        image sequence (its pictures in their own format and bit depth,\n"
      "                        under their own names) and for two inputs (OUTPUT/left,\n"
      "                        OUTPUT/right)\n"
      "  --codec CODEC         the video's codec:\n";
  for (const VideoCodecInfo& info : videoCodecs())
    usage += std::string("                          ") + info.name + ": " + info.summary + "\n";
  usage +=
      "  -t WORKERS            frames corrected at once, and the encoder's threads (default 1)\n"
      "  -h, --help            this text\n"
      "  --version             the program's version, revision and libraries\n"
      "\n"
      "Exit status: 0 done; 1 an input, the corrections or the output cannot be used, or the\n"
      "take ends before the frames the corrections list; 2 wrong arguments; 130 interrupted.\n";
  return usage;
}

}  // namespace stereolint::correct
