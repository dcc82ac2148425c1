#include "CorrectRenderer.h"

#include <filesystem>
#include <fstream>
#include <regex>

namespace bench {

Renderer defaultRenderer() { return {STEREOLINT_CORRECT_BINARY, false}; }

std::optional<RenderSummary> parseRenderSummary(const std::string& line) {
  static const std::regex kLine(
      R"(^Wrote (\d+) frames? to (.+) in ([0-9.]+) s \(([0-9.]+) frames/s\)(: (.*))?\s*$)");
  std::smatch found;
  if (!std::regex_match(line, found, kLine)) return std::nullopt;
  RenderSummary summary;
  summary.frames = std::stoi(found[1]);
  summary.output = found[2];
  summary.seconds = std::stod(found[3]);
  summary.framesPerSecond = std::stod(found[4]);
  static const std::regex kPart(R"(\s*([^,]+?) ([0-9.]+) s\s*(,|$))");
  const std::string parts = found[6];
  for (std::sregex_iterator part(parts.begin(), parts.end(), kPart), end; part != end; ++part)
    summary.parts.emplace_back((*part)[1], std::stod((*part)[2]));
  return summary;
}

Render renderCorrections(const Renderer& renderer, const std::string& take,
                         const std::string& prefix, const std::string& output, int threads) {
  std::vector<std::string> words;
  if (renderer.script) {
    words = {"/bin/sh", prefix + "correct.sh", output};
  } else {
    // stereolint-correct INPUT -o VERTICALLY --corrections JSON -r OUTPUT --codec ffv1 -t N
    words = {
        renderer.binary, take, "-o", "VERTICALLY", "--corrections", prefix + "corrections.json"};
    for (const std::string& word :
         {std::string("-r"), output, std::string("--codec"), std::string("ffv1"), std::string("-t"),
          std::to_string(threads)})
      words.push_back(word);
  }
  Render render;
  for (const std::string& word : words)
    render.command += (render.command.empty() ? "" : " ") + word;
  const std::string errorFile = output + ".stderr";
  render.run = runCommand(words, errorFile);
  if (render.run.status != 0) {
    std::ifstream errors(errorFile);
    std::getline(errors, render.error);
  }
  std::filesystem::remove(errorFile);
  render.output = output;
  render.summary = parseRenderSummary(lastLine(render.run.out));
  if (render.summary && std::filesystem::exists(render.summary->output))
    render.output = render.summary->output;
  return render;
}

std::string rendererName(const Renderer& renderer) {
  return renderer.script ? "correct.sh (ffmpeg)" : "stereolint-correct";
}

}  // namespace bench
