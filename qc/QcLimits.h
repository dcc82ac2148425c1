// The limits quality control judges against. The keys, their units and
// defaults come from the table of measures (results/Measures.h), which also
// feeds the README list.
//
// Text form, e.g. "VERTICAL:0.3%/1%,ROTATION:0.1/0.5": comma-separated
// KEY:FIRST/SECOND items, keys in any letter case; keys that are not named
// keep their defaults.
//   VERTICAL  pass/fix; rows, or % of the view height with a "%"
//   ROTATION  pass/fix; degrees (no "%")
//   SCALE     pass/fix; % difference of the magnification ratio from 1
//             ("%" optional: the numbers are always percent)
//   KEYSTONE  pass/fix; rows at the corners, or % of the view height
//   PARALLAX  near/far: the depth budget in % of the view width ("%"
//             optional); near is usually negative (in front of the screen)
// A value exactly at a limit is within it.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "results/Measures.h"
#include "util/Expected.h"

namespace stereolint::qc {

// A limit is kept by the measure that owns it (see limitOwners() in
// results/Measures.h): VERTICAL, ROTATION, SCALE, KEYSTONE, and NEAR
// PARALLAX for the PARALLAX budget.

// One number of a limit. `percent` is only ever true for a
// RowsOrHeightPercent key written with "%"; the other units keep their one
// unit whether or not "%" was written.
struct LimitAmount {
  double amount = 0;
  bool percent = false;

  // The limit in rows for a view `height` rows high.
  double inRows(int height) const { return percent ? amount * height / 100.0 : amount; }
  bool operator==(const LimitAmount& other) const {
    return amount == other.amount && percent == other.percent;
  }
};

// PASS/FIX limits, or NEAR/FAR for PARALLAX.
struct LimitPair {
  LimitAmount first;
  LimitAmount second;
  bool operator==(const LimitPair& other) const {
    return first == other.first && second == other.second;
  }
};

struct QcLimits {
  // Indexed by measure; only a limit owner's entry is used.
  std::array<LimitPair, kMeasureCount> pairs;

  // The limit `measure` is judged under.
  const LimitPair& of(Measure measure) const { return pairs[measureIndex(limitOwner(measure))]; }
  LimitPair& of(Measure measure) { return pairs[measureIndex(limitOwner(measure))]; }
  bool operator==(const QcLimits& other) const { return pairs == other.pairs; }
};

// The limits of the table's defaults.
QcLimits defaultLimits();

// The defaults with the keys named in `text` replaced. A failure says what
// is wrong and gives an example: an empty text or item, an item that is not
// KEY:FIRST/SECOND, an unknown key (the valid ones are listed), a key named
// twice, a number that cannot be read, a negative limit (PARALLAX near
// excepted), "%" on ROTATION, one limit in rows and the other in %, a pass
// limit above its fix limit, a near limit beyond the far one.
Expected<QcLimits> parseLimits(std::string_view text);

// "FIRST/SECOND" of one limit as parseLimits reads it back, e.g. "0.3%/1%".
std::string limitPairText(Measure owner, const LimitPair& pair);
// Every key in table order, e.g. "VERTICAL:0.3%/1%,ROTATION:0.1/0.5,…".
std::string limitsText(const QcLimits& limits);

// The names of the keys, comma-separated, for messages: "VERTICAL, ROTATION, …".
std::string limitKeyNames();
// A short example of a limits text.
const char* limitsExample();

}  // namespace stereolint::qc
