// Which frames of an input are analysed, as given with "-s".
#pragma once

#include <string>
#include <vector>

namespace stereolint {

// The frame numbers (counted from 1) named by a selection text, or every
// frame when the text names none. Ranges are kept as closed intervals, so a
// selection of two thousand million frames costs no more than one of three.
class FrameSelection {
 public:
  // Selects every frame.
  FrameSelection() = default;

  // True when the selection names no frame, which means every frame.
  bool selectsAll() const { return intervals.empty(); }

  // True when frame `id` is to be analysed: it is named, or every frame is.
  bool contains(int id) const;

  // The last frame it names; 0 when it names none, INT_MAX when it selects
  // every frame.
  int last() const;

  // The first frame at or after `id` that it names; 0 when it names none
  // from there on. With every frame selected, `id` itself.
  int nextFrom(int id) const;

  // How many of the frames 1 to `total` it selects.
  int countWithin(int total) const;

  // Names the frames `first` to `last`, both included; nothing when `first`
  // is greater than `last`.
  void addRange(int first, int last);

 private:
  struct Interval {
    int first;
    int last;
  };
  std::vector<Interval> intervals;
};

// Reads a selection text:
//   - With a "-": the text before the first "-" and the text after it are
//     read like atoi (leadingInteger; 0 when no digit leads) as the first and
//     the last frame of one range. "3-5" is 3, 4, 5. "5-3" names nothing and
//     therefore selects every frame. The range rule wins over commas:
//     "1-3,9" is 1 to 3, because "3,9" reads as 3.
//   - Else with a ",": every piece between commas, read like atoi, is one
//     frame. "2,7,9" is 2, 7, 9; "7," is 7 and 0 (0 matches no frame).
//   - Else (a single number, or "") every frame. One frame alone is written
//     as the number followed by a comma.
FrameSelection parseSequence(const std::string& text);

}  // namespace stereolint
