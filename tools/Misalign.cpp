// Makes a stereo pair with a known misalignment from a well-aligned one, to
// show what the checkers find: the right view is moved down by a number of
// rows, turned by an angle and scaled about its centre.
//
//   stereolint-misalign LEFT RIGHT OUT_PREFIX ROWS DEGREES SCALE
//
// writes OUT_PREFIX-left.png, OUT_PREFIX-right.png and the two side by side
// as OUT_PREFIX-sbs.png. Edges the warp uncovers are filled by reflection,
// so no black border gives the matcher false features.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

int main(int argc, char** argv) {
  if (argc != 7) {
    std::fprintf(stderr, "usage: %s LEFT RIGHT OUT_PREFIX ROWS DEGREES SCALE\n", argv[0]);
    return 2;
  }
  const cv::Mat left = cv::imread(argv[1], cv::IMREAD_COLOR);
  const cv::Mat right = cv::imread(argv[2], cv::IMREAD_COLOR);
  if (left.empty() || right.empty() || left.size() != right.size()) {
    std::fprintf(stderr, "%s: need two readable pictures of one size\n", argv[0]);
    return 1;
  }
  const std::string prefix = argv[3];
  const double rows = std::atof(argv[4]);
  const double degrees = std::atof(argv[5]);
  const double scale = std::atof(argv[6]);

  const cv::Point2f centre(static_cast<float>(right.cols) / 2, static_cast<float>(right.rows) / 2);
  cv::Mat transform = cv::getRotationMatrix2D(centre, degrees, scale);
  transform.at<double>(1, 2) += rows;
  cv::Mat moved;
  cv::warpAffine(right, moved, transform, right.size(), cv::INTER_LINEAR, cv::BORDER_REFLECT);

  cv::Mat sideBySide;
  cv::hconcat(left, moved, sideBySide);
  const bool written = cv::imwrite(prefix + "-left.png", left) &&
                       cv::imwrite(prefix + "-right.png", moved) &&
                       cv::imwrite(prefix + "-sbs.png", sideBySide);
  if (!written) {
    std::fprintf(stderr, "%s: cannot write %s-*.png\n", argv[0], prefix.c_str());
    return 1;
  }
  return 0;
}
