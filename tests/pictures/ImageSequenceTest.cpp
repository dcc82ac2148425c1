// Finding the files of an image sequence from a pattern, a first file or a
// folder, and telling a sequence from a still. The files are empty: finding
// them does not read them.
#include "sources/ImageSequence.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>

#include "support/CurrentFolder.h"
#include "support/TempFolder.h"

namespace stereolint {
namespace {

class ImageSequence : public ::testing::Test {
 protected:
  void make(std::initializer_list<const char*> names) {
    for (const char* name : names) test::writeTextFile(folder.file(name), "");
  }
  // "name=number" for each file, in order, paths shown inside the folder.
  std::vector<std::string> found(const std::string& input) {
    Expected<SequenceFiles> sequence = findSequence(input);
    EXPECT_TRUE(sequence.ok()) << sequence.error();
    std::vector<std::string> files;
    if (!sequence) return files;
    for (const SequenceFile& file : sequence->files) {
      files.push_back(std::filesystem::path(file.path).filename().string() + "=" +
                      std::to_string(file.number));
    }
    return files;
  }
  std::vector<std::string> remarks(const std::string& input) {
    Expected<SequenceFiles> sequence = findSequence(input);
    return sequence ? sequence->remarks : std::vector<std::string>{"failed"};
  }
  test::TempFolder folder;
};

using Files = std::vector<std::string>;

TEST_F(ImageSequence, PatternsFindTheirNumberedFilesInOrder) {
  make({"take_L.000010.dpx", "take_L.000009.dpx", "take_L.1000000.dpx", "take_L.00011.dpx",
        "take_R.000009.dpx", "take_L.000012.png"});
  EXPECT_EQ(found(folder.file("take_L.%06d.dpx")),
            (Files{"take_L.000009.dpx=9", "take_L.000010.dpx=10", "take_L.1000000.dpx=1000000"}));

  make({"f1.png", "f2.png", "f10.png", "f03.png"});
  EXPECT_EQ(found(folder.file("f%d.png")), (Files{"f1.png=1", "f2.png=2", "f10.png=10"}));

  // A width pads with zeros, as FFmpeg reads it.
  make({"g0001.tif", "g0002.tif", "g12345.tif", "g3.tif"});
  EXPECT_EQ(found(folder.file("g%4d.tif")), (Files{"g0001.tif=1", "g0002.tif=2", "g12345.tif=12345"}));

  make({"50%_7.png"});
  EXPECT_EQ(found(folder.file("50%%_%d.png")), (Files{"50%_7.png=7"}));
}

TEST_F(ImageSequence, RelativeNamesStayRelative) {
  make({"take.0001.png", "take.0002.png"});
  const test::CurrentFolder inside(folder.path());
  for (const char* input : {"take.%04d.png", "take.0001.png"}) {
    Expected<SequenceFiles> sequence = findSequence(input);
    ASSERT_TRUE(sequence.ok()) << sequence.error();
    ASSERT_EQ(sequence->files.size(), 2u);
    EXPECT_EQ(sequence->files[1].path, "take.0002.png");
    EXPECT_EQ(sequence->name, "take.%04d.png");
  }
}

TEST_F(ImageSequence, GapsInTheNumberingAreNamedAsRanges) {
  make({"take_L.000001.dpx", "take_L.000002.dpx", "take_L.000003.dpx", "take_L.000004.dpx",
        "take_L.000008.dpx", "take_L.000009.dpx", "take_L.000010.dpx", "take_L.000011.dpx",
        "take_L.000013.dpx"});
  const std::string pattern = folder.file("take_L.%06d.dpx");
  EXPECT_EQ(remarks(pattern), (Files{"frames 5-7, 12 are missing from " + pattern}));

  make({"one1.png", "one3.png"});
  EXPECT_EQ(remarks(folder.file("one%d.png")),
            (Files{"frame 2 is missing from " + folder.file("one%d.png")}));

  make({"whole1.png", "whole2.png"});
  EXPECT_TRUE(remarks(folder.file("whole%d.png")).empty());

  // Many gaps: the first ranges, how many more, and the total.
  for (int i = 1; i <= 40; i += 2) test::writeTextFile(folder.file("odd" + std::to_string(i) + ".png"), "");
  EXPECT_EQ(remarks(folder.file("odd%d.png")),
            (Files{"frames 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24 and 7 more ranges are missing "
                   "from " + folder.file("odd%d.png") + " (19 frames)"}));
}

TEST_F(ImageSequence, TheFirstFileOfARunFindsTheFilesFromItOn) {
  make({"take_L.001000.dpx", "take_L.001001.dpx", "take_L.001002.dpx", "take_L.001004.dpx",
        "take_L.01003.dpx", "take_R.001002.dpx", "take_L.001003.png"});
  const std::string first = folder.file("take_L.001001.dpx");
  EXPECT_EQ(found(first), (Files{"take_L.001001.dpx=1001", "take_L.001002.dpx=1002",
                                 "take_L.001004.dpx=1004"}));
  // Named as a pattern in messages.
  EXPECT_EQ(remarks(first), (Files{"frame 1003 is missing from " + folder.file("take_L.%06d.dpx")}));

  // Without leading zeros the numbers are natural numbers.
  make({"shot9.jpg", "shot10.jpg", "shot011.jpg", "shot100.jpg"});
  EXPECT_EQ(found(folder.file("shot9.jpg")), (Files{"shot9.jpg=9", "shot10.jpg=10", "shot100.jpg=100"}));
}

TEST_F(ImageSequence, AFolderGivesItsPicturesInNaturalOrder) {
  make({"f10.png", "f2.png", "f1.PNG", "notes.txt", ".f3.png"});
  std::filesystem::create_directory(folder.file("f4.png"));
  EXPECT_EQ(found(folder.path()), (Files{"f1.PNG=1", "f2.png=2", "f10.png=10"}));
  EXPECT_EQ(remarks(folder.path()), (Files{"frames 3-9 are missing from " + folder.path()}));

  // Names without numbers, or numbers that do not rise: positions.
  test::TempFolder plain;
  for (const char* name : {"right.png", "left.png", "b7.jpg", "a9.jpg"}) {
    test::writeTextFile(plain.file(name), "");
  }
  EXPECT_EQ(found(plain.path() + "/"), (Files{"a9.jpg=1", "b7.jpg=2", "left.png=3", "right.png=4"}));
  EXPECT_TRUE(remarks(plain.path()).empty());
}

TEST_F(ImageSequence, NothingToReadIsAFailureNamingTheInput) {
  make({"take_L.000001.dpx", "notes.txt"});
  const std::string pattern = folder.file("take_R.%06d.dpx");
  EXPECT_EQ(findSequence(pattern).error(), "No file matches the picture pattern " + pattern);

  test::TempFolder empty;
  test::writeTextFile(empty.file("notes.txt"), "");
  EXPECT_EQ(findSequence(empty.path()).error(), "The folder " + empty.path() + " holds no picture files");

  EXPECT_NE(findSequence(folder.file("take_%d_%d.dpx")).error().find("exactly one frame number"),
            std::string::npos);
  EXPECT_NE(findSequence(folder.file("take_%s.dpx")).error().find("exactly one frame number"),
            std::string::npos);
  EXPECT_FALSE(findSequence(folder.file("take_L.000099.dpx")).ok());
  EXPECT_FALSE(findSequence(folder.file("notes.txt")).ok());
}

// "%" in the names of existing files: an existing file is a file, and its
// run's pattern writes the "%" as "%%", which reads back as "%".
TEST_F(ImageSequence, APercentSignInAnExistingFileNameIsPartOfTheName) {
  make({"grade 100%.0001.dpx", "grade 100%.0002.dpx"});
  const std::vector<std::string> both = {"grade 100%.0001.dpx=1", "grade 100%.0002.dpx=2"};
  EXPECT_TRUE(looksLikeSequence(folder.file("grade 100%.0001.dpx")));
  EXPECT_EQ(found(folder.file("grade 100%.0001.dpx")), both);
  EXPECT_EQ(findSequence(folder.file("grade 100%.0001.dpx"))->name,
            folder.file("grade 100%%.%04d.dpx"));
  EXPECT_EQ(found(folder.file("grade 100%%.%04d.dpx")), both);
}

TEST_F(ImageSequence, ALoneNumberedPictureStaysAStill) {
  make({"photo1.png", "shot1.png", "shot2.png", "f0009.png", "f0010.png", "plain.png",
        "take_L.001001.dpx", "take_L.001004.dpx"});
  EXPECT_FALSE(looksLikeSequence(folder.file("photo1.png")));
  EXPECT_FALSE(looksLikeSequence(folder.file("plain.png")));
  EXPECT_FALSE(looksLikeSequence(folder.file("shot2.png")));  // the last of its run
  EXPECT_FALSE(looksLikeSequence(folder.file("missing1.png")));
  EXPECT_TRUE(looksLikeSequence(folder.file("shot1.png")));
  EXPECT_TRUE(looksLikeSequence(folder.file("f0009.png")));
  EXPECT_TRUE(looksLikeSequence(folder.path()));
  EXPECT_TRUE(looksLikeSequence(folder.file("take.%04d.exr")));
  EXPECT_FALSE(looksLikeSequence(folder.file("50%.png")));
  EXPECT_TRUE(looksLikeSequence(folder.file("take_L.001001.dpx"))) << "a gap after the first file";
}

TEST(NaturalOrder, NumbersCompareByValue) {
  std::vector<std::string> names{"f10", "f2", "f1", "F3", "f01", "g", "f", "f1a", "f1b2", "f1b10"};
  std::sort(names.begin(), names.end(), naturalLess);
  EXPECT_EQ(names, (Files{"F3", "f", "f01", "f1", "f1a", "f1b2", "f1b10", "f2", "f10", "g"}));
}

}  // namespace
}  // namespace stereolint
