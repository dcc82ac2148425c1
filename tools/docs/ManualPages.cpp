#include "docs/ManualPages.h"

#include <vector>

#include "app/CommandLine.h"
#include "app/Methods.h"
#include "report/ReportTool.h"
#include "util/ToolFacts.h"

namespace stereolint::docs {

namespace {

// Text set as it is: backslashes and hyphens escaped, and a line that
// would begin with a control character ("." or "'") protected.
std::string roff(const std::string& text) {
  std::string out;
  bool lineStart = true;
  for (const char c : text) {
    if (lineStart && (c == '.' || c == '\'')) out += "\\&";
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else {
      out += c;
    }
    lineStart = c == '\n';
  }
  return out;
}

// The heading of a page: name, section 1, and the version as the source.
std::string heading(const std::string& title) {
  return ".TH " + roff(title) + " 1 \"\" \"" + roff(toolFacts().program + " " + toolFacts().version) +
         "\" \"User Commands\"\n";
}

// A usage line's option, its word in bold: "\fB\-m\fR GUI | CONSOLE".
std::string optionTag(const std::string& option) {
  const size_t blank = option.find(' ');
  if (blank == std::string::npos) return "\\fB" + roff(option) + "\\fR";
  return "\\fB" + roff(option.substr(0, blank)) + "\\fR" + roff(option.substr(blank));
}

// A usage line's description without its leading "-- ".
std::string withoutDashes(const std::string& description) {
  return description.rfind("-- ", 0) == 0 ? description.substr(3) : description;
}

std::string methodsSection() {
  std::string text = ".SH METHODS\nThe disparity method (\\fB\\-d\\fR) and the keys of its "
                     "parameters (\\fB\\-p\\fR \\fIKEY\\fR:\\fIVALUE\\fR,...):\n";
  for (const Method* method : allMethods()) {
    text += ".SS " + roff(method->name) + "\n";
    for (const auto& [key, meaning] : method->parameterKeys())
      text += ".TP\n.B " + roff(key) + "\n" + roff(meaning) + "\n";
  }
  return text;
}

}  // namespace

std::string stereolintManualPage() {
  std::string page = heading("Stereolint");
  page += ".SH NAME\nStereolint \\- measure how the left and right views of stereoscopic "
          "footage disagree\n";
  page += ".SH SYNOPSIS\n.B Stereolint\n"
          "[\\fB\\-m\\fR GUI|CONSOLE] \\fB\\-i\\fR \\fIINPUT\\fR [\\fISECOND_INPUT\\fR] "
          "[\\fB\\-o\\fR VERTICALLY|HORIZONTALLY] \\fB\\-d\\fR \\fIMETHOD\\fR "
          "\\fB\\-t\\fR \\fITHREADS\\fR \\fB\\-r\\fR \\fIOUTPUT_PREFIX\\fR "
          "[\\fB\\-p\\fR \\fIPARAMETERS\\fR] [\\fB\\-s\\fR \\fISEQUENCE\\fR] [\\fIOPTION\\fR...]\n";
  page += ".SH DESCRIPTION\nStereolint measures the vertical offset, the rotation and the "
          "difference of scale between the views of stereoscopic stills, videos, image "
          "sequences and R3D clips, frame by frame. It prints the numbers of every frame and "
          "writes pictures of where the disparity lies, the corrected pair and a CSV table; "
          "with \\fB\\-\\-qc\\fR it judges frames, shots and the take against limits and "
          "writes report.json and report.html.\n";
  page += ".SH OPTIONS\n";
  for (const UsageLine& line : usageLines())
    page += ".TP\n" + optionTag(line.option) + "\n" + roff(withoutDashes(line.description)) + "\n";
  page += methodsSection();
  page += ".SH EXIT STATUS\n"
          ".TP\n.B 0\nhelp or version printed, or every selected frame was analysed, "
          "presented and written\n"
          ".TP\n.B 255\n(\\-1) the arguments cannot start a run, or an input, a frame or an "
          "output failed\n"
          ".TP\n.B 3\nwith \\fB\\-\\-qc\\fR and \\fB\\-\\-fail\\-on\\fR: a shot's verdict "
          "is at or beyond the chosen level\n"
          ".TP\n.B 4\nwith \\fB\\-\\-qc\\fR and \\fB\\-\\-fail\\-on\\fR: too few frames "
          "had a conclusive verdict (\\fB\\-\\-min\\-judged\\fR)\n"
          ".TP\n.B 130, 143\nstopped by SIGINT or SIGTERM\n";
  page += ".SH SEE ALSO\n.BR stereolint\\-report (1),\n"
          "/usr/share/doc/stereolint/README.md\n";
  return page;
}

std::string reportToolManualPage() {
  using namespace report;
  std::string page = heading("stereolint-report");
  page += ".SH NAME\nstereolint\\-report \\- merge the quality control reports of Stereolint "
          "runs over parts of a take\n";
  const std::string synopsis = kReportToolSynopsis;
  const size_t blank = synopsis.find(' ');
  page += ".SH SYNOPSIS\n.B " + roff(synopsis.substr(0, blank)) + "\n" +
          roff(synopsis.substr(blank + 1)) + "\n";
  page += ".SH DESCRIPTION\n" + roff(kReportToolDescription);
  page += ".SH OPTIONS\n";
  for (const ReportToolOption& option : kReportToolOptions)
    page += ".TP\n.B " + roff(option.words) + "\n" + roff(option.description) + "\n";
  page += ".SH EXIT STATUS\n" + roff(kReportToolExitCodes) + "\n";
  page += ".SH SEE ALSO\n.BR Stereolint (1),\n/usr/share/doc/stereolint/README.md\n";
  return page;
}

std::string scriptManualPage(const std::string& name, const std::string& summary,
                             const std::string& helpText) {
  std::string page = heading(name);
  page += ".SH NAME\n" + roff(name) + " \\- " + roff(summary) + "\n";
  const bool endsLine = !helpText.empty() && helpText.back() == '\n';
  page += ".SH DESCRIPTION\n.nf\n" + roff(helpText) + (endsLine ? "" : "\n");
  page += ".fi\n.SH SEE ALSO\n.BR Stereolint (1),\n.BR stereolint\\-report (1),\n"
          "/usr/share/doc/stereolint/README.md\n";
  return page;
}

}  // namespace stereolint::docs
