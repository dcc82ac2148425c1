// The export name lists are the binding contract with the decoding library:
// their sizes, forms and the positions of the clip entries must not drift.
#include "sources/r3d/ExportGroups.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

namespace stereolint {
namespace {

bool isCapital(char c) { return c >= 'A' && c <= 'Z'; }

bool isHexadecimalName(const std::string& name) {
  if (name.size() != 33 || name[0] != 'f') return false;
  for (std::size_t i = 1; i < name.size(); ++i) {
    if (!std::isxdigit(static_cast<unsigned char>(name[i]))) return false;
  }
  return true;
}

TEST(ExportGroups, NamesBitsAndSizesInBindingOrder) {
  const struct {
    const char* name;
    unsigned optionBit;
    std::size_t count;
  } expected[] = {
      {"ClipApi", 0, 62},       {"MetadataApi", 0, 13}, {"AsyncDecoderApi", 0, 8},
      {"RedRocketApi", 0, 13},  {"StreamApi", 0, 14},   {"REDCUDAAPI", 1, 9},
      {"REDCLAPI", 2, 9},       {"R3DDECODERAPI", 4, 18},
  };
  for (std::size_t i = 0; i < exportGroupCount; ++i) {
    const ExportGroup& group = exportGroups()[i];
    EXPECT_STREQ(group.name, expected[i].name);
    EXPECT_EQ(group.optionBit, expected[i].optionBit) << group.name;
    EXPECT_EQ(group.exportNames.size(), expected[i].count) << group.name;
  }
}

TEST(ExportGroups, EveryNameHasTheFormOfItsGroupAndIsUnique) {
  std::set<std::string> seen;
  for (const ExportGroup& group : exportGroups()) {
    std::string previous;
    for (const char* text : group.exportNames) {
      const std::string name = text;
      EXPECT_TRUE(seen.insert(name).second) << name << " twice";
      if (group.optionBit != 0) {
        EXPECT_TRUE(isHexadecimalName(name)) << name;
        continue;
      }
      ASSERT_EQ(name.size(), 7u) << name;
      EXPECT_EQ(name.substr(0, 4), "R3D_") << name;
      EXPECT_TRUE(isCapital(name[4]) && isCapital(name[5]) && isCapital(name[6])) << name;
      EXPECT_LT(previous, name) << group.name << " is in ascending order";
      previous = name;
    }
  }
  const auto& groups = exportGroups();
  EXPECT_STREQ(groups[1].exportNames.front(), "R3D_BAA");
  EXPECT_STREQ(groups[1].exportNames.back(), "R3D_BAM");
  EXPECT_STREQ(groups[2].exportNames.front(), "R3D_CAA");
  EXPECT_STREQ(groups[2].exportNames.back(), "R3D_CAH");
  EXPECT_STREQ(groups[3].exportNames.front(), "R3D_DAA");
  EXPECT_STREQ(groups[3].exportNames.back(), "R3D_DAP");
  EXPECT_STREQ(groups[4].exportNames.front(), "R3D_EAA");
  EXPECT_STREQ(groups[4].exportNames.back(), "R3D_GAD");
}

TEST(ExportGroups, ClipEntriesSitAtTheirNames) {
  const auto& names = exportGroups()[clipEntry::group].exportNames;
  EXPECT_STREQ(names[clipEntry::close], "R3D_AAA");
  EXPECT_STREQ(names[clipEntry::open], "R3D_AAC");
  EXPECT_STREQ(names[clipEntry::decode], "R3D_AAI");
  EXPECT_STREQ(names[clipEntry::width], "R3D_AAV");
  EXPECT_STREQ(names[clipEntry::height], "R3D_AAW");
  EXPECT_STREQ(names[clipEntry::frameCount], "R3D_AAX");
}

TEST(ExportGroups, NothingIsBoundWithoutALibrary) {
  for (std::size_t group = 0; group < exportGroupCount; ++group) {
    EXPECT_FALSE(isExportGroupBound(group));
    EXPECT_EQ(exportEntry(group, 0), nullptr);
  }
}

}  // namespace
}  // namespace stereolint
