#include "corrections/CropFit.h"

#include <algorithm>
#include <cmath>

#include "corrections/EyeWarp.h"

namespace stereolint::corrections {

namespace {

// One bound on the crop: a x + b y + c f <= d for the crop's centre (x, y)
// and its fraction f.
struct Bound {
  double a, b, c, d;
};

constexpr double kTolerance = 1e-7;

bool holds(const Bound& bound, double x, double y, double f) {
  return bound.a * x + bound.b * y + bound.c * f <= bound.d + kTolerance;
}

// The bound that keeps every corner of the crop on the inner side of the
// edge from `from` to `to` of a clockwise outline (y down), `margin` away.
Bound edgeBound(cv::Point2d from, cv::Point2d to, cv::Size view, double margin) {
  const cv::Point2d along = to - from;
  const double length = std::hypot(along.x, along.y);
  // Outward normal of an outline clockwise on screen (y down): the top
  // edge, left to right, has (0, -1).
  const cv::Point2d out(along.y / length, -along.x / length);
  // The corner furthest out adds |nx| w/2 + |ny| h/2 times the fraction.
  return {out.x, out.y, std::fabs(out.x) * view.width / 2.0 + std::fabs(out.y) * view.height / 2.0,
          out.x * from.x + out.y * from.y - margin};
}

// Solves the three bounds as equalities; false when they are not independent.
bool corner(const Bound& p, const Bound& q, const Bound& r, cv::Vec3d& solution) {
  const cv::Matx33d system(p.a, p.b, p.c, q.a, q.b, q.c, r.a, r.b, r.c);
  if (std::fabs(cv::determinant(system)) < 1e-12) return false;
  solution = system.solve(cv::Vec3d(p.d, q.d, r.d), cv::DECOMP_LU);
  return true;
}

bool feasible(const std::vector<Bound>& bounds, double x, double y, double f) {
  return std::all_of(bounds.begin(), bounds.end(),
                     [&](const Bound& bound) { return holds(bound, x, y, f); });
}

}  // namespace

std::array<cv::Point2d, 4> warpedOutline(const cv::Matx33d& h, cv::Size view) {
  const double right = view.width - 0.5;
  const double bottom = view.height - 0.5;
  return {applyWarp(h, {-0.5, -0.5}), applyWarp(h, {right, -0.5}), applyWarp(h, {right, bottom}),
          applyWarp(h, {-0.5, bottom})};
}

Crop fitCrop(const std::vector<std::array<cv::Point2d, 4>>& outlines, cv::Size view,
             double margin) {
  std::vector<Bound> bounds;
  for (const auto& outline : outlines)
    for (size_t i = 0; i < outline.size(); ++i)
      bounds.push_back(edgeBound(outline[i], outline[(i + 1) % outline.size()], view, margin));
  // Never more than the view: the crop is scaled back up, not down.
  for (const auto& outline : {warpedOutline(cv::Matx33d::eye(), view)})
    for (size_t i = 0; i < outline.size(); ++i)
      bounds.push_back(edgeBound(outline[i], outline[(i + 1) % outline.size()], view, 0));
  bounds.push_back({0, 0, 1, 1});

  // The largest fraction lies at a corner of the feasible set: three bounds
  // met with equality (a few dozen bounds, so every triple is tried).
  const Crop whole{{(view.width - 1) / 2.0, (view.height - 1) / 2.0}, 1};
  double best = -1;
  for (size_t i = 0; i < bounds.size(); ++i)
    for (size_t j = i + 1; j < bounds.size(); ++j)
      for (size_t k = j + 1; k < bounds.size(); ++k) {
        cv::Vec3d s;
        if (corner(bounds[i], bounds[j], bounds[k], s) && s[2] > best &&
            feasible(bounds, s[0], s[1], s[2]))
          best = s[2];
      }
  if (best <= 0) return {whole.centre, 0};
  if (best >= 1 - kTolerance && feasible(bounds, whole.centre.x, whole.centre.y, 1)) return whole;

  // Of the centres that allow that fraction (a point, a segment or a small
  // polygon), the mean of the polygon's corners: a crop that could slide
  // sideways sits in the middle of its room. Each corner counts once, however
  // many bounds meet there.
  const double fraction = best - 1e-9;
  std::vector<cv::Point2d> corners;
  for (size_t i = 0; i < bounds.size(); ++i)
    for (size_t j = i + 1; j < bounds.size(); ++j) {
      const Bound& p = bounds[i];
      const Bound& q = bounds[j];
      const double det = p.a * q.b - p.b * q.a;
      if (std::fabs(det) < 1e-12) continue;
      const double pd = p.d - p.c * fraction;
      const double qd = q.d - q.c * fraction;
      const cv::Point2d at((pd * q.b - p.b * qd) / det, (p.a * qd - pd * q.a) / det);
      const bool known = std::any_of(corners.begin(), corners.end(), [&](cv::Point2d seen) {
        return std::hypot(seen.x - at.x, seen.y - at.y) < 1e-6;
      });
      if (!known && feasible(bounds, at.x, at.y, fraction)) corners.push_back(at);
    }
  if (corners.empty()) return {whole.centre, 0};
  cv::Point2d sum(0, 0);
  for (const cv::Point2d& at : corners) sum += at;
  return {sum / static_cast<double>(corners.size()), fraction};
}

}  // namespace stereolint::corrections
