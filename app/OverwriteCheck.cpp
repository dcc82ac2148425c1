#include "app/OverwriteCheck.h"

#include "report/ReportFiles.h"
#include "results/EarlierFrameFiles.h"

namespace stereolint {

namespace {

std::string joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : " + ") + name;
  return text;
}

}  // namespace

std::vector<std::string> OverwriteCheck::ourInputs() const {
  std::vector<std::string> paths{options.inputs[0]};
  if (options.inputs[1] != options.inputs[0]) paths.push_back(options.inputs[1]);
  // Named as the report names them: base names with their extensions.
  return report::takeOf(paths, 0, 1, std::nullopt, std::nullopt).inputs;
}

void OverwriteCheck::beforeFrame(int id, int size, const cv::Mat& left, const cv::Mat& right) {
  if (decided) return;
  const EarlierFrameFiles earlier = earlierFrameFiles(options.resultPath, id, size, left, right);
  if (earlier.found == EarlierFrame::None || earlier.found == EarlierFrame::NoViewsToTell) return;
  decided = true;
  if (earlier.found == EarlierFrame::SameViews) {
    // The frame files are replaced by the same ones; the tables are only
    // ever appended to, so their rows of this take would stand twice. A
    // quality-control run, whose tables a pipeline reads, is told.
    if (!options.quality.enabled) return;
    status.warning("ConsoleApplication::run - [output]",
                   "Take " + joined(ourInputs()) + " was run into " + options.resultPath +
                       " before (" + earlier.path +
                       " shows the same views): its rows are added to the tables there a second "
                       "time; remove the tables or use another prefix to start clean");
    return;
  }
  status.warning("ConsoleApplication::run - [output]",
                 "The results of " + otherTake() + " under " + options.resultPath +
                     " are overwritten by take " + joined(ourInputs()) + " from frame " +
                     std::to_string(id) + " onward (" + earlier.path + " shows other views)");
}

std::string OverwriteCheck::otherTake() const {
  const Expected<report::ReportContent> earlier = report::readReportFile(options.resultPath);
  if (!earlier) return "another take";
  const report::TakeInfo& take = earlier.value().take;
  if (take.inputs == ourInputs()) return "another take";
  return "take " + joined(take.inputs);
}

}  // namespace stereolint
