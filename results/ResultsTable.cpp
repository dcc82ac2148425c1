#include "results/ResultsTable.h"

#include <locale>
#include <sstream>
#include <vector>

#include "platform/AppendFile.h"
#include "results/Measures.h"
#include "results/ResultKeys.h"
#include "util/Constants.h"

namespace stereolint {

namespace {

constexpr const char* kTableName = "RESULTS";
constexpr const char* kTableExtension = "csv";
constexpr const char* kIdColumn = "ID";
constexpr const char* kSizeColumn = "SIZE";

constexpr const char* kForeignHeader = "its first line is not the header this program writes";

// A table under the output prefix and its value columns.
struct Table {
  std::string name;
  std::vector<std::string> columns;
};

// The steps' results share RESULTS.csv with its fixed columns; any other
// result (the ALIGNMENT result, for one) has a table of its own name whose
// columns are its block's, from the table of measures, so that a frame with
// fewer values (a black frame, one whose fit found no points) leaves empty
// fields instead of a row under another header. A result the measure table
// does not describe takes its own keys, in its order.
bool isStepResult(const std::string& name) {
  return name == keys::kVertical || name == keys::kRotation || name == keys::kScale;
}

std::string tableName(const Result& result) {
  return isStepResult(result.getName()) ? kTableName : result.getName();
}

Table tableOf(const Result& result) {
  const std::string name = result.getName();
  if (isStepResult(name)) return {kTableName, {keys::kValueKeys.begin(), keys::kValueKeys.end()}};
  Table table{name, blockColumns(name)};
  if (!table.columns.empty()) return table;
  for (const Result::KeyValue* value : result.getKeyValues()) {
    table.columns.push_back(value->getKey());
  }
  return table;
}

// The header with its line end.
std::string headerLine(const Table& table) {
  const std::string& comma = constants().comma;
  std::string line = comma + kIdColumn + comma + kSizeColumn;
  for (const std::string& key : table.columns) line += comma + key;
  return line + '\n';
}

// True when the file's first line, read from `start` (its first bytes, as
// many as `line` has), is `line`, its end included, or `line` without its
// end when that is all the file holds.
bool startsWithLine(const std::string& start, const std::string& line) {
  return start == line ||
         (start.size() + 1 == line.size() && line.compare(0, start.size(), start) == 0);
}

void writeRow(std::ostream& stream, int id, int size, const Result& result, const Table& table) {
  const std::string& comma = constants().comma;
  const std::vector<const Result::KeyValue*> values = result.getKeyValues();
  // Each column takes the first value with its key; whatever no column takes
  // goes after them, so a row never loses a number.
  std::vector<bool> placed(values.size(), false);
  stream << result.getName() << comma << id << comma << size;
  for (const std::string& key : table.columns) {
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

// Appends the rows of `results` (all of one table) to that table.
void appendRows(const Table& layout, int id, int size, const std::vector<const Result*>& results,
                const std::string& resultPath, WriteFailures& failures) {
  const std::string path = resultPath + layout.name + constants().dot + kTableExtension;
  // Held open under its lock for all of the frame's rows: a run that finds
  // the table empty writes the header before another run can look.
  platform::AppendFile table;
  const platform::FileOutcome opened = table.open(path);
  if (!opened.done) {
    failures.addFile(path, opened.reason);
    return;
  }
  const std::string header = headerLine(layout);
  if (table.size() > 0 && !startsWithLine(table.head(header.size()), header)) {
    failures.addFile(path, kForeignHeader);
    return;
  }
  for (const Result* result : results) {
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
    writeRow(record, id, size, *result, layout);
    const std::string text = record.str();
    const platform::FileOutcome appended = table.append(text.data(), text.size());
    if (!appended.done) failures.addFile(path, appended.reason);
  }
}

}  // namespace

WriteFailures appendResultsRows(int id, int size, const Results& results,
                                const std::string& resultPath) {
  WriteFailures failures = makeDirectories(resultPath);
  // Consecutive results of one table go in under one lock.
  for (size_t first = 0; first < results.size();) {
    const Table table = tableOf(*results[first]);
    std::vector<const Result*> rows;
    size_t next = first;
    for (; next < results.size() && tableName(*results[next]) == table.name; ++next) {
      rows.push_back(results[next].get());
    }
    appendRows(table, id, size, rows, resultPath, failures);
    first = next;
  }
  return failures;
}

}  // namespace stereolint
