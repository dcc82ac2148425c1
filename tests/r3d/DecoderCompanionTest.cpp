// Companion libraries ("RED_IMPORTS") and the optional export groups they
// serve, with their statuses and log lines.
#include <gtest/gtest.h>

#include <string>

#include "sources/r3d/DecoderLibrary.h"
#include "sources/r3d/ExportGroups.h"
#include "support/StdoutCapture.h"
#include "r3d/StandinFolders.h"

namespace stereolint {
namespace {

using test::DecoderLoaderFixture;
using test::StdoutCapture;

constexpr std::size_t cudaGroup = 5;  // "REDCUDAAPI", option bit 1

class DecoderCompanion : public DecoderLoaderFixture {
 protected:
  // Loads with the log on; keeps the log.
  int load(const std::string& folder, unsigned options) {
    setDecoderLogLevel(0xFF);
    StdoutCapture capture;
    const int status = loadDecoderLibrary(folder, options);
    log = capture.text();
    return status;
  }

  ::testing::AssertionResult logHas(const std::string& lines) const {
    if (log.find(lines) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the log\n" << log << "lacks\n" << lines;
  }

  std::string log;
};

TEST_F(DecoderCompanion, ACompanionIsLoadedFromTheSameFolderWithoutBeingAskedFor) {
  const std::string folder = STANDIN_FOLDER(imports);
  ASSERT_EQ(load(folder, 0), 0);
  EXPECT_TRUE(logHas("[OK LOAD   ]\n[LOAD LIB  ] " + folder +
                     "/R3DCOMPANION-x86.dll\n[INIT0     ]\n[OK INIT0  ]\n[OK LOAD   ]\n"));
  EXPECT_FALSE(isExportGroupBound(cudaGroup));
  EXPECT_EQ(lastDecoderLoad().banner, std::string(layerBanner) +
                                          " standin-imports companion-imports [" + folder + "/]");

  StdoutCapture capture;
  unloadDecoderLibrary();
  EXPECT_EQ(capture.text(),
            "[FINALIZE  ] 52334420 companion-imports\n[UNLOAD LIB] 52334420 companion-imports\n"
            "[FINALIZE  ] 52334410 standin-imports\n[UNLOAD LIB] 52334410 standin-imports\n")
      << "last loaded first";
}

TEST_F(DecoderCompanion, AnOptionalGroupIsBoundFromTheFirstModuleThatHasAllItsNames) {
  ASSERT_EQ(load(STANDIN_FOLDER(imports), 1), 0);
  EXPECT_TRUE(isExportGroupBound(cudaGroup));
  std::string notInTheLibrary;
  for (const char* name : exportGroups()[cudaGroup].exportNames) {
    notInTheLibrary += "[NOT FOUND ] " + std::string(name) + "\n";
  }
  EXPECT_TRUE(logHas("[LOAD SYM  ] REDCUDAAPI\n" + notInTheLibrary + "[OK SYM    ] REDCUDAAPI\n"
                     "[SKIP SYM  ] REDCLAPI\n"));
  EXPECT_FALSE(logHas("[WARN INT. ]"));
}

TEST_F(DecoderCompanion, AnOptionNobodyServesIsWarnedAboutAndFailsItsGroup) {
  EXPECT_EQ(load(STANDIN_FOLDER(imports), 1 | 2), 9);
  EXPECT_TRUE(logHas("[OK LOAD   ]\n[WARN INT. ] unknown options: 2\n[LOAD LIB  ]"));
  EXPECT_TRUE(logHas("[FAIL SYM  ] REDCLAPI\n"));
  EXPECT_FALSE(isExportGroupBound(0)) << "groups bound before the failure are unbound too";
  EXPECT_FALSE(isExportGroupBound(cudaGroup));

  EXPECT_EQ(load(STANDIN_FOLDER(v710), 4), 10);
  EXPECT_TRUE(logHas("[WARN INT. ] unknown options: 4\n"));
  EXPECT_TRUE(logHas("[FAIL SYM  ] R3DDECODERAPI\n"));
}

TEST_F(DecoderCompanion, GroupsFromModulesOfAnotherMinorVersionDoNotMatch) {
  const std::string folder = STANDIN_FOLDER(importsmismatch);
  EXPECT_EQ(load(folder, 1), 8);
  EXPECT_TRUE(logHas("[LOAD SYM  ] REDCUDAAPI\n"));
  EXPECT_TRUE(logHas("[FAIL MATCH] version 7.0.5\n"));
  EXPECT_FALSE(isExportGroupBound(0));

  EXPECT_EQ(load(folder, 0), 0) << "the mismatching group is not asked for";

  setDecoderTestMode(1);
  EXPECT_EQ(load(folder, 1), 0);
  EXPECT_TRUE(logHas("[LOAD SYM  ] MetadataApi\n[TEST  TEST] SKIPPING MATCH\n"));
  EXPECT_TRUE(isExportGroupBound(cudaGroup));
}

TEST_F(DecoderCompanion, EachCompanionFailureHasTheStatusOfItsOptionBit) {
  const std::string missing = STANDIN_FOLDER(importsmissing);
  EXPECT_EQ(load(missing, 0), 4);  // option bit 2
  EXPECT_TRUE(logHas("[FAIL LOAD ] 1 -> 4 - " + missing + "/MISSING-x86.dll\n[FAIL LOAD ]\n"));

  EXPECT_EQ(load(STANDIN_FOLDER(importswrongid), 0), 10);  // option bit 4
  EXPECT_TRUE(logHas("[FAIL ID   ] 52334420\n"));

  EXPECT_EQ(load(STANDIN_FOLDER(importsold), 0), 6);
  EXPECT_TRUE(logHas("[FAIL VER  ] (1) dynamic version below 7.0.3\n[FAIL LOAD ]\n"));

  EXPECT_EQ(lastDecoderLoad().candidates.at(0).status, 6) << "the probe had passed";
  EXPECT_FALSE(decoderLibraryReady());
}

TEST_F(DecoderCompanion, NoMoreThanTwentyModulesAreLoaded) {
  // The library lists its companion twenty times; the twentieth is one too many.
  EXPECT_EQ(load(STANDIN_FOLDER(manyimports), 0), 16);
  EXPECT_TRUE(logHas("[OK LOAD   ]\n[FAIL INT. ] loading too many libraries\n[FAIL LOAD ]\n"));
  EXPECT_FALSE(decoderLibraryReady());
}

}  // namespace
}  // namespace stereolint
