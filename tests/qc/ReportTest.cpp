#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>

#include <nlohmann/json.hpp>

#include "QcTestData.h"
#include "report/HtmlReport.h"
#include "report/HtmlText.h"
#include "report/ReportFiles.h"
#include "report/ReportJson.h"
#include "report/SvgPlot.h"
#include "support/Process.h"
#include "support/TempFolder.h"

namespace stereolint::report {
namespace {

using test::readTextFile;

ReportContent part(const ReportContent& whole, int first, int last) {
  ReportContent content = whole;
  content.frames.clear();
  for (const qc::FrameRecord& record : whole.frames)
    if (record.frame >= first && record.frame <= last) content.frames.push_back(record);
  return content;
}

test::ProcessResult runTool(const std::vector<std::string>& arguments) {
  return test::runProcess(STEREOLINT_REPORT_BINARY, arguments);
}

TEST(ReportJson, HoldsTheTakeShotsAndFramesUnderStableKeys) {
  const nlohmann::json document = nlohmann::json::parse(reportJson(test::fourShotTake()));
  EXPECT_EQ(document["schema"], kReportSchema);
  EXPECT_EQ(document["schema_version"], kReportSchemaVersion);
  EXPECT_EQ(document["take"]["start_timecode"], "01:00:00:00");
  EXPECT_EQ(document["limits"]["VERTICAL"]["fix"], "1%");
  EXPECT_EQ(document["verdict"]["take"], "REJECT");
  ASSERT_EQ(document["shots"].size(), 4u);
  EXPECT_EQ(document["shots"][1]["verdict"], "FIX");
  EXPECT_EQ(document["shots"][1]["outliers"], nlohmann::json::array({15}));
  EXPECT_EQ(document["shots"][2]["reason"], "BLACK VIEW");
  ASSERT_EQ(document["frames"].size(), 40u);
  EXPECT_EQ(document["frames"][14]["verdict"], "REJECT");
  EXPECT_EQ(document["frames"][14]["timecode"], "01:00:00:14");
  EXPECT_EQ(document["frames"][14]["values"]["VERTICAL"], 14.0);
  EXPECT_EQ(document["frames"][14]["verdicts"]["VERTICAL"], "REJECT");
  EXPECT_EQ(document["shots"][1]["verdicts"]["VERTICAL"], "FIX");
  EXPECT_EQ(document["shots"][3]["verdicts"]["ROTATION"], "REJECT");
  EXPECT_EQ(document["shots"][3]["verdicts"]["VERTICAL"], "PASS");
}

TEST(ReportJson, IsWrittenInTheTwoSpaceFormOfOneDocument) {
  // The document is written a frame at a time; read whole and written again
  // by the JSON library, it gives the same bytes, with frames and without.
  ReportContent empty = test::fourShotTake();
  empty.frames.clear();
  for (const ReportContent& content : {test::fourShotTake(), empty}) {
    const std::string text = reportJson(content);
    EXPECT_EQ(nlohmann::ordered_json::parse(text).dump(2) + "\n", text);
  }
}

// The values of a plot's tick labels in the <svg> of `measure`.
std::vector<double> valueTicks(const std::string& page, const std::string& measure) {
  const size_t start = page.find("data-measure=\"" + measure + "\"");
  const std::string svg = page.substr(start, page.find("</svg>", start) - start);
  std::vector<double> ticks;
  const std::string mark = "text-anchor=\"end\">";
  for (size_t at = svg.find(mark); at != std::string::npos; at = svg.find(mark, at + 1))
    if (svg.compare(at + mark.size(), 5, "frame") != 0 && svg.compare(at + mark.size(), 8, "timecode") != 0)
      ticks.push_back(std::stod(svg.substr(at + mark.size())));
  return ticks;
}

TEST(ReportHtml, ShowsValuesLimitsAndAxesAsAClientReadsThem) {
  ReportContent take = test::fourShotTake();
  take.settings = {{"method", "Alignment"}, {"parameters", ""}};
  for (qc::FrameRecord& record : take.frames) {
    record.values[measureIndex(Measure::Scale)] = 1.012;
    record.values[measureIndex(Measure::Keystone)] = -0.001;  // rounds to zero
    record.values[measureIndex(Measure::NearParallax)] = -2.0 - 0.01 * (record.frame % 3);
    record.values[measureIndex(Measure::FarParallax)] = 1.4;
  }
  const std::string page = reportHtml(take, {});
  EXPECT_NE(page.find("SCALE 1.0120 (+1.20 %)"), std::string::npos) << "ratio and %";
  EXPECT_NE(page.find("KEYSTONE 0.00 rows"), std::string::npos);
  std::smatch negativeZero;
  EXPECT_FALSE(std::regex_search(page, negativeZero, std::regex("-0\\.0+[^0-9]")))
      << negativeZero.str();
  EXPECT_NE(page.find("Right eye: A012C003_right.mov · views of 1920 × 1080 pixels"),
            std::string::npos);
  EXPECT_EQ(page.find("A012C003_left.mov"), std::string::npos) << "the take's name says it";
  // Limits in % of the height, in % and in rows of the 1080-row views.
  EXPECT_NE(page.find(">+0.3 % · 3.24 rows</text>"), std::string::npos);
  EXPECT_NE(page.find(">-1 % · -10.8 rows</text>"), std::string::npos);
  EXPECT_NE(page.find("(3.24 rows of 1080, green)"), std::string::npos);
  // A frame axis titled, ticked in timecode at 25 fps from 01:00:00:00.
  EXPECT_NE(page.find(">frame</text>"), std::string::npos);
  EXPECT_NE(page.find(">timecode</text>"), std::string::npos);
  EXPECT_NE(page.find(">01:00:00:10</text>"), std::string::npos);
  // The value axis reaches past the nearest parallax, -2.02 %.
  const std::vector<double> ticks = valueTicks(page, "PARALLAX");
  ASSERT_FALSE(ticks.empty());
  EXPECT_LE(*std::min_element(ticks.begin(), ticks.end()), -2.02);
  EXPECT_GE(*std::max_element(ticks.begin(), ticks.end()), 2.0);
  // Near and far told apart by line style and a legend.
  EXPECT_NE(page.find("class=\"series dashed\" stroke=\"#2b7bb9\""), std::string::npos);
  EXPECT_NE(page.find(">FAR PARALLAX</text>"), std::string::npos);

  take.frames.resize(1);
  const std::string single = reportHtml(take, {});
  EXPECT_NE(single.find(">01:00:00:00</div>"), std::string::npos) << "one frame, one timecode";
  EXPECT_EQ(single.find("01:00:00:00 – "), std::string::npos);

  // A shot of 2 frames in 200 is too short for its label: it goes without,
  // and the next shot's label stands after the cut, over its own bar.
  Plot plot;
  plot.measure = "VERTICAL";
  plot.lastFrame = 200;
  plot.fixLow = -1;
  plot.fixHigh = 1;
  plot.shots = {{1, 1, 2, qc::Verdict::Pass}, {2, 3, 200, qc::Verdict::Fix}};
  std::ostringstream written;
  writeSvgPlot(written, plot);
  const std::string svg = written.str();
  EXPECT_EQ(svg.find(">S1</text>"), std::string::npos) << svg;
  std::smatch label, cut;
  ASSERT_TRUE(std::regex_search(svg, label, std::regex("x=\"([0-9.]+)\"[^>]*>S2</text>"))) << svg;
  ASSERT_TRUE(std::regex_search(svg, cut, std::regex("class=\"cut\" x1=\"([0-9.]+)\""))) << svg;
  EXPECT_GT(std::stod(label[1]), std::stod(cut[1]));
}

TEST(HtmlText, BytesThatAreNoUtf8BecomeTheReplacementCharacter) {
  EXPECT_EQ(escapeHtml("caf\xe9 <1>.mp4"), "caf\xef\xbf\xbd &lt;1&gt;.mp4") << "Latin-1 é";
  EXPECT_EQ(escapeHtml("caf\xc3\xa9.mp4"), "caf\xc3\xa9.mp4") << "UTF-8 é stays";
}

TEST(ReportJson, ReadsBackToTheSameDocument) {
  const std::string text = reportJson(test::fourShotTake());
  const Expected<ReportContent> content = readReportJson(text, "run/report.json");
  ASSERT_TRUE(content.ok()) << content.error();
  EXPECT_EQ(reportJson(content.value()), text);
  EXPECT_NE(readReportJson("{}", "x.json").error().find("x.json"), std::string::npos);
  EXPECT_FALSE(readReportJson("not json", "x.json").ok());
}

TEST(ReportTool, MergedPartsEqualTheWholeTakeByteForByte) {
  test::TempFolder folder;
  ReportContent whole = test::fourShotTake();
  auto takeFrom = [](const std::string& folderName) {
    return takeOf({folderName + "A012C003_left.mov", folderName + "A012C003_right.mov"}, 40, 1, 25.0,
                  "01:00:00:00");
  };
  whole.take = takeFrom("/mnt/footage/");
  ASSERT_FALSE(writeReportFiles(whole, folder.file("whole/"), {}));
  // The split falls inside shot 2 (frames 13-22): the merge must rejoin it.
  ASSERT_FALSE(writeReportFiles(part(whole, 21, 40), folder.file("jobB/"), {}));
  ASSERT_FALSE(writeReportFiles(part(whole, 1, 20), folder.file("jobA/"), {}));
  const test::ProcessResult result =
      runTool({folder.file("merged/"), folder.file("jobB/"), folder.file("jobA/")});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const std::string merged = readTextFile(folder.file("merged/report.json"));
  ASSERT_FALSE(merged.empty());
  EXPECT_TRUE(merged == readTextFile(folder.file("whole/report.json")))
      << "the merged report differs from the report of the whole take";
  const std::string page = readTextFile(folder.file("merged/report.html"));
  for (const char* measure : {"VERTICAL", "ROTATION", "SCALE"})
    EXPECT_NE(page.find(std::string("data-measure=\"") + measure + "\""), std::string::npos) << measure;
  EXPECT_EQ(page.find("data-measure=\"PARALLAX\""), std::string::npos)
      << "the Stereolint method gives no parallax to plot";
}

TEST(ReportTool, RefusesReportsOfDifferentTakesOrLimits) {
  test::TempFolder folder;
  const ReportContent whole = test::fourShotTake();
  ReportContent otherTake = part(whole, 21, 40);
  otherTake.take.name = "A012C004";
  ReportContent otherLimits = part(whole, 21, 40);
  otherLimits.limits = qc::parseLimits("VERTICAL:2/6").value();
  ASSERT_FALSE(writeReportFiles(part(whole, 1, 20), folder.file("a/"), {}));
  ASSERT_FALSE(writeReportFiles(otherTake, folder.file("b/"), {}));
  ASSERT_FALSE(writeReportFiles(otherLimits, folder.file("c/"), {}));
  ReportContent stopped = part(whole, 21, 40);
  stopped.stoppedBy = "SIGTERM";
  ASSERT_FALSE(writeReportFiles(stopped, folder.file("d/"), {}));

  test::ProcessResult result = runTool({folder.file("m/"), folder.file("a/"), folder.file("b/")});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_NE(result.err.find("the take (\"A012C003\" and \"A012C004\")"), std::string::npos)
      << result.err;
  result = runTool({folder.file("m/"), folder.file("a/"), folder.file("c/")});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_NE(result.err.find("the limits (VERTICAL:0.3%/1%"), std::string::npos) << result.err;
  result = runTool({folder.file("m/"), folder.file("a/"), folder.file("d/")});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_NE(result.err.find("its run was stopped by SIGTERM before its end"), std::string::npos)
      << result.err;
  EXPECT_TRUE(readTextFile(folder.file("m/report.json")).empty()) << "nothing written";

  result = runTool({folder.file("m/"), folder.file("missing/")});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_NE(result.err.find("missing/report.json"), std::string::npos) << result.err;
  result = runTool({folder.file("m/")});
  EXPECT_EQ(result.exitCode, 255);
  EXPECT_NE(result.err.find("Usage: stereolint-report"), std::string::npos);
}

TEST(ReportFiles, AReportThatCannotBeWrittenIsReportedAndLeavesEarlierFiles) {
  test::TempFolder folder;
  test::writeTextFile(folder.file("blocker"), "a file where a folder should be");
  const auto failure = writeReportFiles(test::fourShotTake(), folder.file("blocker/run"), {});
  ASSERT_TRUE(failure);
  EXPECT_NE(failure->find("blocker/runreport.json"), std::string::npos) << *failure;
  EXPECT_EQ(readTextFile(folder.file("blocker")), "a file where a folder should be");
}

}  // namespace
}  // namespace stereolint::report
