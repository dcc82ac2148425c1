#include "results/ResultsTable.h"

#include <locale>
#include <sstream>
#include <vector>

#include "platform/AppendFile.h"

#include "results/ResultKeys.h"
#include "util/Constants.h"

namespace stereolint {

namespace {

constexpr const char* kTableName = "RESULTS";
constexpr const char* kTableExtension = "csv";
constexpr const char* kIdColumn = "ID";
constexpr const char* kSizeColumn = "SIZE";

constexpr const char* kForeignHeader = "its first line is not the header this program writes";

// The header with its line end.
std::string headerLine() {
  const std::string& comma = constants().comma;
  std::string line = comma + kIdColumn + comma + kSizeColumn;
  for (const char* key : keys::kValueKeys) line += comma + key;
  return line + '\n';
}

// True when the file's first line, read from `start` (its first bytes, as
// many as `line` has), is `line`, its end included, or `line` without its
// end when that is all the file holds.
bool startsWithLine(const std::string& start, const std::string& line) {
  return start == line ||
         (start.size() + 1 == line.size() && line.compare(0, start.size(), start) == 0);
}

void writeRow(std::ostream& stream, int id, int size, const Result& result) {
  const std::string& comma = constants().comma;
  const std::vector<const Result::KeyValue*> values = result.getKeyValues();
  // Each column takes the first value with its key; whatever no column takes
  // goes after them, so a row never loses a number.
  std::vector<bool> placed(values.size(), false);
  stream << result.getName() << comma << id << comma << size;
  for (const char* key : keys::kValueKeys) {
    stream << comma;
    for (size_t i = 0; i < values.size(); ++i) {
      if (!placed[i] && values[i]->getKey() == key) {
        stream << *values[i];
        placed[i] = true;
        break;
      }
    }
  }
  for (size_t i = 0; i < values.size(); ++i) {
    if (!placed[i]) stream << comma << *values[i];
  }
  stream << '\n';
}

}  // namespace

WriteFailures writeCollectedResults(cv::Mat /*left*/, cv::Mat /*right*/, int id, int size,
                                    const Results& results, const std::string& name,
                                    const std::string& resultPath) {
  return appendResultsRows(id, size, results, name, resultPath);
}

WriteFailures appendResultsRows(int id, int size, const Results& results,
                                const std::string& /*name*/, const std::string& resultPath) {
  WriteFailures failures = makeDirectories(resultPath);
  if (results.empty()) return failures;
  const std::string path = resultPath + kTableName + constants().dot + kTableExtension;
  // Held open under its lock for all of the frame's rows: a run that finds
  // the table empty writes the header before another run can look.
  platform::AppendFile table;
  const platform::FileOutcome opened = table.open(path);
  if (!opened.done) {
    failures.addFile(path, opened.reason);
    return failures;
  }
  const std::string header = headerLine();
  if (table.size() > 0 && !startsWithLine(table.head(header.size()), header)) {
    failures.addFile(path, kForeignHeader);
    return failures;
  }
  for (const auto& result : results) {
    std::ostringstream record;
    // Other programs read these numbers: they keep the classic form whatever
    // global locale the process may have set.
    record.imbue(std::locale::classic());
    // A new table gets its header in the same write as its first row, so
    // a run killed at any moment leaves whole rows under one header. A last
    // line left without its end (by another program) is ended first, so
    // the row starts a line of its own.
    if (table.size() == 0) {
      record << header;
    } else if (table.lastByte() != '\n') {
      record << '\n';
    }
    writeRow(record, id, size, *result);
    const std::string text = record.str();
    const platform::FileOutcome appended = table.append(text.data(), text.size());
    if (!appended.done) failures.addFile(path, appended.reason);
  }
  return failures;
}

}  // namespace stereolint
