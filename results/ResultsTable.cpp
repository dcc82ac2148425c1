#include "results/ResultsTable.h"

#include <fstream>
#include <locale>
#include <sstream>
#include <vector>

#include "platform/Platform.h"

#include "results/ResultKeys.h"
#include "util/Constants.h"

namespace stereolint {

namespace {

constexpr const char* kTableName = "RESULTS";
constexpr const char* kTableExtension = "csv";
constexpr const char* kIdColumn = "ID";
constexpr const char* kSizeColumn = "SIZE";

void writeHeader(std::ostream& stream) {
  const std::string& comma = constants().comma;
  stream << comma << kIdColumn << comma << kSizeColumn;
  for (const char* key : keys::kValueKeys) stream << comma << key;
  stream << '\n';
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
  const std::string path = resultPath + kTableName + constants().dot + kTableExtension;
  for (const auto& result : results) {
    std::ostringstream record;
    // Other programs read these numbers: they keep the classic form whatever
    // global locale the process may have set.
    record.imbue(std::locale::classic());
    // A new table gets its header in the same write as its first row, so
    // a run killed at any moment leaves whole rows under one header.
    if (isFileEmpty(path)) writeHeader(record);
    writeRow(record, id, size, *result);
    const std::string text = record.str();
    if (!platform::appendWholeRecord(path, text.data(), text.size())) failures.addFile(path);
  }
  return failures;
}

bool isFileEmpty(const std::string& path) {
  std::ifstream stream(path, std::ios::in | std::ios::app);
  return stream.peek() == std::ifstream::traits_type::eof();
}

}  // namespace stereolint
