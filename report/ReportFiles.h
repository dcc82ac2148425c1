// Writing a report's two files: PREFIX + "report.json" and PREFIX +
// "report.html".
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "util/Expected.h"
#include "report/ReportContent.h"
#include "report/WorstPictures.h"

namespace stereolint::report {

// The file names appended to a prefix, which is used as it is (as the "-r"
// prefix of the frame files: "out/" names a folder, "out/run" makes
// "out/runreport.json").
inline constexpr const char* kReportJsonName = "report.json";
inline constexpr const char* kReportHtmlName = "report.html";

// Creates the folders of `outputPrefix` and writes both files, each whole or
// not at all (an earlier file of that name stays as it was when writing
// fails), each written as it is made, never held whole. The HTML page
// shows, for its worst frames, a small JPEG of the first pictures found
// under `picturePrefixes` (see summaryThumbnail), and for its window
// violations the DEPTH block's WINDOW picture and for the eyes of its shots
// the EYES block's EYE_DIFFERENCE picture (see resultThumbnail). The worst
// frames in `worstPictures` (frame number to the report pictures written
// for it under `outputPrefix`, see report/WorstPictures.h) show those
// instead, each inline at most kWorstThumbnailColumns wide and linked to its
// file. Returns what could not be written, naming the files; nothing on
// success.
std::optional<std::string> writeReportFiles(
    const ReportContent& content, const std::string& outputPrefix,
    const std::vector<std::string>& picturePrefixes,
    const std::map<int, WorstPictureFiles>& worstPictures = {});

// The width of the inline copies of the worst frames' report pictures.
inline constexpr int kWorstThumbnailColumns = 480;

// The picture of `frame` of a take of `frameCount` frames under the first
// of `prefixes` that holds one: the red-cyan anaglyph of its views
// (ID_SIZE_LEFT.png and ID_SIZE_RIGHT.png), else its summary picture
// (ID_SIZE_SUMMARY.png); reduced to at most 360 columns, as a JPEG data URI;
// "" when none can be read.
std::string summaryThumbnail(const std::vector<std::string>& prefixes, int frame, int frameCount);

// The result picture `name` ("DEPTH_WINDOW", "EYES_EYE_DIFFERENCE") of
// `frame` under the first of `prefixes` that holds one (ID_SIZE_NAME.png),
// reduced as a summary thumbnail; "" when none can be read.
std::string resultThumbnail(const std::vector<std::string>& prefixes, int frame, int frameCount,
                            const std::string& name);

// The content of PREFIX + "report.json"; a failure names the file and says
// why it cannot be read.
Expected<ReportContent> readReportFile(const std::string& prefix);

}  // namespace stereolint::report
