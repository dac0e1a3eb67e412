#include "engine/ToolDiscovery.h"

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// One discovery case: the tree in the default folder ("x/" a folder, "x -> y" a
// symbolic link, anything else a file) and the expected paths relative to it.
struct DiscoveryCase {
  const char* name;
  std::vector<std::string> tree;
  std::string tide; // "" when nothing qualifies
  std::string database;
};

void plant(const fs::path& root, const std::string& entry) {
  const auto arrow = entry.find(" -> ");
  if (arrow != std::string::npos) {
    const fs::path link = root / entry.substr(0, arrow);
    fs::create_directories(link.parent_path());
    fs::create_symlink(entry.substr(arrow + 4), link);
  } else if (entry.back() == '/') {
    fs::create_directories(root / entry);
  } else {
    fs::create_directories((root / entry).parent_path());
    std::ofstream(root / entry) << "x";
  }
}

const std::string debugRes = "Halvorn.debug.app/Contents/Resources/";
const std::string appRes = "Halvorn.app/Contents/Resources/";
const std::string ownRes = "Contents/Resources/";

const std::vector<DiscoveryCase> discoveryCases = {
    {"BothBundlesQualifyDebugWins",
     {debugRes + "tide", debugRes + "harmonics.tcd", appRes + "tide", appRes + "harmonics.tcd"},
     debugRes + "tide",
     debugRes + "harmonics.tcd"},
    {"DebugWithoutDatabaseFallsToApp",
     {debugRes + "tide", appRes + "tide", appRes + "harmonics.txt"},
     appRes + "tide",
     appRes + "harmonics.txt"},
    {"DebugWithoutToolFallsToApp",
     {debugRes + "harmonics.tcd", appRes + "tide", appRes + "harmonics.tcd"},
     appRes + "tide",
     appRes + "harmonics.tcd"},
    {"DebugWithoutContentsFallsToApp",
     {"Halvorn.debug.app/Resources/tide", "Halvorn.debug.app/Resources/harmonics.tcd",
      appRes + "tide", appRes + "harmonics.tcd"},
     appRes + "tide",
     appRes + "harmonics.tcd"},
    {"DebugWithoutResourcesFallsToApp",
     {"Halvorn.debug.app/Contents/tide", "Halvorn.debug.app/Contents/harmonics.tcd",
      appRes + "tide", appRes + "harmonics.tcd"},
     appRes + "tide",
     appRes + "harmonics.tcd"},
    {"ContentsAsPlainFileDoesNotQualify", {"Halvorn.app/Contents"}, "", ""},
    {"ResourcesAsPlainFileDoesNotQualify", {"Halvorn.app/Contents/Resources"}, "", ""},
    {"AppAsPlainFileDoesNotQualify", {"Halvorn.app"}, "", ""},
    {"BothDatabasesGiveBinaryOne",
     {appRes + "tide", appRes + "harmonics.tcd", appRes + "harmonics.txt"},
     appRes + "tide",
     appRes + "harmonics.tcd"},
    {"OnlyTextDatabase",
     {appRes + "tide", appRes + "harmonics.txt"},
     appRes + "tide",
     appRes + "harmonics.txt"},
    {"DatabasesWithoutToolDoNotQualify",
     {appRes + "harmonics.tcd", appRes + "harmonics.txt"},
     "",
     ""},
    {"DefaultFolderItselfUsedWhenNoBundleQualifies",
     {debugRes + "tide", ownRes + "tide", ownRes + "harmonics.tcd"},
     ownRes + "tide",
     ownRes + "harmonics.tcd"},
    {"BundleBeatsDefaultFolder",
     {appRes + "tide", appRes + "harmonics.txt", ownRes + "tide", ownRes + "harmonics.tcd"},
     appRes + "tide",
     appRes + "harmonics.txt"},
    {"NothingQualifies", {"tide", "harmonics.tcd"}, "", ""},
    // As the build installs them: the database a link into the system's data.
    {"LinkedDatabaseAndLinkedBundle",
     {"real/Contents/Resources/tide", "real/Contents/Resources/harmonics.tcd -> ../../../data.tcd",
      "data.tcd", "Halvorn.app -> real"},
     appRes + "tide",
     appRes + "harmonics.tcd"},
    {"DanglingDatabaseLinkDoesNotCount",
     {appRes + "tide", appRes + "harmonics.tcd -> /nonexistent/harmonics.tcd"},
     "",
     ""},
};

void PrintTo(const DiscoveryCase& c, std::ostream* out) {
  *out << c.name;
}

class ToolDiscovery : public testing::TestWithParam<DiscoveryCase> {};

} // namespace

TEST_P(ToolDiscovery, FindsFirstQualifyingCandidate) {
  const DiscoveryCase& c = GetParam();
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const fs::path root = dir.path().toStdString();
  for (const std::string& entry : c.tree) {
    plant(root, entry);
  }

  const TideAndHarmonics found = FindTideAndHarmonics(fw::FolderItem(root.string()));

  if (c.tide.empty()) {
    EXPECT_FALSE(found.tidePath);
    EXPECT_FALSE(found.hfilepath);
    return;
  }
  ASSERT_TRUE(found.tidePath && found.hfilepath);
  EXPECT_EQ(found.tidePath->AbsolutePath(), (root / c.tide).string());
  EXPECT_EQ(found.hfilepath->AbsolutePath(), (root / c.database).string());
}

INSTANTIATE_TEST_SUITE_P(Trees, ToolDiscovery, testing::ValuesIn(discoveryCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TryForTideAndHarmonics, NoBundleOrMissingBundleGivesNothing) {
  EXPECT_FALSE(TryForTideAndHarmonics(std::nullopt));
  EXPECT_FALSE(TryForTideAndHarmonics(fw::FolderItem("/nonexistent/Halvorn.app")));
}
