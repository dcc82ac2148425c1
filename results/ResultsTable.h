// The tables: comma-separated files under the output prefix that collect a
// row per result of every frame, across runs.
//
// The results of the steps (VERTICAL, ROTATION, SCALE) go to resultPath +
// "RESULTS.csv" (the prefix used as it is, as for the frame files), as
// described below. Any other result has a table of its own name, e.g.
// "ALIGNMENT.csv", whose header is an empty field, "ID", "SIZE" and the
// columns of its block in the table of measures (blockColumns in
// Measures.h; for a block not described there, the result's own keys in
// its order), and whose rows follow the same rules: a value the frame does
// not have is an empty field. It is only ever appended to, one row per write (the
// header goes in the same write as the first row), and never truncated, so
// a second run into the same prefix adds its rows below the first run's,
// and a run killed at any moment, or a disk that fills up, leaves only
// whole rows under one header. Fields are separated by "," without quoting;
// every line ends after its last field.
//
// The first line of an empty file is the header: an empty field, "ID",
// "SIZE", then every value key a measurement can put, in the order of
// keys::kValueKeys:
//
//   ,ID,SIZE,ALL POINTS,CALCULATION POINTS,AVERAGE,…,CENTYL 70,TIME
//
// A data row is the result name, the frame id and size in plain decimal,
// then for each of those keys the result's value for it, or an empty field
// when the result has no such value: a result that only timed itself gives
// "VERTICAL,3,10,,,,,,,,,0.25". Values take the stream's default format
// (printf's %g with 6 significant digits, classic locale): 1e-7 is "1e-07".
// A value whose key is not among those columns, or a second value with the
// same key, is not dropped: such values follow the known columns, in the
// result's order, without a header of their own.
//
// Rows are appended while the file is held under an exclusive lock
// (platform::AppendFile), so runs writing into the same prefix at once take
// turns: rows never interleave and an empty table gets exactly one header.
// The table is never written through a symbolic link, and rows never go
// under another program's header; either is a failure of the whole frame's
// rows, reported with its reason, and the other files are written as usual.
#pragma once

#include <opencv2/core.hpp>
#include <string>

#include "results/Result.h"
#include "results/ResultWriters.h"

namespace stereolint {

// makeDirectories(resultPath), then, unless there are no results (which
// append nothing, not even a header): the table is opened and locked, and
// for each result in list order its row is appended in one write, preceded
// by the header line when the table is empty, or by a line end when the
// table's last line has none. Failures name the table
// with the reason: the system's ("Permission denied"), "it is a symbolic
// link", "it is not a regular file", or "its first line is not the header
// this program writes" for a table whose first line differs from the
// header (then nothing is appended).
WriteFailures appendResultsRows(int id, int size, const Results& results,
                                const std::string& resultPath);

}  // namespace stereolint
