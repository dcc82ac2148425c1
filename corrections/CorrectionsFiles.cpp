#include "corrections/CorrectionsFiles.h"

#include <filesystem>
#include <system_error>

#include "corrections/ColourFiles.h"
#include "corrections/CorrectScript.h"
#include "corrections/ShotGrade.h"
#include "corrections/CorrectionsJson.h"
#include "platform/Platform.h"

namespace stereolint::corrections {

namespace {

std::optional<std::string> writeText(const std::string& path, const std::string& text) {
  const platform::FileOutcome outcome = platform::writeWholeFile(path, text.data(), text.size());
  if (outcome.done) return std::nullopt;
  return "Cannot write " + path + ": " + outcome.reason;
}

}  // namespace

std::vector<ShotCorrection> correctShots(const std::vector<qc::Shot>& shots,
                                         const std::vector<qc::FrameRecord>& frames,
                                         const qc::QcLimits& limits, CorrectedEyes eyes) {
  std::vector<ShotCorrection> corrections;
  for (const qc::Shot& shot : shots) corrections.push_back(correctShot(shot, frames, limits, eyes));
  return corrections;
}

std::optional<std::string> writeCorrectionsFiles(const CorrectionsContent& content,
                                                 const std::string& prefix, bool scriptable) {
  std::string problems;
  if (auto problem = writeText(prefix + kCorrectionsJsonName, correctionsJson(content)))
    problems += *problem;
  if (scriptable) {
    const std::string path = prefix + kCorrectScriptName;
    if (auto problem = writeText(path, correctScript(content, prefix))) {
      problems += std::string(problems.empty() ? "" : "\n") + *problem;
    } else {
      namespace fs = std::filesystem;
      std::error_code failed;
      fs::permissions(path, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                      fs::perm_options::add, failed);
      if (failed)
        problems += std::string(problems.empty() ? "" : "\n") + "Cannot make " + path +
                    " executable: " + failed.message();
    }
  }
  for (const ShotCorrection& shot : content.shots) {
    if (!shot.grade) continue;
    const std::string id = content.take.name + " shot " + std::to_string(shot.shot);
    const std::string description = "right eye onto the left, frames " +
                                    std::to_string(shot.firstFrame) + " to " +
                                    std::to_string(shot.lastFrame);
    const std::string cdl = prefix + shotCdlName(shot.shot);
    const std::string cube = prefix + shotCubeName(shot.shot);
    for (const auto& problem : {writeCdlFile(cdl, *shot.grade, id, description),
                                writeCubeFile(cube, *shot.grade, id)})
      if (problem) problems += std::string(problems.empty() ? "" : "\n") + *problem;
  }
  if (problems.empty()) return std::nullopt;
  return problems;
}

}  // namespace stereolint::corrections
