// The loader's log, byte for byte, at log level 0xFF, and its silence below.
#include <gtest/gtest.h>

#include <string>

#include "platform/Platform.h"
#include "sources/r3d/DecoderLibrary.h"
#include "support/StdoutCapture.h"
#include "support/TempFolder.h"
#include "r3d/StandinFolders.h"

namespace stereolint {
namespace {

using test::DecoderLoaderFixture;
using test::StdoutCapture;
using test::TempFolder;

class DecoderLoaderLog : public DecoderLoaderFixture {
 protected:
  // What one load prints at log level 0xFF, and its status.
  static std::string logOfLoad(const std::string& folder, unsigned options, int* status = nullptr) {
    setDecoderLogLevel(0xFF);
    StdoutCapture capture;
    const int result = loadDecoderLibrary(folder, options);
    if (status != nullptr) *status = result;
    return capture.text();
  }

};

::testing::AssertionResult hasLines(const std::string& log, const std::string& lines) {
  if (log.find(lines) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "the log\n" << log << "lacks\n" << lines;
}

const std::string dashes = "----------------------\n";
const std::string fiveGroups =
    "[LOAD SYM  ] ClipApi\n[OK SYM    ] ClipApi\n"
    "[LOAD SYM  ] MetadataApi\n[OK SYM    ] MetadataApi\n"
    "[LOAD SYM  ] AsyncDecoderApi\n[OK SYM    ] AsyncDecoderApi\n"
    "[LOAD SYM  ] RedRocketApi\n[OK SYM    ] RedRocketApi\n"
    "[LOAD SYM  ] StreamApi\n[OK SYM    ] StreamApi\n";
const std::string optionalGroupsSkipped =
    "[SKIP SYM  ] REDCUDAAPI\n[SKIP SYM  ] REDCLAPI\n[SKIP SYM  ] R3DDECODERAPI\n";

std::string loadLines(const std::string& path) {
  return "[LOAD LIB  ] " + path + "\n[INIT0     ]\n[OK INIT0  ]\n[OK LOAD   ]\n";
}

TEST_F(DecoderLoaderLog, ASuccessfulLoadAndItsUnload) {
  const std::string folder = STANDIN_FOLDER(v710);
  const std::string library = folder + "/REDR3D-x86.dll";
  const std::string candidates = dashes + "0: idx = 0, status = 0, version = 7.1.0: " + folder +
                                 "/\n" + dashes;
  const std::string unload =
      "[FINALIZE  ] 52334410 standin-v710\n[UNLOAD LIB] 52334410 standin-v710\n";

  EXPECT_EQ(logOfLoad(folder, 0),
            "[INIT LIB  ] 0x0 at " + folder + "\n-R3DAPI 7.0.3-35I46 (20171005 W32S)\n" +
                "[LOAD PATH ] " + folder + "\n" + loadLines(library) + candidates + unload +
                loadLines(library) + fiveGroups + optionalGroupsSkipped +
                "[INIT1     ]\n[OK INIT1  ]\n[INIT2     ]\n[OK INIT2  ]\n" + candidates +
                "-R3DAPI 7.0.3-35I46 (20171005 W32S) standin-v710 [" + folder + "/]\n" +
                "[OK INIT   ]\n");

  StdoutCapture capture;
  unloadDecoderLibrary();
  unloadDecoderLibrary();
  EXPECT_EQ(capture.text(), unload);
}

TEST_F(DecoderLoaderLog, NoLibraryAnywhere) {
  TempFolder empty;
  const std::string library = empty.path() + "/REDR3D-x86.dll";
  int status = 0;
  const std::string log = logOfLoad(empty.path(), 0, &status);
  const std::string candidates = dashes + "0: idx = 0, status = 2, version = 0.0.0: " +
                                 empty.path() + "/\n" + dashes;
  EXPECT_EQ(status, 2);
  EXPECT_EQ(log, "[INIT LIB  ] 0x0 at " + empty.path() +
                     "\n-R3DAPI 7.0.3-35I46 (20171005 W32S)\n[LOAD PATH ] " + empty.path() +
                     "\n[LOAD LIB  ] " + library + "\n[FAIL LOAD ] " + platform::moduleError() +
                     "\n[FAIL LOAD ] 1 -> 2 - " + library + "\n" + candidates + candidates +
                     "[FAIL INIT ] error 2\n");
}

TEST_F(DecoderLoaderLog, AMissingFolderOnlyAnnouncesTheLoad) {
  EXPECT_EQ(logOfLoad("", 0x10), "[INIT LIB  ] 0x10 at \n-R3DAPI 7.0.3-35I46 (20171005 W32S)\n");
}

TEST_F(DecoderLoaderLog, TheVersionRuleNamesTheLayerVersion) {
  const std::string below = "[OK LOAD   ]\n[FAIL VER  ] (0) dynamic version below 7.0.3\n" +
                            dashes + "0: idx = 0, status = 6, version = 7.0.2: ";
  EXPECT_TRUE(hasLines(logOfLoad(STANDIN_FOLDER(v702), 0), below));
  const std::string tooOld = "[FAIL VER  ] (0) static version too old: 7.0.3\n";
  EXPECT_TRUE(hasLines(logOfLoad(STANDIN_FOLDER(needs710), 0), tooOld));
}

TEST_F(DecoderLoaderLog, LibrariesThatFailWhileLoading) {
  // Not identified yet: unloaded without an ID.
  const std::string noIdentification = "[LOAD LIB  ] " + STANDIN_FOLDER(noident) +
                                       "/REDR3D-x86.dll\n[FAIL SYM  ] API\n[UNLOAD LIB]\n";
  EXPECT_TRUE(hasLines(logOfLoad(STANDIN_FOLDER(noident), 0), noIdentification));

  const std::string unusable = "[INIT0     ]\n[FAIL INIT0] 1\n[UNLOAD LIB]\n";
  EXPECT_TRUE(hasLines(logOfLoad(STANDIN_FOLDER(initunusable), 0), unusable));

  // Identified and initialised: finalised before it goes.
  const std::string wrongId =
      "[OK INIT0  ]\n[FAIL ID   ] 52334411\n"
      "[FINALIZE  ] 52334411 standin-wrongid\n[UNLOAD LIB] 52334411 standin-wrongid\n";
  EXPECT_TRUE(hasLines(logOfLoad(STANDIN_FOLDER(wrongid), 0), wrongId));
}

TEST_F(DecoderLoaderLog, LibrariesThatFailAfterProbing) {
  const std::string missingExport =
      "[LOAD SYM  ] StreamApi\n[NOT FOUND ] R3D_GAD\n[FAIL SYM  ] StreamApi\n" + dashes;
  EXPECT_TRUE(hasLines(logOfLoad(STANDIN_FOLDER(nogroup), 0), missingExport));

  const std::string failedPass = "[OK INIT1  ]\n[INIT2     ]\n[FAIL INIT2] library 52334410\n" +
                                 dashes + "0: idx = 0, status = 42, version = 7.1.0: ";
  const std::string log = logOfLoad(STANDIN_FOLDER(initfails), 0);
  EXPECT_TRUE(hasLines(log, failedPass));
  EXPECT_EQ(log.substr(log.size() - 22), "[FAIL INIT ] error 42\n");
}

TEST_F(DecoderLoaderLog, FoldersThatCannotBeRegistered) {
  const std::string folder = STANDIN_FOLDER(v710);
  setSdkPath(folder + "/");
  const std::string twice = "[LOAD PATH ] " + folder + "/\n[FAIL INT. ] path '" + folder +
                            "/' already exists at index 0\n" + dashes;
  EXPECT_TRUE(hasLines(logOfLoad(folder, 0), twice));

  const std::string tooMany = "[FAIL INT. ] too many paths\n" + dashes + "0: idx = 9, status = 0";
  EXPECT_TRUE(hasLines(logOfLoad(STANDIN_FOLDER(endless), 0), tooMany));
}

TEST_F(DecoderLoaderLog, CandidatesAreListedInTheOrderTheyAreTried) {
  const std::string older = STANDIN_FOLDER(v705), newer = STANDIN_FOLDER(v710);
  setSdkPath(newer);
  const std::string order = dashes + "0: idx = 1, status = 0, version = 7.1.0: " + newer + "/\n" +
                            "1: idx = 0, status = 0, version = 7.0.5: " + older + "/\n" + dashes;
  EXPECT_TRUE(hasLines(logOfLoad(older, 0), order));
}

TEST_F(DecoderLoaderLog, TestModesAnnounceWhatTheySkip) {
  setDecoderTestMode(2);
  const std::string ignored =
      "[TEST  TEST] IGNORING REDIRECT " + STANDIN_FOLDER(v710) + "\n" + dashes;
  EXPECT_TRUE(hasLines(logOfLoad(STANDIN_FOLDER(redirect), 0), ignored));
}

TEST_F(DecoderLoaderLog, SilentBelowLogLevel0xFF) {
  for (unsigned level : {0u, 1u, 0xFEu, 0x1FFu}) {
    setDecoderLogLevel(level);
    StdoutCapture capture;
    EXPECT_EQ(loadDecoderLibrary(STANDIN_FOLDER(v710), 0), 0);
    unloadDecoderLibrary();
    EXPECT_EQ(capture.text(), "") << "log level " << level;
  }
}

}  // namespace
}  // namespace stereolint
