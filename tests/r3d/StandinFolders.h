// Where the build put the stand-in decoder variants (tests/r3d-standin), and
// a fixture that leaves the process-wide decoder loader as it found it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "sources/r3d/DecoderInterface.h"
#include "sources/r3d/DecoderLibrary.h"
#include "sources/r3d/LoaderLog.h"

namespace stereolint::test {

// The folder of a variant, as the build names it (no trailing separator).
#define STANDIN_FOLDER(variant) std::string(STANDIN_FOLDER_##variant)

// The library file in `folder` (which has no trailing separator).
inline std::string standinLibrary(const std::string& folder) {
  return folder + "/" + decoderLibraryFileName;
}

// Copies the library of `fromFolder` into `toFolder` (which must exist).
inline void copyStandin(const std::string& fromFolder, const std::string& toFolder) {
  std::filesystem::copy_file(standinLibrary(fromFolder), standinLibrary(toFolder),
                             std::filesystem::copy_options::overwrite_existing);
}

// Every test starts and ends with nothing loaded, no R3DSDKPATH and the
// loader settings at 0.
class DecoderLoaderFixture : public ::testing::Test {
 protected:
  void SetUp() override { reset(); }
  void TearDown() override { reset(); }

  static void setSdkPath(const std::string& folder) { setenv("R3DSDKPATH", folder.c_str(), 1); }

 private:
  static void reset() {
    unloadDecoderLibrary();
    unsetenv("R3DSDKPATH");
    setDecoderLogLevel(0);
    setDecoderTestMode(0);
    setDecoderFlag(false);
  }
};

}  // namespace stereolint::test
