#include "engine/ToolDiscovery.h"

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

TEST(ToolDiscovery, FindsTheFirstQualifyingCandidate) {
  const std::string dbg = "Halvorn.debug.app/Contents/Resources/",
                    app = "Halvorn.app/Contents/Resources/", own = "Contents/Resources/",
                    dbgResources = "Halvorn.debug.app/Resources/",
                    dbgContents = "Halvorn.debug.app/Contents/", tide = "tide",
                    tcd = "harmonics.tcd", txt = "harmonics.txt";
  // The database found ("" when nothing qualifies; "tide" lies beside it) in a tree of files.
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {dbg + tcd, {dbg + tide, dbg + tcd, app + tide, app + tcd}},
      {app + txt, {dbg + tide, app + tide, app + txt}},
      {app + tcd, {dbg + tcd, app + tide, app + tcd}},
      {app + tcd, {dbgResources + tide, dbgResources + tcd, app + tide, app + tcd}},
      {app + tcd, {dbgContents + tide, dbgContents + tcd, app + tide, app + tcd}},
      {app + tcd, {app + tide, app + tcd, app + txt}},
      {"", {app + tcd, app + txt}},
      {own + tcd, {dbg + tide, own + tide, own + tcd}},
      {app + txt, {app + tide, app + txt, own + tide, own + tcd}},
      {"", {tide, tcd}},
  };
  for (const auto& [database, tree] : cases) {
    SCOPED_TRACE(testing::PrintToString(tree));
    QTemporaryDir dir;
    const fs::path root = dir.path().toStdString();
    for (const std::string& file : tree) {
      fs::create_directories((root / file).parent_path());
      std::ofstream(root / file) << "x";
    }
    const TideAndHarmonics found = FindTideAndHarmonics(fw::FolderItem(root.string()));
    auto relative = [&](const auto& item) {
      return item ? fs::path(item->AbsolutePath()).lexically_relative(root) : fs::path();
    };
    EXPECT_EQ(relative(found.hfilepath), database);
    EXPECT_EQ(relative(found.tidePath),
              database.empty() ? fs::path() : fs::path(database).parent_path() / tide);
  }
}

} // namespace
