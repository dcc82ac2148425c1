// Writing the files of one analysed stereo frame under the output prefix.
//
// The prefix (`resultPath`, the "-r" value) is used as it is: file names are
// appended to it without a separator, so "out/" names a folder while
// "out/run" makes files "run1_20_LEFT.png" … in the folder "out". The files
// of frame `id` of an input of `size` frames start with the frame prefix
// F = resultPath + id + "_" + size + "_" (plain decimal numbers):
//
//   F + "LEFT.png", F + "RIGHT.png"     the views as analysed
//   F + "RESULT.txt"                    every value of every result
//   F + name + "_" + key + ".png"       every picture of every result, e.g.
//                                       "7_120_VERTICAL_CIRCLES.png"
//   F + "SUMMARY.png"                   the checker's summary picture
//
// Pictures are PNG files (encodePng, results/PngEncoding.h); 16-bit
// matrices become 16-bit PNG files, 8-bit ones 8-bit files. A later run with
// the same prefix, id and size replaces the files.
//
// Every file is written whole or not at all: its bytes go to a temporary
// file beside it (platform::writeWholeFile: a fresh, exclusively created
// name) that takes the file's name once complete, so a full disk or a
// killed run never leaves half a picture under a result's name, and runs
// writing into the same prefix at once never mix their bytes. The
// files of a frame are encoded and written side by side on the machine's
// cores; what the writer returns does not depend on that.
//
// Writing is best effort: whatever cannot be written is skipped, the rest is
// still written, and the writer returns what it skipped. Writers print
// nothing and keep no state, so several worker threads may write their own
// frames at once.
#pragma once

#include <opencv2/core.hpp>
#include <functional>
#include <string>
#include <vector>

#include "results/Result.h"

namespace stereolint {

// One thing a writer could not make: the path exactly as it was built from
// the prefix, and why, in words that read well after "Cannot write PATH: "
// (the system's text such as "Permission denied" or "No space left on
// device", or the writer's own such as "it is a symbolic link").
struct WriteFailure {
  std::string path;
  std::string reason;

  bool operator==(const WriteFailure& other) const {
    return path == other.path && reason == other.reason;
  }
};

// What a writer could not write, in the order met, each path at most once
// (with the reason it was first met with).
struct WriteFailures {
  // Prefixes of the output path, up to and including a folder separator,
  // that are no folder once the writer tried to create them.
  std::vector<WriteFailure> folders;
  // Files that could not be opened or written, and pictures that the image
  // library declined (an empty matrix, for example).
  std::vector<WriteFailure> files;

  bool empty() const { return folders.empty() && files.empty(); }
  // Each appends what is not listed yet.
  void addFolder(const std::string& folder, const std::string& reason);
  void addFile(const std::string& file, const std::string& reason);
  void add(const WriteFailures& more);
};

// Creates every folder along `path`: for each folder separator from the
// second character on, the prefix up to and including it is created (one
// folder at a time, parents first). A separator at the very first position
// starts no folder of its own, and the text after the last separator is no
// folder. Folders that exist already are fine; prefixes that are no folder
// afterwards (no permission, a regular file in the way) are returned with
// the system's reason for refusing to create them.
WriteFailures makeDirectories(const std::string& path);

// writeFrameParts(All) for a frame whose summary is still to be drawn, holding
// fewer of its pictures at once: the result pictures not named in
// `summarySources` are written first, each let go as soon as it is written
// (`results` becomes the same results without them), then `drawSummary`
// draws the summary from the results left, which it receives, and every
// other file is written. The files, their bytes and the failures (in
// writeFrameParts' order) are those of writeFrameParts(All) with that
// summary, which `summary` receives.
WriteFailures writeFrameFilesSummaryLast(cv::Mat left, cv::Mat right, int id, int size,
                                         Results& results,
                                         const std::vector<PictureName>& summarySources,
                                         const std::function<cv::Mat(const Results&)>& drawSummary,
                                         cv::Mat& summary, const std::string& resultPath);

// The path of one of the frame's files: the frame prefix F and `name`, e.g.
// "out/7_120_LEFT.png" for ("out/", 7, 120, "LEFT.png").
std::string frameFilePath(const std::string& resultPath, int id, int size, const std::string& name);

// Which of a frame's files writeFrameParts writes.
enum class FrameParts {
  All,       // every file
  Text,      // RESULT.txt only
  Pictures,  // LEFT, RIGHT, the result pictures and SUMMARY: every file but RESULT.txt
  ResultPictures,  // the result pictures alone
};

// The frame's own files, written by a worker once its frame is measured:
// makeDirectories(resultPath), then of LEFT, RIGHT, RESULT.txt, the result
// pictures and SUMMARY, in this order, those of `parts`. RESULT.txt holds,
// for each result and each of its values in list order, one line "NAME KEY
// : value", e.g. "ROTATION AVERAGE : 0.4375" (values in the stream's
// default format, printf's %g with 6 significant digits, classic locale:
// 1e-7 is "1e-07"). Each result picture is F + result name + "_" + picture
// key + ".png"; two results carrying the same key give two files, as their
// names differ. Writing Text and then Pictures of a frame gives the files
// of All.
WriteFailures writeFrameParts(FrameParts parts, cv::Mat left, cv::Mat right, int id, int size,
                              const Results& results, cv::Mat summary,
                              const std::string& resultPath);

}  // namespace stereolint
