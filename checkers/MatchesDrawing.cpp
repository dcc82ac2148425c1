#include "checkers/MatchesDrawing.h"

#include <algorithm>
#include <mutex>

#include <opencv2/imgproc.hpp>

#include "util/Parallel.h"

namespace stereolint {

namespace {

// Coordinates carry 4 fractional bits (1/16 pixel), as cv::drawMatches
// passes them to the rasteriser.
constexpr int kShift = 4;
constexpr int kScale = 1 << kShift;
constexpr int kRadius = 3 * kScale;
// Rows beyond the rows of the ideal outline that a circle or line may still
// touch: anti-aliasing reaches two rows past the row of a point near the
// bottom of its pixel (MatchesDrawingTest finds differences with fewer);
// the third is a margin that costs only a few extra draws.
constexpr int kSpread = 3;

// One circle or line of the picture.
struct Mark {
  enum class Kind : unsigned char { LeftCircle, RightCircle, Line };
  Kind kind;
  cv::Point from;  // circle centre (in its view) or line start, 1/16 pixel
  cv::Point to;    // line end
  cv::Scalar colour;
  int top = 0, bottom = 0;  // picture rows it can touch, both included
};

int row(int fixedPoint) { return cvFloor(fixedPoint / static_cast<double>(kScale)); }

cv::Point fixedPoint(const cv::Point2f& point) {
  return {cvRound(point.x * kScale), cvRound(point.y * kScale)};
}

// A random colour as cv::drawMatches draws it: three draws of 0..255 from
// the generator; the image library, as built, hands the last draw to the
// first component.
cv::Scalar randomColour(cv::RNG& generator) {
  const unsigned first = generator(256), second = generator(256), third = generator(256);
  return {static_cast<double>(third), static_cast<double>(second), static_cast<double>(first),
          255};
}

Mark circle(Mark::Kind kind, const cv::KeyPoint& keypoint, const cv::Scalar& colour) {
  const cv::Point centre = fixedPoint(keypoint.pt);
  const int middle = row(centre.y);
  return {kind, centre, centre, colour, middle - 3 - kSpread, middle + 3 + kSpread};
}

// The line of a match: from the left keypoint to the right keypoint moved
// by the left view's width, kept inside the picture.
Mark line(const cv::KeyPoint& left, const cv::KeyPoint& right, int leftWidth, int pictureWidth,
          const cv::Scalar& colour) {
  const cv::Point2f end(std::min(right.pt.x + static_cast<float>(leftWidth),
                                 static_cast<float>(pictureWidth - 1)),
                        right.pt.y);
  const cv::Point from = fixedPoint(left.pt), to = fixedPoint(end);
  return {Mark::Kind::Line, from, to, colour, row(std::min(from.y, to.y)) - kSpread,
          row(std::max(from.y, to.y)) + kSpread};
}

std::vector<Mark> marks(const std::vector<cv::KeyPoint>& leftKeypoints,
                        const std::vector<cv::KeyPoint>& rightKeypoints,
                        const std::vector<cv::DMatch>& matches, int leftWidth, int pictureWidth) {
  cv::RNG& generator = cv::theRNG();
  std::vector<Mark> list;
  list.reserve(leftKeypoints.size() + rightKeypoints.size() + 3 * matches.size());
  for (const cv::KeyPoint& keypoint : leftKeypoints) {
    list.push_back(circle(Mark::Kind::LeftCircle, keypoint, randomColour(generator)));
  }
  for (const cv::KeyPoint& keypoint : rightKeypoints) {
    list.push_back(circle(Mark::Kind::RightCircle, keypoint, randomColour(generator)));
  }
  for (const cv::DMatch& match : matches) {
    CV_Assert(match.queryIdx >= 0 && match.queryIdx < static_cast<int>(leftKeypoints.size()));
    CV_Assert(match.trainIdx >= 0 && match.trainIdx < static_cast<int>(rightKeypoints.size()));
    const cv::KeyPoint& left = leftKeypoints[static_cast<size_t>(match.queryIdx)];
    const cv::KeyPoint& right = rightKeypoints[static_cast<size_t>(match.trainIdx)];
    const cv::Scalar colour = randomColour(generator);
    list.push_back(circle(Mark::Kind::LeftCircle, left, colour));
    list.push_back(circle(Mark::Kind::RightCircle, right, colour));
    list.push_back(line(left, right, leftWidth, pictureWidth, colour));
  }
  return list;
}

// Draws, in list order, every mark that can touch rows [top, bottom) of
// `canvas`, a picture of the whole size.
void drawBand(const std::vector<Mark>& list, cv::Mat& canvas, const cv::Size& leftSize,
              const cv::Size& rightSize, int top, int bottom) {
  cv::Mat leftPart = canvas(cv::Rect(cv::Point(0, 0), leftSize));
  cv::Mat rightPart = canvas(cv::Rect(cv::Point(leftSize.width, 0), rightSize));
  for (const Mark& mark : list) {
    if (mark.bottom < top || mark.top >= bottom) continue;
    switch (mark.kind) {
      case Mark::Kind::LeftCircle:
        cv::circle(leftPart, mark.from, kRadius, mark.colour, 1, cv::LINE_AA, kShift);
        break;
      case Mark::Kind::RightCircle:
        cv::circle(rightPart, mark.from, kRadius, mark.colour, 1, cv::LINE_AA, kShift);
        break;
      case Mark::Kind::Line:
        cv::line(canvas, mark.from, mark.to, mark.colour, 1, cv::LINE_AA, kShift);
        break;
    }
  }
}

// Whole-picture canvases for the bands being drawn at one time, reused by
// the next bands: at most one per thread at work.
class Canvases {
 public:
  Canvases(cv::Size size, int type) : size(size), type(type) {}

  cv::Mat take() {
    const std::lock_guard<std::mutex> lock(mutex);
    if (spare.empty()) return cv::Mat(size, type);
    cv::Mat canvas = spare.back();
    spare.pop_back();
    return canvas;
  }

  void giveBack(const cv::Mat& canvas) {
    const std::lock_guard<std::mutex> lock(mutex);
    spare.push_back(canvas);
  }

 private:
  const cv::Size size;
  const int type;
  std::mutex mutex;
  std::vector<cv::Mat> spare;
};

}  // namespace

int matchesBandRows(int pictureRows) {
  const int threads = static_cast<int>(work::parallelThreads());
  if (threads <= 1) return std::max(1, pictureRows);
  const int bands = 2 * threads;
  return std::max(1, (pictureRows + bands - 1) / bands);
}

cv::Mat drawMatchesInBands(const cv::Mat& left, const std::vector<cv::KeyPoint>& leftKeypoints,
                           const cv::Mat& right, const std::vector<cv::KeyPoint>& rightKeypoints,
                           const std::vector<cv::DMatch>& matches, int bandRows) {
  CV_Assert(left.type() == CV_8UC3 && right.type() == CV_8UC3 && bandRows > 0);
  const cv::Size size(left.cols + right.cols, std::max(left.rows, right.rows));
  cv::Mat picture(size, CV_8UC3, cv::Scalar::all(0));
  left.copyTo(picture(cv::Rect(cv::Point(0, 0), left.size())));
  right.copyTo(picture(cv::Rect(cv::Point(left.cols, 0), right.size())));
  const std::vector<Mark> list = marks(leftKeypoints, rightKeypoints, matches, left.cols, size.width);

  if (bandRows >= size.height) {
    drawBand(list, picture, left.size(), right.size(), 0, size.height);
    return picture;
  }
  Canvases canvases(size, picture.type());
  const int bands = (size.height + bandRows - 1) / bandRows;
  work::parallelFor(static_cast<size_t>(bands), [&](size_t band) {
    const int top = static_cast<int>(band) * bandRows;
    const int bottom = std::min(size.height, top + bandRows);
    cv::Mat canvas = canvases.take();
    picture.rowRange(top, bottom).copyTo(canvas.rowRange(top, bottom));
    drawBand(list, canvas, left.size(), right.size(), top, bottom);
    canvas.rowRange(top, bottom).copyTo(picture.rowRange(top, bottom));
    canvases.giveBack(canvas);
  });
  return picture;
}

}  // namespace stereolint
