#include "results/Result.h"

#include <algorithm>
#include <limits>
#include <ostream>
#include <utility>

namespace stereolint {

Result::KeyValue::KeyValue(std::string key, double value) : key(std::move(key)), value(value) {}

std::string Result::KeyValue::getKey() const { return key; }

Result::KeyValue::KeyValue(std::string key, std::string text)
    : key(std::move(key)),
      value(std::numeric_limits<double>::quiet_NaN()),
      text(std::move(text)),
      isText(true) {}

double Result::KeyValue::getValue() const { return value; }

std::ostream& operator<<(std::ostream& out, const Result::KeyValue& entry) {
  if (entry.hasText()) return out << entry.getText();
  return out << entry.getValue();
}

Result::KeyImage::KeyImage(std::string key, cv::Mat image)
    : key(std::move(key)), image(std::move(image)) {}

std::string Result::KeyImage::getKey() const { return key; }

cv::Mat Result::KeyImage::getImage() const { return image; }

Result::Result(std::string name, KeyValues keyValues, KeyImages keyImages)
    : name(std::move(name)), keyValues(std::move(keyValues)), keyImages(std::move(keyImages)) {}

std::string Result::getName() const { return name; }

std::vector<const Result::KeyValue*> Result::getKeyValues() const {
  std::vector<const KeyValue*> list;
  list.reserve(keyValues.size());
  for (const auto& entry : keyValues) list.push_back(entry.get());
  return list;
}

std::vector<const Result::KeyImage*> Result::getKeyImages() const {
  std::vector<const KeyImage*> list;
  list.reserve(keyImages.size());
  for (const auto& entry : keyImages) list.push_back(entry.get());
  return list;
}

std::vector<PictureName> pictureNames(const Results& results) {
  std::vector<PictureName> names;
  for (const auto& result : results) {
    for (const Result::KeyImage* image : result->getKeyImages()) {
      names.push_back({result->getName(), image->getKey()});
    }
  }
  return names;
}

Results keepingPictures(const Results& results, const std::vector<PictureName>& kept) {
  Results copies;
  for (const auto& result : results) {
    Result::KeyValues values;
    for (const Result::KeyValue* value : result->getKeyValues()) {
      values.push_back(std::make_unique<Result::KeyValue>(*value));
    }
    Result::KeyImages images;
    for (const Result::KeyImage* image : result->getKeyImages()) {
      const PictureName name{result->getName(), image->getKey()};
      if (std::find(kept.begin(), kept.end(), name) != kept.end()) {
        images.push_back(std::make_unique<Result::KeyImage>(image->getKey(), image->getImage()));
      }
    }
    copies.push_back(
        std::make_unique<Result>(result->getName(), std::move(values), std::move(images)));
  }
  return copies;
}

}  // namespace stereolint
