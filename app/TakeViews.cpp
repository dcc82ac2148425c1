#include "app/TakeViews.h"

#include <climits>
#include <string>

#include "sources/ViewRegions.h"
#include "sources/ViewSqueeze.h"

namespace stereolint {

Expected<TakeViews> takeViews(const InputStreams& streams, const RunOptions& options) {
  const FrameStream& first = *streams.front();
  const StreamWords& words = first.words();
  TakeViews views;
  views.pictureSize = first.pictureSize();
  // Both inputs must give views of one size, or the pictures of a pair
  // cannot be drawn.
  if (streams.size() == 2 && streams[1]->pictureSize() != views.pictureSize) {
    return Failure{std::string("The ") + words.nouns + " differ in size: " + first.path() + " is " +
                       sizeText(views.pictureSize) + ", " + streams[1]->path() + " is " +
                       sizeText(streams[1]->pictureSize()),
                   words.topic};
  }
  views.regions =
      viewRegions(options.orientation, views.pictureSize.width, views.pictureSize.height);
  if (!regionsHoldViews(views.regions)) {
    return Failure{std::string("The ") + words.noun + " " + first.path() + " (" +
                       sizeText(views.pictureSize) + ") is too small to cut into two views",
                   words.topic};
  }
  views.view = unsqueezedSize(views.regions ? views.regions->first.size() : views.pictureSize,
                              options.orientation, options.squeeze);
  // The image library's remapping works on coordinates below SHRT_MAX.
  if (views.view.width >= SHRT_MAX || views.view.height >= SHRT_MAX) {
    return Failure{"The views of " + first.path() + " (" + sizeText(views.view) +
                       ") are too large: views must be smaller than " + std::to_string(SHRT_MAX) +
                       " pixels in each direction",
                   words.topic};
  }
  return views;
}

}  // namespace stereolint
