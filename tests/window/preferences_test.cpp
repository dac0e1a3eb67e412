// The preferences file's bytes, a failed write, and the user's choice of the
// tool folder that it remembers.

#include "WindowTestFixture.h"

#include <csignal>
#include <sys/resource.h>

namespace {

using namespace windowtest;

class PreferencesTest : public WindowTest {
protected:
  void SetUp() override {
    WindowTest::SetUp();
    window = open();
  }
  Halvorn* window = nullptr;
};

struct LayoutCase {
  const char* name;
  std::string place;
  std::optional<std::string> tide;
  std::optional<std::string> database;
  std::string bytes;
};

// Cases print by name in test listings.
void PrintTo(const LayoutCase& c, std::ostream* os) {
  *os << c.name;
}

class PreferencesLayoutTest : public PreferencesTest,
                              public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(PreferencesLayoutTest, ThreeLengthPrefixedStrings) {
  const LayoutCase& c = GetParam();
  window->thePlace = c.place;
  if (c.tide)
    toolPaths().tidePath = fw::FolderItem(*c.tide);
  if (c.database)
    toolPaths().hfilepath = fw::FolderItem(*c.database);
  window->SavePreferences();
  EXPECT_EQ(preferences(), c.bytes);
}

const std::string kLongPath = "/opt/" + std::string(291, 'd') + "/tide";    // 300 bytes
const std::string kLongestPath = "/opt/" + std::string(245, 'd') + "/tide"; // 255 bytes

INSTANTIATE_TEST_SUITE_P(
    Cases, PreferencesLayoutTest,
    ::testing::Values(
        LayoutCase{"NothingKnown",
                   "Astoria, Oregon",
                   {},
                   {},
                   "\x0f"
                   "Astoria, Oregon" +
                       std::string(2, '\0')},
        LayoutCase{"EmptyPlace", "", "/opt/tides/tide", "/opt/tides/harmonics.tcd",
                   std::string(1, '\0') + "\x0f/opt/tides/tide\x18/opt/tides/harmonics.tcd"},
        LayoutCase{"BytesAsTheyAre",
                   "Île d'Yeu",
                   "/home/me/My Tides/tide",
                   {},
                   pstring("Île d'Yeu") + pstring("/home/me/My Tides/tide") + pstring("")},
        // A cut path would name another file: stored as unknown instead.
        LayoutCase{"PathLongerThan255BytesStoredEmpty", "Astoria, Oregon", kLongPath,
                   "/opt/tides/harmonics.tcd",
                   pstring("Astoria, Oregon") + pstring("") + pstring("/opt/tides/harmonics.tcd")},
        LayoutCase{"PathOf255BytesKept",
                   "",
                   kLongestPath,
                   {},
                   pstring("") + pstring(kLongestPath) + pstring("")},
        LayoutCase{"PlaceLongerThan255BytesStoredEmpty",
                   std::string(256, 'p'),
                   {},
                   {},
                   std::string(3, '\0')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PreferencesTest, ALongPathIsFoundAgainInsteadOfRememberedWrong) {
  toolPaths().tidePath = fw::FolderItem(kLongPath);
  window->thePlace = "Astoria, Oregon";
  window->Close();
  toolPaths() = ToolPaths{};
  Halvorn* next = open();
  EXPECT_EQ(next->thePlace, "Astoria, Oregon");
  EXPECT_FALSE(toolPaths().tidePath);
}

TEST_F(PreferencesTest, RoundTripThroughANewWindow) {
  const std::string tide = (home / "My Tides" / "tide").string();
  const std::string database = (home / "My Tides" / "harmonics.txt").string();
  makeFile(tide);
  makeFile(database);
  window->thePlace = "Île d'Yeu";
  toolPaths().tidePath = fw::FolderItem(tide);
  toolPaths().hfilepath = fw::FolderItem(database);
  window->SavePreferences();

  toolPaths() = ToolPaths{};
  Halvorn* next = open();
  EXPECT_EQ(next->thePlace, "Île d'Yeu");
  ASSERT_TRUE(toolPaths().tidePath);
  ASSERT_TRUE(toolPaths().hfilepath);
  EXPECT_EQ(toolPaths().tidePath->AbsolutePath(), tide);
  EXPECT_EQ(toolPaths().hfilepath->AbsolutePath(), database);
}

// A full disk, as root can't be kept out of a folder by its permissions: no
// write may grow a file at all.
class NoRoomToWrite {
public:
  NoRoomToWrite() {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    previousSignal_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit none = saved_;
    none.rlim_cur = 0;
    ::setrlimit(RLIMIT_FSIZE, &none);
  }
  ~NoRoomToWrite() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previousSignal_);
  }

private:
  rlimit saved_{};
  void (*previousSignal_)(int) = nullptr;
};

TEST_F(PreferencesTest, AFailedWriteKeepsTheEarlierFileAndSaysNothing) {
  ScopedDialogResponder dialogs;
  window->thePlace = "Astoria, Oregon";
  window->SavePreferences();
  const std::string earlier = preferences();
  ASSERT_EQ(earlier, preferencesBytes("Astoria, Oregon", "", ""));

  window->thePlace = "West Seattle";
  {
    NoRoomToWrite full;
    window->SavePreferences();
  }
  EXPECT_EQ(preferences(), earlier);
  EXPECT_TRUE(dialogs->calls.empty());
  // No half-written temporary file is left beside it.
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(home / "config"))
    ++entries;
  EXPECT_EQ(entries, 1);
}

TEST_F(PreferencesTest, NoPreferencesFolderSavesNothingAndSaysNothing) {
  ScopedDialogResponder dialogs;
  const fs::path blocker = home / "a file";
  writeBytes(blocker, "keep");
  environment.set("XDG_CONFIG_HOME", (blocker / "config").string());
  window->thePlace = "Astoria, Oregon";
  window->SavePreferences();
  window->Close();
  EXPECT_EQ(readBytes(blocker), "keep");
  EXPECT_TRUE(dialogs->calls.empty());
}

// --- Set Tool Path ---------------------------------------------------------

class ToolFolderTest : public PreferencesTest {
protected:
  void SetUp() override {
    PreferencesTest::SetUp();
    toolPaths().tidePath = fw::FolderItem(oldTide);
    toolPaths().hfilepath = fw::FolderItem(oldDatabase);
    window->thePlace = "Astoria, Oregon";
  }
  fs::path folderWith(std::initializer_list<const char*> names) {
    const fs::path folder = home / "chosen folder";
    fs::create_directories(folder);
    for (const char* name : names)
      makeFile(folder / name);
    return folder;
  }
  void choose(const fs::path& folder) {
    dialogs->answerFolder(folder.string());
    window->_TideSSetToolPath_Action();
  }
  static std::string pathOf(const std::optional<fw::FolderItem>& item) {
    return item ? item->AbsolutePath() : "nil";
  }

  const std::string oldTide = "/opt/old/tide";
  const std::string oldDatabase = "/opt/old/harmonics.tcd";
  ScopedDialogResponder dialogs;
};

TEST_F(ToolFolderTest, CancelledChoiceChangesAndWritesNothing) {
  dialogs->cancelFolder();
  EXPECT_TRUE(window->_TideSSetToolPath_Action());
  EXPECT_EQ(pathOf(toolPaths().tidePath), oldTide);
  EXPECT_EQ(pathOf(toolPaths().hfilepath), oldDatabase);
  EXPECT_TRUE(dialogs->messages().empty());
  EXPECT_FALSE(fs::exists(preferencesPath()));
}

TEST_F(ToolFolderTest, FolderWithToolAndBothDatabasesTakesTheCompiledOne) {
  const fs::path folder = folderWith({"tide", "harmonics.tcd", "harmonics.txt"});
  choose(folder);
  EXPECT_TRUE(dialogs->messages().empty());
  EXPECT_EQ(pathOf(toolPaths().tidePath), (folder / "tide").string());
  EXPECT_EQ(pathOf(toolPaths().hfilepath), (folder / "harmonics.tcd").string());
  EXPECT_EQ(preferences(), preferencesBytes("Astoria, Oregon", (folder / "tide").string(),
                                            (folder / "harmonics.tcd").string()));
}

TEST_F(ToolFolderTest, FolderWithOnlyTheTextDatabaseTakesIt) {
  const fs::path folder = folderWith({"tide", "harmonics.txt"});
  choose(folder);
  EXPECT_TRUE(dialogs->messages().empty());
  EXPECT_EQ(preferences(), preferencesBytes("Astoria, Oregon", (folder / "tide").string(),
                                            (folder / "harmonics.txt").string()));
}

TEST_F(ToolFolderTest, FolderWithoutTheToolIsToldAndTheOldPathsAreWrittenAgain) {
  const fs::path folder = folderWith({"harmonics.tcd"});
  choose(folder);
  EXPECT_EQ(dialogs->messages(),
            std::vector<std::string>{"Could not find the tide tool in " + folder.string()});
  EXPECT_EQ(pathOf(toolPaths().tidePath), oldTide);
  EXPECT_EQ(pathOf(toolPaths().hfilepath), oldDatabase);
  EXPECT_EQ(preferences(), preferencesBytes("Astoria, Oregon", oldTide, oldDatabase));
}

TEST_F(ToolFolderTest, FolderWithoutADatabaseIsToldAndTakesOnlyTheTool) {
  const fs::path folder = folderWith({"tide"});
  choose(folder);
  EXPECT_EQ(
      dialogs->messages(),
      std::vector<std::string>{"Could not find the harmonics.tcd/txt file in " + folder.string()});
  EXPECT_EQ(pathOf(toolPaths().tidePath), (folder / "tide").string());
  EXPECT_EQ(pathOf(toolPaths().hfilepath), oldDatabase);
  EXPECT_FALSE(fs::exists(preferencesPath()));
}

} // namespace
