#include "util/Paths.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>

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
  std::filesystem::create_symlink(folder.file("empty.png"), folder.file("link.png"));
  EXPECT_TRUE(fileExists(folder.file("link.png")));
  // Opening a named pipe would wait for a writer.
  ASSERT_EQ(mkfifo(folder.file("pipe.png").c_str(), 0600), 0);
  EXPECT_FALSE(fileExists(folder.file("pipe.png")));
}

}  // namespace
}  // namespace stereolint
