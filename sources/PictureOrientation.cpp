#include "sources/PictureOrientation.h"

#include <memory>

#include <libexif/exif-data.h>

namespace stereolint {

namespace {

struct ExifDataRelease {
  void operator()(ExifData* data) const { exif_data_unref(data); }
};

}  // namespace

int jpegOrientation(const std::string& path) {
  const std::unique_ptr<ExifData, ExifDataRelease> data(exif_data_new_from_file(path.c_str()));
  if (!data) return 1;
  ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
  if (entry == nullptr || entry->format != EXIF_FORMAT_SHORT || entry->components < 1 ||
      entry->data == nullptr || entry->size < 2) {
    return 1;
  }
  const int orientation = exif_get_short(entry->data, exif_data_get_byte_order(data.get()));
  return orientation >= 1 && orientation <= 8 ? orientation : 1;
}

cv::Mat applyOrientation(const cv::Mat& picture, int orientation) {
  cv::Mat turned;
  switch (orientation) {
    case 2:
      cv::flip(picture, turned, 1);
      return turned;
    case 3:
      cv::flip(picture, turned, -1);
      return turned;
    case 4:
      cv::flip(picture, turned, 0);
      return turned;
    case 5:
      cv::transpose(picture, turned);
      return turned;
    case 6:
      cv::transpose(picture, turned);
      cv::flip(turned, turned, 1);
      return turned;
    case 7:
      cv::transpose(picture, turned);
      cv::flip(turned, turned, -1);
      return turned;
    case 8:
      cv::transpose(picture, turned);
      cv::flip(turned, turned, 0);
      return turned;
    default:
      return picture;
  }
}

}  // namespace stereolint
