#include "checkers/ParameterCheck.h"

#include <gtest/gtest.h>

#include "checkers/CheckerOptions.h"
#include "support/TempFolder.h"

namespace stereolint {
namespace {

const std::string kGood = "WIDTH:10,HEIGHT:10,DETECTOR:ORB,EXTRACTOR:ORB,"
                          "MATCHER:BruteForce-Hamming,HIERARCHY:VERTICAL";

TEST(CheckParameters, AcceptsAUsableString) {
  EXPECT_EQ(checkParameters(kGood), std::nullopt);
  EXPECT_EQ(checkParameters("WIDTH:5,HEIGHT:8,DETECTOR:GridPyramidFAST,EXTRACTOR:OpponentBRISK,"
                            "MATCHER:BruteForce-Hamming(2),HIERARCHY:SCALE"),
            std::nullopt);
}

TEST(CheckParameters, NothingIsRequiredWithoutASteps) {
  EXPECT_EQ(checkParameters(""), std::nullopt);
  EXPECT_EQ(checkParameters("HIERARCHY:vertical;TILT"), std::nullopt);
  EXPECT_EQ(checkParameters("HIERARCHY:;VERTICAL"), std::nullopt) << "an empty item ends the list";
}

TEST(CheckParameters, TileSizesMustBeWholeNumbersOfAtLeastOne) {
  EXPECT_EQ(checkParameters("HIERARCHY:ROTATION"),
            "Wrong parameter WIDTH \"\": a whole number of at least 1 is needed");
  EXPECT_EQ(checkParameters("HEIGHT:0," + kGood),
            "Wrong parameter HEIGHT \"0\": a whole number of at least 1 is needed");
  EXPECT_EQ(checkParameters("WIDTH:ten," + kGood),
            "Wrong parameter WIDTH \"ten\": a whole number of at least 1 is needed");
  EXPECT_EQ(checkParameters("WIDTH:5:x,HEIGHT:7%," + kGood), std::nullopt)
      << "read as the measurement reads them: 5 and 7";
}

TEST(CheckParameters, UnknownNamesAreRepeatedWithTheValidOnes) {
  EXPECT_EQ(checkParameters("DETECTOR:orb," + kGood),
            "Wrong parameter DETECTOR \"orb\": unknown detector; valid names: FAST, ORB, BRISK, "
            "MSER, GFTT, HARRIS, SimpleBlob, SIFT, Dense, AKAZE, KAZE, AGAST; prefixes: Grid, "
            "Pyramid");
  EXPECT_EQ(checkParameters("MATCHER:Hamming," + kGood),
            "Wrong parameter MATCHER \"Hamming\": unknown matcher; valid names: BruteForce, "
            "BruteForce-L1, BruteForce-SL2, BruteForce-Hamming, BruteForce-Hamming(2), "
            "FlannBased");
  EXPECT_EQ(checkParameters("EXTRACTOR:Opponent," + kGood),
            "Wrong parameter EXTRACTOR \"Opponent\": unknown extractor; valid names: ORB, BRISK, "
            "SIFT, AKAZE, KAZE; prefixes: Opponent")
      << "a prefix alone names nothing";
}

TEST(CheckParameters, OlderNamesMissingFromThisBuildAreSaidSo) {
  EXPECT_EQ(checkParameters("DETECTOR:GridSURF," + kGood),
            "Wrong parameter DETECTOR \"GridSURF\": not available in this build of the image "
            "library");
  EXPECT_EQ(checkParameters("EXTRACTOR:FREAK," + kGood),
            "Wrong parameter EXTRACTOR \"FREAK\": not available in this build of the image "
            "library");
}

TEST(CheckParameters, ANameOfManyPrefixesIsRefusedInLittleMemory) {
  // As long as a command-line word can be: the check once copied the rest of
  // the name for every prefix, recursing once per prefix, and ran out of
  // stack; and detection through thousands of nested wrappers would too.
  std::string prefixes;
  for (int i = 0; i < 32000; ++i) prefixes += "Grid";
  EXPECT_EQ(checkParameters("DETECTOR:" + prefixes + "FAST," + kGood),
            "Wrong parameter DETECTOR \"" + prefixes + "FAST\": more than 8 prefixes");
  EXPECT_EQ(checkParameters("DETECTOR:GridPyramidGridPyramidGridPyramidGridPyramidFAST," + kGood),
            std::nullopt)
      << "eight are fine";
}

TEST(CheckParameters, AMatcherMustReadTheExtractorsDescriptors) {
  const std::string steps = "WIDTH:10,HEIGHT:10,DETECTOR:FAST,HIERARCHY:VERTICAL,";
  const std::string forBinary = "\"; use BruteForce-Hamming or BruteForce-Hamming(2)";
  const std::string forFloat = "\"; use BruteForce, BruteForce-L1, BruteForce-SL2 or FlannBased";
  const std::string flann = "Wrong parameter MATCHER \"FlannBased\": cannot compare the binary ";
  EXPECT_EQ(checkParameters(steps + "EXTRACTOR:ORB,MATCHER:FlannBased"),
            flann + "descriptors of EXTRACTOR \"ORB" + forBinary);
  EXPECT_EQ(checkParameters(steps + "EXTRACTOR:OpponentAKAZE,MATCHER:FlannBased"),
            flann + "descriptors of EXTRACTOR \"OpponentAKAZE" + forBinary);
  EXPECT_EQ(checkParameters(steps + "EXTRACTOR:BRISK,MATCHER:FlannBased"),
            flann + "descriptors of EXTRACTOR \"BRISK" + forBinary);
  EXPECT_EQ(checkParameters(steps + "EXTRACTOR:SIFT,MATCHER:BruteForce-Hamming"),
            "Wrong parameter MATCHER \"BruteForce-Hamming\": cannot compare the floating-point "
            "descriptors of EXTRACTOR \"SIFT" + forFloat);
  EXPECT_EQ(checkParameters(steps + "EXTRACTOR:OpponentKAZE,MATCHER:BruteForce-Hamming(2)"),
            "Wrong parameter MATCHER \"BruteForce-Hamming(2)\": cannot compare the floating-point "
            "descriptors of EXTRACTOR \"OpponentKAZE" + forFloat);
}

TEST(CheckParameters, MatchersThatReadTheDescriptorsAreAccepted) {
  const std::string steps = "WIDTH:10,HEIGHT:10,DETECTOR:FAST,HIERARCHY:SCALE,";
  for (const char* pair : {"EXTRACTOR:SIFT,MATCHER:FlannBased", "EXTRACTOR:KAZE,MATCHER:BruteForce",
                           "EXTRACTOR:SIFT,MATCHER:BruteForce-L1",
                           "EXTRACTOR:AKAZE,MATCHER:BruteForce-Hamming(2)",
                           "EXTRACTOR:OpponentORB,MATCHER:BruteForce-Hamming",
                           "EXTRACTOR:ORB,MATCHER:BruteForce"}) {
    EXPECT_EQ(checkParameters(steps + pair), std::nullopt) << pair;
  }
  EXPECT_EQ(checkParameters("EXTRACTOR:ORB,MATCHER:FlannBased,HIERARCHY:TILT"), std::nullopt)
      << "nothing is matched without a step";
}

// The manual page and the completion list the keys of kCheckerKeys; the
// README's table of parameters must name the same keys.
TEST(CheckParameters, ReadmeListsEveryKeyOfTheTable) {
  const std::string readme = test::readTextFile(std::string(STEREOLINT_SOURCE_DIR) + "/README.md");
  const size_t section = readme.find("## Parameters");
  ASSERT_NE(section, std::string::npos);
  const std::string body = readme.substr(section, readme.find("\n## ", section + 1) - section);
  for (const CheckerKey& key : kCheckerKeys)
    EXPECT_NE(body.find(std::string("`") + key.name + "`"), std::string::npos) << key.name;
}

}  // namespace
}  // namespace stereolint
