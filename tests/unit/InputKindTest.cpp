#include <gtest/gtest.h>

#include "util/Constants.h"
#include "sources/InputKind.h"

namespace stereolint {
namespace {

TEST(InputKind, ListedExtensionsInAnyLetterCase) {
  const Constants& table = constants();
  for (const auto& [extensions, kind] : {std::pair{table.r3dExtensions, InputKind::R3D},
                                         std::pair{table.videoExtensions, InputKind::VIDEO},
                                         std::pair{table.imageExtensions, InputKind::IMAGE}}) {
    for (const std::string& extension : extensions) {
      EXPECT_EQ(inputKind("a." + extension, "b." + extension), kind) << extension;
    }
  }
  EXPECT_EQ(inputKind("movie.mov", "movie.MoV"), InputKind::VIDEO);
  EXPECT_EQ(inputKind("clip.tif", "clip.tif"), InputKind::IMAGE);
  EXPECT_EQ(inputKind("take.r3d", "take.R3D"), InputKind::R3D);
}

TEST(InputKind, UnsupportedPairs) {
  EXPECT_EQ(inputKind("a.png", "b.jpg"), InputKind::UNSUPPORTED) << "both known, but different";
  EXPECT_EQ(inputKind("a.tif", "a.tiff"), InputKind::UNSUPPORTED);
  EXPECT_EQ(inputKind("noextension", "noextension"), InputKind::UNSUPPORTED);
  EXPECT_EQ(inputKind("take.", "take."), InputKind::UNSUPPORTED);
  EXPECT_EQ(inputKind("take.gif", "take.gif"), InputKind::UNSUPPORTED);
  EXPECT_EQ(inputKind("clips.png/take", "clips.png/take"), InputKind::UNSUPPORTED)
      << "a dot in a folder name makes the folder's tail the extension";
}

}  // namespace
}  // namespace stereolint
