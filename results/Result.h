// The outcome of one measurement (vertical, rotation or scale disparity) of
// one stereo frame: a name, an ordered list of named numbers and an ordered
// list of named pictures.
//
// Names and keys are upper-case words ("VERTICAL", "AVERAGE ABS",
// "CORRECT_LEFT") and are used verbatim as console labels, CSV column headers
// and parts of output file names. A Result is never changed after it is
// built; it may be read from any thread once the thread that built it has
// handed it over.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include <opencv2/core.hpp>

namespace stereolint {

class Result {
 public:
  // One named number, or one named word (a status such as "OK"). A word
  // entry reads as NaN through getValue(); printed, it shows its text.
  class KeyValue {
   public:
    KeyValue(std::string key, double value);
    KeyValue(std::string key, std::string text);
    std::string getKey() const;
    double getValue() const;
    bool hasText() const { return isText; }
    const std::string& getText() const { return text; }

   private:
    std::string key;
    double value;
    std::string text;
    bool isText = false;
  };

  // One named picture. The entry shares the pixel data of the matrix it was
  // built from (no copy): changing those pixels changes what it shows.
  class KeyImage {
   public:
    KeyImage(std::string key, cv::Mat image);
    std::string getKey() const;
    cv::Mat getImage() const;

   private:
    std::string key;
    cv::Mat image;
  };

  using KeyValues = std::vector<std::unique_ptr<KeyValue>>;
  using KeyImages = std::vector<std::unique_ptr<KeyImage>>;

  // Takes ownership of every entry; the order of both lists is kept.
  Result(std::string name, KeyValues keyValues, KeyImages keyImages);

  std::string getName() const;
  // Copies of the entry lists. The entries stay owned by this Result and are
  // valid as long as it lives; callers never delete them.
  std::vector<const KeyValue*> getKeyValues() const;
  std::vector<const KeyImage*> getKeyImages() const;

 private:
  std::string name;
  KeyValues keyValues;
  KeyImages keyImages;
};

// Writes the entry's value as every printed form shows it: a number in the
// stream's format, a word as it is.
std::ostream& operator<<(std::ostream& out, const Result::KeyValue& entry);

// The list of results of one frame, as a checker returns it. Whoever holds
// the list owns the results.
using Results = std::vector<std::unique_ptr<Result>>;

// One picture of a frame's results: the name of its result and its key,
// e.g. {"SCALE", "CORRECT_LEFT"}.
struct PictureName {
  std::string result;
  std::string key;
  bool operator==(const PictureName& other) const {
    return result == other.result && key == other.key;
  }
};

// Every picture of `results`, in list order.
std::vector<PictureName> pictureNames(const Results& results);

// New results with the names and values of `results` and only the pictures
// listed in `kept`, in their places; the pictures share their pixels.
Results keepingPictures(const Results& results, const std::vector<PictureName>& kept);

}  // namespace stereolint
