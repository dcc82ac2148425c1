#include "sources/Paths.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

namespace stereolint {
namespace {

TEST(FileExtension, UpperCasesTheTextAfterTheLastDot) {
  EXPECT_EQ(fileExtension("take.MoV"), "MOV");
  EXPECT_EQ(fileExtension("a/b.c/take.01.tif"), "TIF");
  EXPECT_EQ(fileExtension("noextension"), "");
  EXPECT_EQ(fileExtension("clips.v2/take"), "V2/TAKE") << "a dot in a folder name counts";
  EXPECT_EQ(fileExtension("trailing."), "");
}

TEST(FileBaseName, CutsFoldersAndTheLastExtension) {
  EXPECT_EQ(fileBaseName("/footage/take.01.mov"), "take.01");
  EXPECT_EQ(fileBaseName("take.mov"), "take");
  EXPECT_EQ(fileBaseName("clips/take"), "take");
  EXPECT_EQ(fileBaseName("folder/"), "");
}

TEST(FileExists, OnlyReadableFiles) {
  test::TempFolder folder;
  test::writeTextFile(folder.file("empty.png"), "");
  EXPECT_TRUE(fileExists(folder.file("empty.png")));
  EXPECT_FALSE(fileExists(folder.file("missing.png")));
  EXPECT_FALSE(fileExists(folder.path()));
  EXPECT_FALSE(fileExists(""));
}

}  // namespace
}  // namespace stereolint
