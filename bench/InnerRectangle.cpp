#include "InnerRectangle.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <opencv2/imgproc.hpp>

namespace bench {

namespace {

cv::Point2d through(const cv::Matx33d& h, cv::Point2d p) {
  const cv::Vec3d q = h * cv::Vec3d(p.x, p.y, 1);
  return {q[0] / q[2], q[1] / q[2]};
}

// The distance of a point (pixel-edge coordinates) inside an eye's warped
// picture to its nearest edge; negative outside. The picture is the view's
// outline taken through the homography and shift: a convex quadrilateral.
class EyeOutline {
 public:
  EyeOutline(const WarpedEye& eye, cv::Size view) {
    const double right = view.width - 0.5, bottom = view.height - 0.5;
    const std::array<cv::Point2d, 4> shot = {
        cv::Point2d(-0.5, -0.5), {right, -0.5}, {right, bottom}, {-0.5, bottom}};
    for (size_t i = 0; i < 4; ++i)
      corners_[i] = through(eye.homography, shot[i]) + cv::Point2d(eye.shift + 0.5, 0.5);
    double area = 0;
    for (size_t i = 0; i < 4; ++i) area += corners_[i].cross(corners_[(i + 1) % 4]);
    inward_ = area > 0 ? 1 : -1;
  }

  double clearance(cv::Point2d p) const {
    double nearest = INFINITY;
    for (size_t i = 0; i < 4; ++i) {
      const cv::Point2d edge = corners_[(i + 1) % 4] - corners_[i];
      nearest =
          std::min(nearest, inward_ * edge.cross(p - corners_[i]) / std::hypot(edge.x, edge.y));
    }
    return nearest;
  }

 private:
  std::array<cv::Point2d, 4> corners_;
  double inward_ = 1;
};

// Whether a point of the corrected eye (pixel-edge coordinates) shows the
// eye's picture: taken back through the shift and the homography it falls
// inside the view as shot.
bool showsPicture(const cv::Matx33d& inverse, double shift, cv::Point2d p, cv::Size view) {
  const cv::Point2d shot = through(inverse, {p.x - 0.5 - shift, p.y - 0.5});
  return shot.x >= -0.5 && shot.x <= view.width - 0.5 && shot.y >= -0.5 &&
         shot.y <= view.height - 0.5;
}

// The grid's cells (kGridSteps per pixel) inside every eye: 1, else 0.
cv::Mat insideCells(const std::vector<WarpedEye>& eyes, cv::Size view, double margin) {
  const cv::Size points(view.width * kGridSteps + 1, view.height * kGridSteps + 1);
  cv::Mat inside(points, CV_8U, cv::Scalar(1));
  for (const WarpedEye& eye : eyes) {
    const cv::Matx33d inverse = eye.homography.inv();
    const EyeOutline outline(eye, view);
    for (int j = 0; j < points.height; ++j) {
      auto* row = inside.ptr<uchar>(j);
      for (int i = 0; i < points.width; ++i) {
        const cv::Point2d p(static_cast<double>(i) / kGridSteps,
                            static_cast<double>(j) / kGridSteps);
        // Without a margin the picture itself decides; with one, its edges.
        const bool in =
            margin > 0 ? outline.clearance(p) >= margin : showsPicture(inverse, eye.shift, p, view);
        row[i] = static_cast<uchar>(row[i] && in);
      }
    }
  }
  cv::Mat cells(points.height - 1, points.width - 1, CV_8U);
  for (int j = 0; j < cells.rows; ++j)
    for (int i = 0; i < cells.cols; ++i)
      cells.at<uchar>(j, i) = inside.at<uchar>(j, i) & inside.at<uchar>(j, i + 1) &
                              inside.at<uchar>(j + 1, i) & inside.at<uchar>(j + 1, i + 1);
  return cells;
}

// The top-left cell of a `width` x `height` block of cells all inside, or
// (-1, -1) when there is none. `sums` is the cells' integral image.
cv::Point placeOf(const cv::Mat& sums, int width, int height) {
  const int full = width * height;
  for (int y = 0; y + height < sums.rows; ++y) {
    const int* top = sums.ptr<int>(y);
    const int* bottom = sums.ptr<int>(y + height);
    for (int x = 0; x + width < sums.cols; ++x)
      if (bottom[x + width] - bottom[x] - top[x + width] + top[x] == full) return {x, y};
  }
  return {-1, -1};
}

}  // namespace

Rectangle largestInnerRectangle(const std::vector<WarpedEye>& eyes, cv::Size view, double margin) {
  cv::Mat sums;
  cv::integral(insideCells(eyes, view, margin), sums, CV_32S);
  const double shape = static_cast<double>(view.width) / view.height;
  const auto widthFor = [&](int height) {
    return static_cast<int>(std::ceil(height * shape - 1e-9));
  };
  // A block that fits holds every smaller one: the tallest that fits is
  // found by halving.
  int fits = 0, fails = view.height * kGridSteps + 1;
  cv::Point place(-1, -1);
  while (fails - fits > 1) {
    const int middle = (fits + fails) / 2;
    const cv::Point at = placeOf(sums, widthFor(middle), middle);
    if (at.x >= 0) {
      fits = middle;
      place = at;
    } else {
      fails = middle;
    }
  }
  if (fits == 0) return {};
  const double height = static_cast<double>(fits) / kGridSteps;
  return {static_cast<double>(place.x) / kGridSteps, static_cast<double>(place.y) / kGridSteps,
          height * shape, height};
}

bool liesInside(const Rectangle& r, const std::vector<WarpedEye>& eyes, cv::Size view,
                double margin) {
  constexpr double kRounding = 1e-3;
  const std::array<cv::Point2d, 4> corners = {cv::Point2d(r.x, r.y),
                                              {r.x + r.width, r.y},
                                              {r.x + r.width, r.y + r.height},
                                              {r.x, r.y + r.height}};
  for (const cv::Point2d& corner : corners) {
    if (corner.x < -kRounding || corner.y < -kRounding || corner.x > view.width + kRounding ||
        corner.y > view.height + kRounding)
      return false;
    for (const WarpedEye& eye : eyes)
      if (EyeOutline(eye, view).clearance(corner) < margin - kRounding) return false;
  }
  return true;
}

}  // namespace bench
