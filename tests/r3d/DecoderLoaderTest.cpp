// Which library the loader picks, and what it returns, for every kind of
// folder and library it can meet (stand-in variants, see tests/r3d-standin).
#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <filesystem>

#include "platform/Platform.h"
#include "sources/r3d/DecoderLibrary.h"
#include "sources/r3d/ExportGroups.h"
#include "support/TempFolder.h"
#include "r3d/StandinFolders.h"

namespace stereolint {
namespace {

using test::DecoderLoaderFixture;
using test::TempFolder;

class DecoderLoader : public DecoderLoaderFixture {};

// What the loaded stand-in's initialise function was given, read through a
// second reference to the library.
std::string settingsSeenByLoadedLibrary() {
  platform::ModuleHandle library =
      platform::openModule(lastDecoderLoad().chosenFolder + decoderLibraryFileName);
  using Seen = const char* (*)();
  const auto seen =
      reinterpret_cast<Seen>(platform::moduleSymbol(library, "STANDIN_SETTINGS_SEEN"));
  const std::string text = seen != nullptr ? seen() : "";
  platform::closeModule(library);
  return text;
}

bool anyGroupBound() {
  for (std::size_t group = 0; group < exportGroupCount; ++group) {
    if (isExportGroupBound(group)) return true;
  }
  return false;
}

TEST_F(DecoderLoader, LoadsTheLibraryOfTheGivenFolderAndUnloadsIt) {
  const std::string folder = STANDIN_FOLDER(v710);
  ASSERT_EQ(loadDecoderLibrary(folder, 0), 0);
  EXPECT_TRUE(decoderLibraryReady());
  for (std::size_t group = 0; group < exportGroupCount; ++group) {
    EXPECT_EQ(isExportGroupBound(group), exportGroups()[group].optionBit == 0)
        << exportGroups()[group].name;
  }
  const DecoderLoadReport& report = lastDecoderLoad();
  EXPECT_EQ(report.status, 0);
  ASSERT_EQ(report.candidates.size(), 1u);
  EXPECT_EQ(report.candidates[0].folder, folder + "/") << "the separator is appended";
  EXPECT_EQ(report.candidates[0].version, (DecoderVersion{7, 1, 0}));
  EXPECT_EQ(report.chosenFolder, folder + "/");
  EXPECT_EQ(report.banner, std::string(layerBanner) + " standin-v710 [" + folder + "/]");

  unloadDecoderLibrary();
  EXPECT_FALSE(decoderLibraryReady());
  EXPECT_FALSE(anyGroupBound());
  unloadDecoderLibrary();  // a second unload finds nothing to do
  EXPECT_EQ(lastDecoderLoad().status, 0) << "the report outlives the unload";
}

TEST_F(DecoderLoader, UnloadingWithNothingLoadedIsHarmless) {
  unloadDecoderLibrary();
  unloadDecoderLibrary();
  EXPECT_FALSE(decoderLibraryReady());
}

TEST_F(DecoderLoader, TheCurrentFolderIsProbedAsDotSlash) {
  TempFolder work;
  test::copyStandin(STANDIN_FOLDER(v710), work.path());
  char previous[PATH_MAX];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(work.path().c_str()), 0);
  const int status = loadDecoderLibrary(".", 0);
  const DecoderLoadReport report = lastDecoderLoad();
  unloadDecoderLibrary();
  ASSERT_EQ(chdir(previous), 0);

  EXPECT_EQ(status, 0);
  ASSERT_EQ(report.candidates.size(), 1u);
  EXPECT_EQ(report.candidates[0].folder, "./");
  EXPECT_EQ(report.chosenFolder, "./");
}

TEST_F(DecoderLoader, AnEmptyFolderIsRefusedBeforeAnythingIsProbed) {
  EXPECT_EQ(loadDecoderLibrary("", 0), 15);
  EXPECT_TRUE(lastDecoderLoad().candidates.empty());
  EXPECT_FALSE(decoderLibraryReady());
}

TEST_F(DecoderLoader, NoLibraryAnywhereGives2AndLeavesEveryTableUnbound) {
  TempFolder empty, alsoEmpty;
  setSdkPath(alsoEmpty.path());
  EXPECT_EQ(loadDecoderLibrary(empty.path(), 0), 2);
  EXPECT_FALSE(anyGroupBound());
  const DecoderLoadReport& report = lastDecoderLoad();
  ASSERT_EQ(report.candidates.size(), 2u);
  EXPECT_EQ(report.candidates[0].folder, empty.path() + "/");
  EXPECT_EQ(report.candidates[0].status, 2);
  EXPECT_EQ(report.candidates[1].folder, alsoEmpty.path() + "/");
  EXPECT_EQ(report.candidates[1].status, 2);
  EXPECT_EQ(report.chosenFolder, "");
}

// Each variant fails at one step; the load returns the step's status.
TEST_F(DecoderLoader, EachFailingLibraryGivesItsStatus) {
  const struct {
    std::string folder;
    int status;
  } cases[] = {
      {STANDIN_FOLDER(v702), 6},           // older than the layer
      {STANDIN_FOLDER(needs710), 6},       // demands a newer layer
      {STANDIN_FOLDER(wrongid), 7},        // another library's ID
      {STANDIN_FOLDER(noident), 7},        // an identification export missing
      {STANDIN_FOLDER(nogroup), 7},        // an always-bound group incomplete
      {STANDIN_FOLDER(initunusable), 2},   // initialise pass 0 returns 1
      {STANDIN_FOLDER(initfails), 42},     // initialise pass 2 returns 42
  };
  for (const auto& [folder, status] : cases) {
    EXPECT_EQ(loadDecoderLibrary(folder, 0), status) << folder;
    EXPECT_FALSE(anyGroupBound()) << folder;
    EXPECT_EQ(lastDecoderLoad().candidates.at(0).status, status) << folder;
    EXPECT_FALSE(lastDecoderLoad().candidates.at(0).reason.empty()) << folder;
    EXPECT_EQ(lastDecoderLoad().reason, lastDecoderLoad().candidates.at(0).reason) << folder;
  }
  EXPECT_EQ(loadDecoderLibrary(STANDIN_FOLDER(wrongid), 0), 7);
  EXPECT_EQ(lastDecoderLoad().reason, "another library (ID 52334411)");
  EXPECT_EQ(loadDecoderLibrary(STANDIN_FOLDER(initunusable), 0), 2);
  EXPECT_EQ(lastDecoderLoad().reason, "its first initialisation failed with code 1");
}

TEST_F(DecoderLoader, TheNewerLibraryWinsWhicheverFolderWasRegisteredFirst) {
  const std::string newer = STANDIN_FOLDER(v710), older = STANDIN_FOLDER(v705);
  setSdkPath(newer);
  ASSERT_EQ(loadDecoderLibrary(older, 0), 0);
  EXPECT_EQ(lastDecoderLoad().chosenFolder, newer + "/");
  EXPECT_EQ(lastDecoderLoad().candidates.at(0).folder, older + "/") << "registration order";

  setSdkPath(older);
  ASSERT_EQ(loadDecoderLibrary(newer, 0), 0);
  EXPECT_EQ(lastDecoderLoad().chosenFolder, newer + "/");
}

TEST_F(DecoderLoader, AmongEqualVersionsTheSdkPathWins) {
  TempFolder copy;
  test::copyStandin(STANDIN_FOLDER(v710), copy.path());
  setSdkPath(copy.path());
  ASSERT_EQ(loadDecoderLibrary(STANDIN_FOLDER(v710), 0), 0);
  EXPECT_EQ(lastDecoderLoad().chosenFolder, copy.path() + "/");
}

TEST_F(DecoderLoader, AnSdkPathNamingTheGivenFolderAgainIsRefusedAndTheFirstUsed) {
  const std::string folder = STANDIN_FOLDER(v710);
  setSdkPath(folder + "/");
  ASSERT_EQ(loadDecoderLibrary(folder, 0), 0);
  const DecoderLoadReport& report = lastDecoderLoad();
  ASSERT_EQ(report.candidates.size(), 1u);
  EXPECT_EQ(report.chosenFolder, folder + "/");
}

TEST_F(DecoderLoader, ARefusedLibraryLeavesTheNextCandidate) {
  setSdkPath(STANDIN_FOLDER(v705));
  ASSERT_EQ(loadDecoderLibrary(STANDIN_FOLDER(v702), 0), 0);
  EXPECT_EQ(lastDecoderLoad().candidates.at(0).status, 6);
  EXPECT_EQ(lastDecoderLoad().chosenFolder, STANDIN_FOLDER(v705) + "/");
}

TEST_F(DecoderLoader, ALibraryFailingAfterProbingLeavesTheNextCandidate) {
  setSdkPath(STANDIN_FOLDER(v705));
  ASSERT_EQ(loadDecoderLibrary(STANDIN_FOLDER(initfails), 0), 0);
  EXPECT_EQ(lastDecoderLoad().candidates.at(0).status, 42) << "the failure is recorded";
  EXPECT_EQ(lastDecoderLoad().chosenFolder, STANDIN_FOLDER(v705) + "/");
}

TEST_F(DecoderLoader, WithoutAnyUsableLibraryTheFolderThatGotFurthestGivesTheStatus) {
  TempFolder empty;
  const std::string tooOld =
      "library version 7.0.2 is older than this program's decoder layer 7.0.3";
  // A library refused for its version tells more than a folder without one,
  // whichever folder was registered first.
  setSdkPath(STANDIN_FOLDER(v702));
  EXPECT_EQ(loadDecoderLibrary(empty.path(), 0), 6);
  EXPECT_EQ(lastDecoderLoad().reason, tooOld);
  EXPECT_EQ(lastDecoderLoad().candidates.at(0).reason, "no library file there");
  setSdkPath(empty.path());
  EXPECT_EQ(loadDecoderLibrary(STANDIN_FOLDER(v702), 0), 6);
  EXPECT_EQ(lastDecoderLoad().reason, tooOld);
  // A library that failed after its probe outranks every failed probe.
  setSdkPath(STANDIN_FOLDER(v702));
  EXPECT_EQ(loadDecoderLibrary(STANDIN_FOLDER(initfails), 0), 42);
  EXPECT_EQ(lastDecoderLoad().reason, "the library's initialisation failed with code 42");
  // Among folders that got equally far the given folder counts first.
  setSdkPath(STANDIN_FOLDER(needs710));
  EXPECT_EQ(loadDecoderLibrary(STANDIN_FOLDER(v702), 0), 6);
  EXPECT_EQ(lastDecoderLoad().reason, tooOld);
  EXPECT_EQ(lastDecoderLoad().candidates.at(1).reason,
            "library version 7.1.0 needs decoder layer 7.1.0 or newer; this program has 7.0.3");
}

TEST_F(DecoderLoader, AFileThatIsNoLibraryIsReportedWithTheSystemsText) {
  TempFolder junk, empty;
  test::writeTextFile(test::standinLibrary(junk.path()), std::string(4096, 'x'));
  setSdkPath(junk.path());
  EXPECT_EQ(loadDecoderLibrary(empty.path(), 0), 2);
  const DecoderLoadReport& report = lastDecoderLoad();
  ASSERT_EQ(report.candidates.size(), 2u);
  EXPECT_EQ(report.candidates[0].reason, "no library file there");
  const std::string& reason = report.candidates[1].reason;
  EXPECT_EQ(reason.rfind("not a loadable library: ", 0), 0u) << reason;
  EXPECT_NE(reason.find(test::standinLibrary(junk.path())), std::string::npos)
      << "the system names the file: " << reason;
  EXPECT_EQ(report.reason, reason) << "a file that is there beats a folder without one";
}

TEST_F(DecoderLoader, ARedirectAddsAFolderThatCompetesLikeAnyOther) {
  const std::string redirecting = STANDIN_FOLDER(redirect);
  ASSERT_EQ(loadDecoderLibrary(redirecting, 0), 0);
  const DecoderLoadReport& report = lastDecoderLoad();
  ASSERT_EQ(report.candidates.size(), 2u);
  EXPECT_EQ(report.candidates[0].version, (DecoderVersion{7, 0, 5}));
  EXPECT_EQ(report.candidates[1].folder, STANDIN_FOLDER(v710) + "/");
  EXPECT_EQ(report.chosenFolder, STANDIN_FOLDER(v710) + "/");

  setDecoderTestMode(2);
  ASSERT_EQ(loadDecoderLibrary(redirecting, 0), 0);
  ASSERT_EQ(lastDecoderLoad().candidates.size(), 1u) << "test mode 2 ignores redirects";
  EXPECT_EQ(lastDecoderLoad().chosenFolder, redirecting + "/");
}

TEST_F(DecoderLoader, NoMoreThanTenFoldersAreProbed) {
  // Each load of this variant redirects to a folder text not seen before.
  const std::string endless = STANDIN_FOLDER(endless);
  ASSERT_EQ(loadDecoderLibrary(endless, 0), 0);
  const DecoderLoadReport& report = lastDecoderLoad();
  ASSERT_EQ(report.candidates.size(), 10u);
  EXPECT_EQ(report.candidates[9].index, 9u);
  EXPECT_EQ(report.chosenFolder, report.candidates[9].folder)
      << "equal versions: the last registered first";
}

TEST_F(DecoderLoader, EveryLoadStartsFromNothing) {
  ASSERT_EQ(loadDecoderLibrary(STANDIN_FOLDER(v710), 0), 0);
  EXPECT_EQ(loadDecoderLibrary(STANDIN_FOLDER(wrongid), 0), 7);
  EXPECT_FALSE(decoderLibraryReady()) << "the earlier library is gone";
  ASSERT_EQ(lastDecoderLoad().candidates.size(), 1u) << "and so are its folders";
}

// The layer settings arrive in the library as the record the header describes.
TEST_F(DecoderLoader, TheLibraryReceivesTheLayerSettingsInEveryPass) {
  setDecoderTestMode(7);
  setDecoderFlag(true);
  ASSERT_EQ(loadDecoderLibrary(STANDIN_FOLDER(imports), 1), 0);

  const std::string text = settingsSeenByLoadedLibrary();

  // Key 31 keeps the process's first folder, which an earlier test may have set.
  const std::string firstFolder = " 31=\"";
  const std::size_t at = text.find(firstFolder);
  ASSERT_NE(at, std::string::npos);
  const std::size_t end = text.find('"', at + firstFolder.size());
  const std::string folder31 = text.substr(at + firstFolder.size(), end - at - firstFolder.size());
  EXPECT_FALSE(folder31.empty());
  const std::string settings =
      " 0=0 10=7 11=0 12=3 13=\"35I46\" 14=\"20171005\""
      " 15=\"R3DAPI 7.0.3-35I46 (20171005 W32S)\" 20=\"S\" 30=1 31=\"" +
      folder31 + "\" 1000=1 1001=7\n";
  EXPECT_EQ(text, "pass 0:" + settings + "pass 1:" + settings + "pass 2:" + settings);
}

TEST_F(DecoderLoader, TheFirstFolderSettingStaysWithTheProcessFirstLoad) {
  const auto firstFolderSeen = [] {
    const std::string text = settingsSeenByLoadedLibrary();
    const std::size_t at = text.find(" 31=");
    return at == std::string::npos ? text : text.substr(at, text.find(' ', at + 1) - at);
  };
  ASSERT_EQ(loadDecoderLibrary(STANDIN_FOLDER(v710), 0), 0);
  const std::string first = firstFolderSeen();
  ASSERT_EQ(loadDecoderLibrary(STANDIN_FOLDER(v705), 0), 0);
  EXPECT_EQ(firstFolderSeen(), first) << "not the folder of the second load";
}

TEST(DecoderStatusText, NamesEveryStatusShortly) {
  EXPECT_NE(decoderStatusText(6).find("version rule failed"), std::string::npos);
  EXPECT_NE(decoderStatusText(2).find("could not be loaded"), std::string::npos);
  EXPECT_NE(decoderStatusText(4).find("option 2"), std::string::npos);
  EXPECT_NE(decoderStatusText(10).find("option 4"), std::string::npos);
  EXPECT_NE(decoderStatusText(42).find("42"), std::string::npos);
}

}  // namespace
}  // namespace stereolint
