// The colour difference against the published test pairs of the CIEDE2000
// formula (Sharma, Wu and Dalal, 2005), which catch the usual slips: the
// hue's mean across 0°, the rotation term in the blue, neutral colours.
#include <gtest/gtest.h>

#include "checkers/eyes/Ciede2000.h"

namespace stereolint {
namespace {

TEST(Ciede2000, MatchesThePublishedPairs) {
  struct Pair {
    cv::Vec3f a, b;
    double difference;
  };
  const Pair pairs[] = {
      {{50.0f, 2.6772f, -79.7751f}, {50.0f, 0.0f, -82.7485f}, 2.0425},
      {{50.0f, 0.0f, 0.0f}, {50.0f, -1.0f, 2.0f}, 2.3669},
      {{50.0f, 2.49f, -0.001f}, {50.0f, -2.49f, 0.0009f}, 7.1792},
      {{50.0f, 2.5f, 0.0f}, {73.0f, 25.0f, -18.0f}, 27.1492},
      {{60.2574f, -34.0099f, 36.2677f}, {60.4626f, -34.1751f, 39.4387f}, 1.2644},
      {{22.7233f, 20.0904f, -46.694f}, {23.0331f, 14.973f, -42.5619f}, 2.0373},
  };
  for (const Pair& pair : pairs) {
    EXPECT_NEAR(ciede2000(pair.a, pair.b), pair.difference, 1e-3) << pair.a << " " << pair.b;
    EXPECT_NEAR(ciede2000(pair.b, pair.a), pair.difference, 1e-3) << "symmetric";
  }
  EXPECT_EQ(ciede2000({40, 10, 10}, {40, 10, 10}), 0.0);
}

}  // namespace
}  // namespace stereolint
