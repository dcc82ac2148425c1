// The alignment method's parameters: read once into the options struct, and
// any wrong key or value refused with a message that says what is valid.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "checkers/alignment/AlignmentMeasurement.h"
#include "checkers/alignment/AlignmentOptions.h"
#include "results/FrameOutcome.h"

namespace stereolint {
namespace {

AlignmentOptions parsed(const std::string& parameters) {
  const Expected<AlignmentOptions> result = parseAlignmentOptions(parameters);
  EXPECT_TRUE(result.ok()) << result.error();
  return result.ok() ? result.value() : AlignmentOptions{};
}

std::string problem(const std::string& parameters) {
  const Expected<AlignmentOptions> found = parseAlignmentOptions(parameters);
  EXPECT_FALSE(found.ok()) << parameters << " was accepted";
  return found.error();
}

TEST(AlignmentOptions, EmptyParametersGiveTheDocumentedDefaults) {
  const AlignmentOptions options = parsed("");
  EXPECT_EQ(options.bandPercent, 3.0);
  EXPECT_EQ(options.parallaxPercent, 30.0);
  EXPECT_EQ(options.features, 1000);
  EXPECT_FALSE(options.pictures);
  // The table's default texts say the same.
  for (const AlignmentKey& key : kAlignmentKeys) {
    const AlignmentOptions fromDefault = parsed(std::string(key.name) + ":" + key.defaultValue);
    EXPECT_EQ(fromDefault.bandPercent, options.bandPercent) << key.name;
    EXPECT_EQ(fromDefault.parallaxPercent, options.parallaxPercent) << key.name;
    EXPECT_EQ(fromDefault.features, options.features) << key.name;
    EXPECT_EQ(fromDefault.pictures, options.pictures) << key.name;
  }
}

TEST(AlignmentOptions, ReadsEveryKeyAndTheFirstEntryWins) {
  const AlignmentOptions options =
      parsed("BAND:5.5,PARALLAX:12,FEATURES:2500,PICTURES:TRUE,BAND:9");
  EXPECT_EQ(options.bandPercent, 5.5);
  EXPECT_EQ(options.parallaxPercent, 12.0);
  EXPECT_EQ(options.features, 2500);
  EXPECT_TRUE(options.pictures);
  EXPECT_EQ(parsed("PICTURES:FALSE,,").pictures, false);
}

TEST(AlignmentOptions, AnUnknownKeyIsRepeatedWithTheValidOnes) {
  const std::string message = problem("BAND:3,WIDTH:10");
  EXPECT_NE(message.find("\"WIDTH\""), std::string::npos) << message;
  for (const AlignmentKey& key : kAlignmentKeys) {
    EXPECT_NE(message.find(key.name), std::string::npos) << message;
  }
  EXPECT_NE(problem("band:3").find("\"band\""), std::string::npos);
}

TEST(AlignmentOptions, UnreadableOrOutOfRangeValuesAreRefusedWithTheKeyAndValue) {
  for (const char* wrong : {"BAND:0", "BAND:-1", "BAND:51", "BAND:3%", "BAND:", "BAND",
                            "PARALLAX:abc", "PARALLAX:101", "FEATURES:99", "FEATURES:1000.5",
                            "FEATURES:1e9", "PICTURES:true", "PICTURES:YES", "BAND:nan"}) {
    const std::string message = problem(wrong);
    const std::string entry = wrong;
    const std::string key = entry.substr(0, entry.find(':'));
    EXPECT_NE(message.find(key), std::string::npos) << message;
    EXPECT_NE(
        message.find(
            "\"" + (entry.find(':') == std::string::npos ? "" : entry.substr(entry.find(':') + 1)) +
            "\""),
        std::string::npos)
        << message;
  }
  // A wrong later duplicate is never read.
  EXPECT_TRUE(parseAlignmentOptions("BAND:4,BAND:x").ok());
}

// The README's section lists every key with its default and every status
// reason, from the same tables the program uses.
TEST(AlignmentOptions, ReadmeListsEveryKeyAndReason) {
  std::ifstream file(std::string(STEREOLINT_SOURCE_DIR) + "/README.md");
  std::stringstream text;
  text << file.rdbuf();
  const std::string readme = text.str();
  const size_t section = readme.find("## The alignment method");
  ASSERT_NE(section, std::string::npos);
  const std::string body = readme.substr(section, readme.find("\n## ", section + 1) - section);
  for (const AlignmentKey& key : kAlignmentKeys) {
    EXPECT_NE(body.find(std::string("`") + key.name + "`"), std::string::npos) << key.name;
    EXPECT_NE(body.find(key.meaning), std::string::npos) << key.meaning;
  }
  for (const InconclusiveInfo& reason : inconclusiveTable()) {
    if (!reason.alignmentStatus) continue;
    EXPECT_NE(body.find(std::string("`INCONCLUSIVE ") + reason.words + "`"), std::string::npos)
        << reason.words;
  }
}

}  // namespace
}  // namespace stereolint
