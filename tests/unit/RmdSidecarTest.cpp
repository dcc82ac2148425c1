#include "sources/r3d/RmdSidecar.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/TempFolder.h"

namespace stereolint {
namespace {

const std::string horizontal = "<fliphorizontal type=\"bool\" value=\"true\"/>";
const std::string vertical = "<flipvertical type=\"bool\" value=\"true\"/>";

class RmdSidecar : public ::testing::Test {
 protected:
  // A clip path in the folder whose sidecar holds `text`.
  std::string clipWithSidecar(const std::string& name, const std::string& text) {
    const std::string clip = folder.file(name + ".R3D");
    test::writeTextFile(folder.file(name + ".RMD"), text);
    return clip;
  }
  test::TempFolder folder;
};

TEST_F(RmdSidecar, EachMarkerSetsItsOwnFlag) {
  const std::string both = clipWithSidecar(
      "A001_C002_0101XY_001", "<rmd>\n  " + horizontal + "\n  " + vertical + "\n</rmd>\n");
  EXPECT_TRUE(isFlippedHorizontally(both));
  EXPECT_TRUE(isFlippedVertically(both));

  const std::string onlyHorizontal = clipWithSidecar("left", "<rmd>" + horizontal + "</rmd>");
  EXPECT_TRUE(isFlippedHorizontally(onlyHorizontal));
  EXPECT_FALSE(isFlippedVertically(onlyHorizontal));

  const std::string windowsLines = clipWithSidecar("crlf", "<rmd>\r\n" + vertical + "\r\n");
  EXPECT_TRUE(isFlippedVertically(windowsLines));
}

TEST_F(RmdSidecar, OnlyTheExactMarkerOnOneLineCounts) {
  const std::string valueFalse =
      clipWithSidecar("false", "<fliphorizontal type=\"bool\" value=\"false\"/>\n");
  EXPECT_FALSE(isFlippedHorizontally(valueFalse));

  const std::string split = clipWithSidecar(
      "split", "<flipvertical type=\"bool\"\n value=\"true\"/>\n"
               "<fliphorizontal type=\"bool\" value=\n\"true\"/>\n");
  EXPECT_FALSE(isFlippedVertically(split));
  EXPECT_FALSE(isFlippedHorizontally(split));

  const std::string otherSpacing =
      clipWithSidecar("spacing", "<flipvertical  type=\"bool\" value=\"true\" />\n");
  EXPECT_FALSE(isFlippedVertically(otherSpacing));

  const std::string otherCase =
      clipWithSidecar("case", "<FlipVertical type=\"bool\" value=\"true\"/>\n");
  EXPECT_FALSE(isFlippedVertically(otherCase));
}

TEST_F(RmdSidecar, TheSidecarReplacesUpToThreeCharactersAfterTheLastDot) {
  test::writeTextFile(folder.file("take.RMD"), vertical);
  EXPECT_TRUE(isFlippedVertically(folder.file("take.r3d")));
  EXPECT_TRUE(isFlippedVertically(folder.file("take.X"))) << "a shorter extension";
  EXPECT_TRUE(isFlippedVertically(folder.file("take.")));
  test::writeTextFile(folder.file("long.RMDD"), vertical);
  EXPECT_TRUE(isFlippedVertically(folder.file("long.R3DD"))) << "the fourth character stays";
}

TEST_F(RmdSidecar, NoDotOrNoSidecarMeansNoFlip) {
  // Sidecars that a careless guess at the name would find.
  for (const char* name : {"nodot", "nodot.RMD", "nodotRMD"}) {
    test::writeTextFile(folder.file(name), vertical + "\n" + horizontal);
  }
  const std::string withoutDot = folder.file("nodot");
  ASSERT_EQ(withoutDot.find('.'), std::string::npos) << "the temporary folder has a dot";
  EXPECT_FALSE(isFlippedVertically(withoutDot));
  EXPECT_FALSE(isFlippedHorizontally(withoutDot));
  EXPECT_FALSE(isFlippedVertically(folder.file("missing.R3D")));
  EXPECT_FALSE(isFlippedHorizontally(folder.file("missing.R3D")));
}

TEST(RmdSidecarText, EveryLineIsSearchedForBothMarkers) {
  const auto flagsOf = [](const std::string& text) {
    std::istringstream stream(text);
    const SidecarFlags flags = readSidecarFlags(stream);
    return std::make_pair(flags.horizontal, flags.vertical);
  };
  EXPECT_EQ(flagsOf(""), std::make_pair(false, false));
  EXPECT_EQ(flagsOf("<rmd>" + vertical + horizontal + "</rmd>"), std::make_pair(true, true))
      << "both on one line, which has no line break";
  EXPECT_EQ(flagsOf("<rmd>\r\n" + horizontal + "\r\n</rmd>\r\n"), std::make_pair(true, false));
  EXPECT_EQ(flagsOf("<flipvertical type=\"bool\"\n value=\"true\"/>"),
            std::make_pair(false, false));
}

}  // namespace
}  // namespace stereolint
