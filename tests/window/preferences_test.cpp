#include "HalvornWindowFixture.h"

#include <filesystem>

namespace {

namespace fs = std::filesystem;

class PreferencesTest : public HalvornWindowTest {
protected:
  void SetUp() override {
    HalvornWindowTest::SetUp();
    window = open();
  }
  Halvorn* window = nullptr;
};

TEST_F(PreferencesTest, FileHoldsThreeLengthPrefixedStringsAndTooLongOnesAsEmpty) {
  const std::string path300 = "/opt/" + std::string(291, 'd') + "/tide"; // a cut path would
  const std::string path255 = "/opt/" + std::string(245, 'd') + "/tide"; // name another file
  const std::string tcd = "/opt/tides/harmonics.tcd";
  const struct {
    std::string place, tide, database, bytes;
  } cases[] = {
      {"Astoria, Oregon", "", "",
       "\x0f"
       "Astoria, Oregon" +
           std::string(2, '\0')},
      {"", "/opt/tides/tide", tcd, std::string(1, '\0') + "\x0f/opt/tides/tide\x18" + tcd},
      {"Île d'Yeu", "/home/me/My Tides/tide", "",
       pstring("Île d'Yeu") + pstring("/home/me/My Tides/tide") + pstring("")},
      {"Astoria, Oregon", path300, tcd, preferencesBytes("Astoria, Oregon", "", tcd)},
      {"", path255, "", preferencesBytes("", path255)},
      {std::string(256, 'p'), "", "", std::string(3, '\0')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.place + " " + c.tide);
    window->thePlace = c.place;
    toolPaths() = {};
    if (!c.tide.empty())
      toolPaths().tidePath = fw::FolderItem(c.tide);
    if (!c.database.empty())
      toolPaths().hfilepath = fw::FolderItem(c.database);
    window->SavePreferences();
    EXPECT_EQ(preferences(), c.bytes);
  }
}

TEST_F(PreferencesTest, RoundTripThroughANewWindow) {
  const std::string tide = pathOf("My Tides/tide"), database = pathOf("My Tides/harmonics.txt");
  fs::create_directories(pathOf("My Tides"));
  writeBytes(tide, "x");
  writeBytes(database, "x");
  window->thePlace = "Île d'Yeu";
  toolPaths() = {fw::FolderItem(tide), fw::FolderItem(database)};
  window->SavePreferences();
  toolPaths() = {};
  EXPECT_EQ(open()->thePlace, "Île d'Yeu");
  EXPECT_EQ(pathOrNone(toolPaths().tidePath), tide);
  EXPECT_EQ(pathOrNone(toolPaths().hfilepath), database);
}

TEST_F(PreferencesTest, AFailedWriteKeepsTheEarlierFileAndSaysNothing) {
  window->thePlace = "Astoria, Oregon";
  window->SavePreferences();
  window->thePlace = "West Seattle";
  {
    FullDisk full;
    window->SavePreferences();
  }
  EXPECT_EQ(preferences(), preferencesBytes("Astoria, Oregon"));
  EXPECT_TRUE(dialogs->calls.empty());
  // No half-written temporary file is left beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(pathOf("config")), fs::directory_iterator()), 1);
}

TEST_F(PreferencesTest, NoPreferencesFolderSavesNothingAndSaysNothing) {
  writeBytes(pathOf("a file"), "keep");
  ::setenv("XDG_CONFIG_HOME", pathOf("a file/config").c_str(), 1);
  window->thePlace = "Astoria, Oregon";
  window->Close();
  EXPECT_EQ(readBytes(pathOf("a file")), "keep");
  EXPECT_TRUE(dialogs->calls.empty());
}

TEST_F(PreferencesTest, ToolFolderTakesWhatItHoldsAndSaysWhatIsMissing) {
  const std::string oldTide = "/opt/old/tide", oldDatabase = "/opt/old/harmonics.tcd";
  const struct {
    bool cancelled;
    std::vector<const char*> files;
    const char* message;
    bool takesTool;
    const char* database; // nullptr: the old one stays
    bool written;
  } cases[] = {
      {true, {}, nullptr, false, nullptr, false},
      {false, {"tide", "harmonics.tcd", "harmonics.txt"}, nullptr, true, "harmonics.tcd", true},
      {false, {"tide", "harmonics.txt"}, nullptr, true, "harmonics.txt", true},
      {false, {"harmonics.tcd"}, "Could not find the tide tool in ", false, nullptr, true},
      {false, {"tide"}, "Could not find the harmonics.tcd/txt file in ", true, nullptr, false},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string folder = pathOf("tools " + std::to_string(n++));
    SCOPED_TRACE(folder);
    fs::create_directories(folder);
    for (const char* name : c.files)
      writeBytes(folder + "/" + name, "x");
    toolPaths() = {fw::FolderItem(oldTide), fw::FolderItem(oldDatabase)};
    window->thePlace = "Astoria, Oregon";
    fs::remove(preferencesPath());
    dialogs->calls.clear();
    if (c.cancelled)
      dialogs->cancelFolder();
    else
      dialogs->answerFolder(folder);

    EXPECT_TRUE(window->_TideSSetToolPath_Action());

    const std::string tide = c.takesTool ? folder + "/tide" : oldTide;
    const std::string database = c.database ? folder + "/" + c.database : oldDatabase;
    EXPECT_EQ(dialogs->messages(), c.message ? std::vector<std::string>{c.message + folder}
                                             : std::vector<std::string>{});
    EXPECT_EQ(pathOrNone(toolPaths().tidePath), tide);
    EXPECT_EQ(pathOrNone(toolPaths().hfilepath), database);
    EXPECT_EQ(preferences(), c.written ? preferencesBytes("Astoria, Oregon", tide, database) : "");
  }
}

} // namespace
