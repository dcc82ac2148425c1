#include <gtest/gtest.h>

#include "qc/QcOptions.h"

namespace stereolint::qc {
namespace {

TEST(QcOptions, WithoutQcNothingChanges) {
  const Expected<QcOptions> options = readQcOptions({});
  ASSERT_TRUE(options.ok());
  EXPECT_FALSE(options.value().enabled);
  QcOptionTexts limitsAlone;
  limitsAlone.limits = "VERTICAL:1/2";
  EXPECT_EQ(readQcOptions(limitsAlone).error(), "--limits works with --qc only");
}

TEST(QcOptions, EveryOptionIsReadOnceIntoItsType) {
  QcOptionTexts texts;
  texts.qc = true;
  texts.limits = "ROTATION:0.2/1";
  texts.pictures = "flagged";
  texts.fps = "24000/1001";
  texts.startTimecode = "10:00:00:23";
  texts.failOn = "reject";
  const Expected<QcOptions> options = readQcOptions(texts);
  ASSERT_TRUE(options.ok()) << options.error();
  EXPECT_EQ(limitPairText(Measure::Rotation, options.value().limits.of(Measure::Rotation)), "0.2/1");
  EXPECT_EQ(options.value().pictures, PictureMode::Flagged);
  EXPECT_NEAR(*options.value().framesPerSecond, 23.976, 0.001);
  EXPECT_EQ(options.value().failOn, Verdict::Reject);
}

TEST(QcOptions, TheFirstProblemIsNamedByItsOption) {
  QcOptionTexts texts;
  texts.qc = true;
  texts.fps = "25";
  texts.startTimecode = "10:00:00:25";
  EXPECT_EQ(readQcOptions(texts).error().rfind("--start-timecode: ", 0), 0u);
  texts.startTimecode.reset();
  texts.limits = "TILT:1/2";
  EXPECT_EQ(readQcOptions(texts).error().rfind("--limits: Unknown limit \"TILT\"", 0), 0u);
  EXPECT_NE(limitKeysUsage().find("PARALLAX  near/far depth budget"), std::string::npos);
}

}  // namespace
}  // namespace stereolint::qc
