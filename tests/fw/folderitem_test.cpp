#include "fw/FolderItem.h"

#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/stat.h>
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
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"/", "", "<none>"},
      {"/usr/share/xtide/", "xtide", "/usr/share"},
      {"/a b/c d.tides", "c d.tides", "/a b"},
  };
  for (const auto& [full, name, parent] : cases) {
    const FolderItem item(full);
    EXPECT_EQ(item.Name(), name) << full;
    EXPECT_EQ(item.Parent() ? item.Parent()->AbsolutePath() : "<none>", parent) << full;
  }
  EXPECT_EQ(FolderItem("/").Child("tmp").AbsolutePath(), "/tmp");
  EXPECT_EQ(FolderItem("/tmp").Child("x y").Parent(), FolderItem("/tmp"));
  const std::string folder = fs::canonical("/proc/self/exe").parent_path();
  EXPECT_EQ(FolderItem::DefaultFolder().AbsolutePath(), folder);
  EXPECT_EQ(FolderItem::GetFolderItem("tide").AbsolutePath(), folder + "/tide");
  EXPECT_EQ(FolderItem::GetFolderItem("/usr/bin/tide").AbsolutePath(), "/usr/bin/tide");
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
    EXPECT_EQ(output("LC_ALL=C.UTF-8 /bin/bash -c \"$(cat " + script + ")\""), expected)
        << "bash: " << item.ShellPath();
    // The search writes its commands into an interactive csh's input.
    EXPECT_EQ(output("LC_ALL=C.UTF-8 /bin/csh -f <" + script), expected)
        << "csh: " << item.ShellPath();
  }
  EXPECT_FALSE(FolderItem("/tmp/a\nb").CanBeShellWord());
  EXPECT_FALSE(FolderItem("/tmp/a\rb").CanBeShellWord());
}

TEST_F(FolderItemTest, Preferences_IsTheConfigFolderMadeWhenMissing) {
  setenv("XDG_CONFIG_HOME", path("config/deep").c_str(), 1);
  EXPECT_EQ(special(SpecialFolderKind::Preferences), path("config/deep"));
  EXPECT_TRUE(fs::is_directory(path("config/deep")));
  // A relative value is no XDG folder.
  setenv("XDG_CONFIG_HOME", "relative", 1);
  setenv("HOME", path("home").c_str(), 1);
  fs::create_directory(path("home"));
  EXPECT_EQ(special(SpecialFolderKind::Preferences), path("home/.config"));
}

TEST_F(FolderItemTest, Temporary_IsAPrivateFolder) {
  fs::create_directory(path("run"));
  setenv("XDG_RUNTIME_DIR", path("run").c_str(), 1);
  EXPECT_EQ(special(SpecialFolderKind::Temporary), path("run/halvorn"));
  EXPECT_EQ(special(SpecialFolderKind::Temporary), path("run/halvorn"));
  struct stat info {};
  ASSERT_EQ(lstat(path("run/halvorn").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  EXPECT_EQ(info.st_uid, geteuid());

  unsetenv("XDG_RUNTIME_DIR");
  setenv("TMPDIR", path("").c_str(), 1);
  EXPECT_EQ(special(SpecialFolderKind::Temporary), path("halvorn-" + uid));
  setenv("TMPDIR", path("missing/tmp").c_str(), 1);
  EXPECT_EQ(special(SpecialFolderKind::Temporary), "<nil>");
}

TEST_F(FolderItemTest, Temporary_RefusesWhatOthersCouldTamperWith) {
  const char* plants[] = {
      "mkdir -m 770 $F",
      "mkdir -m 703 $F",
      "mkdir -m 700 elsewhere && ln -s elsewhere $F",
      "ln -s nothing $F",
      "echo x >$F",
      "mkdir -m 700 $F && chown 65534 $F 2>/dev/null", // only root can give it away
  };
  setenv("TMPDIR", dir.c_str(), 1);
  const std::string folder = "cd " + dir + " && F=halvorn-" + uid + " && ";
  for (const char* plant : plants) {
    ASSERT_EQ(std::system((folder + "rm -rf $F elsewhere nothing").c_str()), 0);
    if (std::system((folder + plant).c_str()) != 0)
      continue;
    EXPECT_EQ(special(SpecialFolderKind::Temporary), "<nil>") << plant;
    EXPECT_FALSE(fs::exists(path("nothing"))) << plant << ": followed the link";
  }
}

TEST_F(FolderItemTest, Documents_PrefersTheDesktopsFolder) {
  const std::string home = path("home");
  fs::create_directories(home + "/.config");
  fs::create_directory(home + "/Dokumente");
  setenv("HOME", home.c_str(), 1);
  EXPECT_EQ(special(SpecialFolderKind::Documents), home);
  std::ofstream(home + "/.config/user-dirs.dirs") << "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n";
  EXPECT_EQ(special(SpecialFolderKind::Documents), home + "/Dokumente");
  setenv("HOME", path("no-such-home").c_str(), 1);
  EXPECT_EQ(special(SpecialFolderKind::Documents), "<nil>");
}

} // namespace
