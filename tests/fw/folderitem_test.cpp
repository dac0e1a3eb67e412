#include "fw/FolderItem.h"

#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <unistd.h>

namespace {

using fw::FolderItem;
using fw::SpecialFolderKind;
namespace fs = std::filesystem;

std::string special(SpecialFolderKind kind) {
  const auto folder = FolderItem::SpecialFolder(kind);
  return folder ? folder->AbsolutePath() : "<nil>";
}

class FolderItemTest : public ::testing::Test {
protected:
  void SetUp() override {
    for (const char* name :
         {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "TMPDIR", "XDG_DOCUMENTS_DIR"})
      unsetenv(name);
  }
  std::string path(const std::string& name) const { return dir + "/" + name; }
  // Standard output of a /bin/sh command line.
  std::string output(const std::string& command) const {
    if (std::system((command + " >" + path("out")).c_str()) != 0)
      return "<failed>";
    std::ifstream file(path("out"), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
  }

  QTemporaryDir scratch;
  const std::string dir = scratch.path().toStdString();
  const std::string uid = std::to_string(geteuid());
};

TEST_F(FolderItemTest, PathParts) {
  // The name, the parent's path.
  for (const auto& [full, parts] : {std::pair{"/", " <none>"},
                                    {"/usr/share/xtide/", "xtide /usr/share"},
                                    {"/a b/c d.tides", "c d.tides /a b"}}) {
    const FolderItem item(full);
    EXPECT_EQ(item.Name() + " " + (item.Parent() ? item.Parent()->AbsolutePath() : "<none>"),
              parts);
  }
  EXPECT_EQ(FolderItem("/").Child("tmp").AbsolutePath(), "/tmp");
  const std::string folder = fs::canonical("/proc/self/exe").parent_path();
  EXPECT_EQ(FolderItem::GetFolderItem("tide").AbsolutePath(), folder + "/tide");
}

TEST_F(FolderItemTest, ShellPath_IsOneWordForBashAndCsh) {
  const char* names[] = {
      "blanks  tab\t quote' double\" $HOME ${x} `date` $(date)",
      "bang!1 !! back\\slash\\",
      "glob*?[ab]{c,d} ~t #h a;b & c | <in >out (paren)",
      "Bahía 🌊 \xFF\xC3 ctl\x01\x7F",
  };
  const std::string script = path("script");
  for (const char* name : names) {
    const FolderItem item = FolderItem("/tmp/x").Child(name);
    ASSERT_TRUE(item.CanBeShellWord()) << name;
    std::ofstream(script, std::ios::binary) << "printf '%s|' " << item.ShellPath() << "\n";
    const std::string expected = item.AbsolutePath() + "|";
    // The search writes its commands into an interactive csh's input.
    for (const std::string& shell :
         {"/bin/bash -c \"$(cat " + script + ")\"", "/bin/csh -f <" + script})
      EXPECT_EQ(output("LC_ALL=C.UTF-8 " + shell), expected) << shell << ": " << item.ShellPath();
  }
}

TEST_F(FolderItemTest, Temporary_IsAPrivateFolderAndRefusesWhatOthersCouldTamperWith) {
  fs::create_directory(path("run"));
  setenv("XDG_RUNTIME_DIR", path("run").c_str(), 1);
  EXPECT_EQ(special(SpecialFolderKind::Temporary), path("run/halvorn"));
  EXPECT_EQ(fs::symlink_status(path("run/halvorn")).permissions(), fs::perms::owner_all);

  unsetenv("XDG_RUNTIME_DIR");
  setenv("TMPDIR", dir.c_str(), 1);
  // What stands at the folder's path, and whether it is taken; only root can give it away.
  const std::pair<const char*, bool> plants[] = {
      {"true", true},
      {"mkdir -m 700 $F", true},
      {"mkdir -m 770 $F", false},
      {"mkdir -m 703 $F", false},
      {"mkdir -m 700 elsewhere && ln -s elsewhere $F", false},
      {"ln -s nothing $F", false},
      {"mkdir -m 700 $F && chown 65534 $F 2>/dev/null", false}};
  const std::string folder = "cd " + dir + " && F=halvorn-" + uid + " && ";
  for (const auto& [plant, taken] : plants) {
    ASSERT_EQ(std::system((folder + "rm -rf $F elsewhere nothing").c_str()), 0);
    if (std::system((folder + plant).c_str()) != 0)
      continue;
    EXPECT_EQ(special(SpecialFolderKind::Temporary), taken ? path("halvorn-" + uid) : "<nil>")
        << plant;
    EXPECT_FALSE(fs::exists(path("nothing"))) << plant << ": followed the link";
  }
  setenv("TMPDIR", path("missing/tmp").c_str(), 1);
  EXPECT_EQ(special(SpecialFolderKind::Temporary), "<nil>");
}

TEST_F(FolderItemTest, PreferencesAndDocumentsFollowTheDesktopsSettings) {
  const std::string home = path("home");
  fs::create_directories(home + "/Dokumente");
  setenv("HOME", home.c_str(), 1);
  // Preferences' folder is made when missing.
  EXPECT_EQ(special(SpecialFolderKind::Documents) + " " + special(SpecialFolderKind::Preferences),
            home + " " + home + "/.config");
  std::ofstream(home + "/.config/user-dirs.dirs") << "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n";
  EXPECT_EQ(special(SpecialFolderKind::Documents), home + "/Dokumente");
  setenv("HOME", path("no-such-home").c_str(), 1);
  EXPECT_EQ(special(SpecialFolderKind::Documents), "<nil>");
}

} // namespace
