#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "qc/QcLimits.h"

namespace stereolint::qc {
namespace {

std::string refusal(const std::string& text) {
  const Expected<QcLimits> limits = parseLimits(text);
  EXPECT_FALSE(limits.ok()) << text << " was accepted";
  return limits.ok() ? "" : limits.error();
}

TEST(QcLimits, DefaultsReadBackFromTheirOwnText) {
  const QcLimits defaults = defaultLimits();
  EXPECT_EQ(limitsText(defaults),
            "VERTICAL:0.3%/1%,ROTATION:0.1/0.5,SCALE:0.3%/1%,KEYSTONE:0.3%/1%,PARALLAX:-1%/2%,"
            "WINDOW:5%/100%,DIVERGENCE:65/130,EYE ORDER:-0.12/-0.12,DEPTH JUMP:1%/3%,"
            "LUMINANCE:0.1/1,COLOUR:2/10,SHARPNESS:10%/25%,HIGHLIGHTS:0.1%/1%");
  const Expected<QcLimits> again = parseLimits(limitsText(defaults));
  ASSERT_TRUE(again.ok());
  EXPECT_TRUE(again.value() == defaults);
}

TEST(QcLimits, NamedKeysReplaceTheirDefaultsOnly) {
  const Expected<QcLimits> limits = parseLimits(" VERTICAL : 2/6 , PARALLAX:-1.5/3");
  ASSERT_TRUE(limits.ok()) << limits.error();
  EXPECT_EQ(limitsText(limits.value()),
            "VERTICAL:2/6,ROTATION:0.1/0.5,SCALE:0.3%/1%,KEYSTONE:0.3%/1%,PARALLAX:-1.5%/3%,"
            "WINDOW:5%/100%,DIVERGENCE:65/130,EYE ORDER:-0.12/-0.12,DEPTH JUMP:1%/3%,"
            "LUMINANCE:0.1/1,COLOUR:2/10,SHARPNESS:10%/25%,HIGHLIGHTS:0.1%/1%");
  const LimitPair& vertical = limits.value().of(Measure::Vertical);
  EXPECT_DOUBLE_EQ(vertical.first.inRows(1080), 2.0) << "a plain number is rows";
  EXPECT_DOUBLE_EQ(defaultLimits().of(Measure::Vertical).second.inRows(1080), 10.8)
      << "1 % of 1080 rows";
}

TEST(QcLimits, UnreadableTextIsRefusedWithWhatIsWrongAndAnExample) {
  EXPECT_NE(refusal("").find("empty"), std::string::npos);
  EXPECT_NE(refusal("VERTICAL:0.3%/1%,,ROTATION:0.1/0.5").find("empty item"), std::string::npos);
  EXPECT_NE(refusal("VERTICAL 0.3/1").find("KEY:PASS/FIX"), std::string::npos);
  EXPECT_NE(refusal("VERTICAL:0.3").find("needs two numbers"), std::string::npos);
  EXPECT_NE(refusal("VERTICAL:0.3/1/2").find("needs two numbers"), std::string::npos);
  EXPECT_NE(refusal("ROTATION:abc/1").find("\"abc\""), std::string::npos);
  EXPECT_NE(refusal("ROTATION:0.1%/1%").find("degrees"), std::string::npos);
  EXPECT_NE(refusal("VERTICAL:1/2%").find("both in rows or both in %"), std::string::npos);
  EXPECT_NE(refusal("SCALE:-1/2").find("cannot be negative"), std::string::npos);
  EXPECT_NE(refusal("ROTATION:0.1/0.5,ROTATION:0.2/0.5").find("twice"), std::string::npos);
  for (const std::string text : {"", "VERTICAL:x/1", "ROTATION:0.1%/1"})
    EXPECT_NE(refusal(text).find("Example: VERTICAL:"), std::string::npos) << text;
}

TEST(QcLimits, UnknownKeyIsRepeatedWithTheValidOnes) {
  const std::string message = refusal("VERTICAL:0.3%/1%,TILT:1/2");
  EXPECT_NE(message.find("\"TILT\""), std::string::npos) << message;
  EXPECT_NE(message.find("VERTICAL, ROTATION, SCALE, KEYSTONE, PARALLAX"), std::string::npos)
      << message;
}

TEST(QcLimits, APassLimitAboveItsFixLimitIsRefused) {
  EXPECT_NE(refusal("VERTICAL:2%/1%").find("pass limit of VERTICAL is above its fix limit"),
            std::string::npos);
  EXPECT_NE(refusal("PARALLAX:3/-1").find("near limit of PARALLAX"), std::string::npos);
  EXPECT_NE(refusal("EYE ORDER:-0.5/0").find("pass limit of EYE ORDER is below its fix limit"),
            std::string::npos);
  EXPECT_TRUE(parseLimits("ROTATION:0.5/0.5").ok()) << "equal limits leave no FIX band";
}

}  // namespace
}  // namespace stereolint::qc

namespace stereolint::qc {
namespace {

TEST(QcLimits, TheReadmeListsEveryKeyWithItsDefaults) {
  std::ifstream file(std::string(STEREOLINT_SOURCE_DIR) + "/README.md");
  std::stringstream text;
  text << file.rdbuf();
  // Other sections have tables with the same key names: read the limits'.
  const std::string all = text.str();
  const size_t section = all.find("### Limits");
  ASSERT_NE(section, std::string::npos);
  const std::string readme = all.substr(section);
  for (Measure owner : limitOwners()) {
    const MeasureInfo& info = measureInfo(owner);
    const size_t row = readme.find(std::string("| `") + info.limitKey + "` |");
    ASSERT_NE(row, std::string::npos) << info.limitKey;
    const std::string line = readme.substr(row, readme.find('\n', row) - row);
    EXPECT_NE(line.find(std::string("`") + info.limitDefaults + "`"), std::string::npos) << line;
  }
}

}  // namespace
}  // namespace stereolint::qc
