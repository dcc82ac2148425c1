#include "checkers/eyes/CdlFit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <opencv2/imgproc.hpp>
#include <vector>

namespace stereolint {

namespace {

// Tukey's constant for 95 % efficiency on normal residuals, in robust
// standard deviations (1.4826 × the median absolute residual).
constexpr double kTukey = 4.685;
// The robust spread never counts below half a code value: on identical
// eyes the residuals are rounding, and the weights would cut the data.
constexpr double kSpreadFloor = 0.5 / 255.0;
// A small pull towards the identity keeps a channel whose pixels span a
// narrow range (where slope, offset and power trade off) near 1, 0, 1.
constexpr double kPrior = 1e-4;

struct ChannelFit {
  double slope = 1, offset = 0, power = 1;
};

struct Model {
  double value;
  double dSlope, dOffset, dPower;
};

Model evaluate(const ChannelFit& fit, double x) {
  const double v = x * fit.slope + fit.offset;
  if (v <= 1e-6) return {0, 0, 0, 0};
  if (v >= 1.0) return {1, 0, 0, 0};
  const double value = std::pow(v, fit.power);
  const double slopeOfV = fit.power * value / v;
  return {value, slopeOfV * x, slopeOfV, value * std::log(v)};
}

double weightedCost(const ChannelFit& fit, const std::vector<double>& x,
                    const std::vector<double>& y, const std::vector<double>& w) {
  double cost = kPrior * std::accumulate(w.begin(), w.end(), 0.0) *
                ((fit.slope - 1) * (fit.slope - 1) + fit.offset * fit.offset +
                 (fit.power - 1) * (fit.power - 1));
  for (size_t i = 0; i < x.size(); ++i) {
    const double r = y[i] - evaluate(fit, x[i]).value;
    cost += w[i] * r * r;
  }
  return cost;
}

std::vector<double> tukeyWeights(const ChannelFit& fit, const std::vector<double>& x,
                                 const std::vector<double>& y) {
  std::vector<double> residuals(x.size());
  for (size_t i = 0; i < x.size(); ++i)
    residuals[i] = std::fabs(y[i] - evaluate(fit, x[i]).value);
  std::vector<double> sorted = residuals;
  std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2),
                   sorted.end());
  const double spread = std::max(kSpreadFloor, 1.4826 * sorted[sorted.size() / 2]);
  const double cut = kTukey * spread;
  std::vector<double> weights(x.size());
  for (size_t i = 0; i < x.size(); ++i) {
    const double u = residuals[i] / cut;
    weights[i] = u >= 1 ? 0 : (1 - u * u) * (1 - u * u);
  }
  return weights;
}

// Gauss-Newton steps on the weighted squares, each step halved until it
// lowers the cost.
void refine(ChannelFit& fit, const std::vector<double>& x, const std::vector<double>& y,
            const std::vector<double>& w) {
  for (int iteration = 0; iteration < 8; ++iteration) {
    const double prior = kPrior * std::accumulate(w.begin(), w.end(), 0.0);
    cv::Matx33d normal = cv::Matx33d::eye() * prior;
    cv::Vec3d gradient(prior * (1 - fit.slope), -prior * fit.offset, prior * (1 - fit.power));
    for (size_t i = 0; i < x.size(); ++i) {
      if (w[i] == 0) continue;
      const Model m = evaluate(fit, x[i]);
      const cv::Vec3d j(m.dSlope, m.dOffset, m.dPower);
      normal += w[i] * (j * j.t());
      gradient += w[i] * (y[i] - m.value) * j;
    }
    cv::Vec3d step;
    if (!cv::solve(normal, gradient, step, cv::DECOMP_CHOLESKY)) return;
    const double before = weightedCost(fit, x, y, w);
    for (double t = 1; t > 1e-3; t /= 2) {
      const ChannelFit tried{fit.slope + t * step[0], fit.offset + t * step[1],
                             fit.power + t * step[2]};
      if (tried.power > 0.05 && weightedCost(tried, x, y, w) < before) {
        fit = tried;
        break;
      }
    }
    if (cv::norm(step) < 1e-7) return;
  }
}

ChannelFit fitChannel(const std::vector<double>& x, const std::vector<double>& y,
                      const std::vector<double>& counts) {
  ChannelFit fit;
  std::vector<double> weights = counts;
  for (int round = 0; round < 4; ++round) {
    refine(fit, x, y, weights);
    weights = tukeyWeights(fit, x, y);
    for (size_t i = 0; i < weights.size(); ++i) weights[i] *= counts[i];
  }
  refine(fit, x, y, weights);
  return fit;
}

}  // namespace

std::optional<ColourDecision> fitColourDecision(const cv::Mat& from, const cv::Mat& to) {
  const auto count = static_cast<int>(from.total());
  if (count < kCdlMinimumSamples) return std::nullopt;
  CV_Assert(from.type() == CV_8UC3 && to.type() == CV_8UC3 && from.total() == to.total());
  ColourDecision decision;
  for (int channel = 0; channel < 3; ++channel) {
    // The source holds 256 code values: the fit runs on the median target
    // of each (robust to the pixels matched wrongly), weighed by how many
    // pixels have it.
    std::array<std::vector<uchar>, 256> targets;
    for (int i = 0; i < count; ++i)
      targets[from.at<cv::Vec3b>(i)[channel]].push_back(to.at<cv::Vec3b>(i)[channel]);
    std::vector<double> x, y, weight;
    for (int v = 0; v < 256; ++v) {
      auto& values = targets[static_cast<size_t>(v)];
      if (values.empty()) continue;
      const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
      std::nth_element(values.begin(), middle, values.end());
      x.push_back(v / 255.0);
      y.push_back(*middle / 255.0);
      weight.push_back(static_cast<double>(values.size()));
    }
    const ChannelFit fit = fitChannel(x, y, weight);
    const auto rgb = static_cast<size_t>(2 - channel);  // blue, green, red in the picture
    decision.slope[rgb] = fit.slope;
    decision.offset[rgb] = fit.offset;
    decision.power[rgb] = fit.power;
  }
  return decision;
}

ColourGrade::ColourGrade(const ColourDecision& decision) : decision_(decision) {
  if (decision.saturation != 1.0) return;
  table_.create(1, 256, CV_8UC3);
  for (int v = 0; v < 256; ++v) {
    const double code = v / 255.0;
    const auto graded =
        stereolint::applyColourDecision(decision, std::array<double, 3>{code, code, code});
    table_.at<cv::Vec3b>(v) = cv::Vec3b(cv::saturate_cast<uchar>(graded[2] * 255.0),
                                        cv::saturate_cast<uchar>(graded[1] * 255.0),
                                        cv::saturate_cast<uchar>(graded[0] * 255.0));
  }
}

cv::Mat ColourGrade::operator()(const cv::Mat& bgr) const {
  CV_Assert(bgr.type() == CV_8UC3);
  cv::Mat out(bgr.size(), CV_8UC3);
  if (!table_.empty()) {
    // The image library's lookup reads a three-channel table value by value
    // through a general path, at about three times this loop's cost.
    const uchar* table = table_.ptr<uchar>();
    for (int y = 0; y < bgr.rows; ++y) {
      const uchar* in = bgr.ptr<uchar>(y);
      uchar* o = out.ptr<uchar>(y);
      for (int x = 0; x < bgr.cols; ++x, in += 3, o += 3) {
        o[0] = table[3 * in[0]];
        o[1] = table[3 * in[1] + 1];
        o[2] = table[3 * in[2] + 2];
      }
    }
    return out;
  }
  for (int y = 0; y < bgr.rows; ++y)
    for (int x = 0; x < bgr.cols; ++x) {
      const cv::Vec3b p = bgr.at<cv::Vec3b>(y, x);
      const auto graded = stereolint::applyColourDecision(
          decision_, std::array<double, 3>{p[2] / 255.0, p[1] / 255.0, p[0] / 255.0});
      out.at<cv::Vec3b>(y, x) = cv::Vec3b(cv::saturate_cast<uchar>(graded[2] * 255.0),
                                          cv::saturate_cast<uchar>(graded[1] * 255.0),
                                          cv::saturate_cast<uchar>(graded[0] * 255.0));
    }
  return out;
}

cv::Mat applyColourDecision(const ColourDecision& decision, const cv::Mat& bgr) {
  return ColourGrade(decision)(bgr);
}

}  // namespace stereolint
