#include "fw/FolderItem.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using fw::FolderItem;
using fw::SpecialFolderKind;
namespace fs = std::filesystem;

// Sets the variables for one test and puts the old values back afterwards.
class ScopedEnvironment {
public:
  ScopedEnvironment(std::initializer_list<const char*> names) {
    for (const char* name : names) {
      const char* value = std::getenv(name);
      saved_[name] = value ? std::optional<std::string>(value) : std::nullopt;
      unsetenv(name);
    }
  }
  ~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) {
      if (value)
        setenv(name.c_str(), value->c_str(), 1);
      else
        unsetenv(name.c_str());
    }
  }
  void set(const char* name, const std::string& value) { setenv(name, value.c_str(), 1); }

private:
  std::map<std::string, std::optional<std::string>> saved_;
};

class FolderItemTest : public ::testing::Test {
protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "fwcore-folderitem-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    scratch_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(scratch_, ignored);
  }
  std::string path(const std::string& name) const { return (scratch_ / name).string(); }

  fs::path scratch_;
  ScopedEnvironment env_{"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "TMPDIR",
                         "XDG_DOCUMENTS_DIR"};
};

// Runs a program with `argv`, feeding `input`, and gives its standard output.
std::string runCapturing(const std::vector<std::string>& argv, const std::string& input = {}) {
  int out[2];
  int in[2];
  if (pipe(out) != 0 || pipe(in) != 0)
    return "<pipe failed>";
  const pid_t child = fork();
  if (child == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    close(in[1]);
    close(out[0]);
    std::vector<char*> args;
    for (const auto& a : argv)
      args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    char* envp[] = {const_cast<char*>("PATH=/usr/bin:/bin"), const_cast<char*>("LC_ALL=C.UTF-8"),
                    nullptr};
    execve(args[0], args.data(), envp);
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  if (!input.empty() && write(in[1], input.data(), input.size()) < 0)
    ADD_FAILURE() << "cannot feed the shell";
  close(in[1]);
  std::string output;
  char buffer[4096];
  for (ssize_t got; (got = read(out[0], buffer, sizeof buffer)) > 0;)
    output.append(buffer, static_cast<std::size_t>(got));
  close(out[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return output;
}

TEST_F(FolderItemTest, PathParts) {
  const struct {
    const char* path;
    const char* name;
    const char* parent; // nullptr: none
  } cases[] = {
      {"/", "", nullptr},
      {"/etc", "etc", "/"},
      {"/usr/share/xtide/", "xtide", "/usr/share"},
      {"/a b/c d.tides", "c d.tides", "/a b"},
  };
  for (const auto& c : cases) {
    const FolderItem item(c.path);
    EXPECT_EQ(item.Name(), c.name) << c.path;
    const auto parent = item.Parent();
    if (c.parent == nullptr)
      EXPECT_FALSE(parent.has_value()) << c.path;
    else
      EXPECT_EQ(parent ? parent->AbsolutePath() : "<none>", c.parent) << c.path;
  }
  EXPECT_EQ(FolderItem("/").Child("tmp").AbsolutePath(), "/tmp");
  EXPECT_EQ(FolderItem("/tmp").Child("x y").AbsolutePath(), "/tmp/x y");
  EXPECT_EQ(FolderItem("/tmp").Child("x").Parent(), FolderItem("/tmp"));
}

TEST_F(FolderItemTest, ExistsAndDirectory) {
  std::ofstream(path("file")) << "x";
  fs::create_directory(path("folder"));
  fs::create_symlink(path("nowhere"), path("dangling"));
  fs::create_symlink(path("folder"), path("link-to-folder"));
  const struct {
    const char* name;
    bool exists;
    bool directory;
  } cases[] = {
      {"file", true, false},      {"folder", true, true},         {"missing", false, false},
      {"dangling", false, false}, {"link-to-folder", true, true},
  };
  for (const auto& c : cases) {
    const FolderItem item(path(c.name));
    EXPECT_EQ(item.Exists(), c.exists) << c.name;
    EXPECT_EQ(item.Directory(), c.directory) << c.name;
  }
}

TEST_F(FolderItemTest, DefaultFolderHoldsTheExecutable) {
  const fs::path executable = fs::canonical("/proc/self/exe");
  EXPECT_EQ(FolderItem::DefaultFolder().AbsolutePath(), executable.parent_path().string());
  EXPECT_EQ(FolderItem::GetFolderItem("tide").AbsolutePath(),
            (executable.parent_path() / "tide").string());
  EXPECT_EQ(FolderItem::GetFolderItem("/usr/bin/tide").AbsolutePath(), "/usr/bin/tide");
}

TEST_F(FolderItemTest, ShellPath_IsOneWordForBashAndCsh) {
  const char* names[] = {
      "plain-name_1.2+3,4:5@6%7",
      "with blanks  and\ttab",
      "quote's",
      "double\"quote",
      "$HOME and ${x}",
      "bang!1 and !!",
      "back\\slash\\",
      "glob*?[ab]{c,d}",
      "~tilde",
      "#hash",
      "semi;colon & pipe | <in >out",
      "`date` $(date)",
      "(paren) =eq ^caret",
      "Bahía Blanca ü 🌊",
      "bad \xFF\xC3 bytes",
      "ctl\x01\x7F",
      "-leading-dash",
      "%1",
  };
  for (const char* name : names) {
    const FolderItem item = FolderItem("/tmp/x").Child(name);
    ASSERT_TRUE(item.CanBeShellWord()) << name;
    const std::string word = item.ShellPath();
    const std::string command = "printf '%s|' " + word;
    const std::string expected = item.AbsolutePath() + "|";
    EXPECT_EQ(runCapturing({"/bin/bash", "-c", command}), expected) << "bash: " << word;
    EXPECT_EQ(runCapturing({"/bin/csh", "-f", "-c", command}), expected) << "csh -c: " << word;
    // The search writes its commands into an interactive csh's input.
    EXPECT_EQ(runCapturing({"/bin/csh", "-f"}, command + "\n"), expected) << "csh input: " << word;
  }
}

TEST_F(FolderItemTest, ShellPath_LineEndsCannotBeOneWord) {
  EXPECT_FALSE(FolderItem("/tmp/a\nb").CanBeShellWord());
  EXPECT_FALSE(FolderItem("/tmp/a\rb").CanBeShellWord());
  EXPECT_TRUE(FolderItem("/tmp/a b").CanBeShellWord());
}

TEST_F(FolderItemTest, Preferences_IsTheConfigFolderMadeWhenMissing) {
  env_.set("XDG_CONFIG_HOME", path("config/deep"));
  auto prefs = FolderItem::SpecialFolder(SpecialFolderKind::Preferences);
  ASSERT_TRUE(prefs);
  EXPECT_EQ(prefs->AbsolutePath(), path("config/deep"));
  EXPECT_TRUE(prefs->Directory());

  // A relative value is not a valid XDG folder and is ignored.
  env_.set("XDG_CONFIG_HOME", "relative");
  env_.set("HOME", path("home"));
  fs::create_directory(path("home"));
  prefs = FolderItem::SpecialFolder(SpecialFolderKind::Preferences);
  ASSERT_TRUE(prefs);
  EXPECT_EQ(prefs->AbsolutePath(), path("home/.config"));
  EXPECT_TRUE(prefs->Directory());

  std::ofstream(path("plainfile")) << "x";
  env_.set("XDG_CONFIG_HOME", path("plainfile/sub"));
  EXPECT_FALSE(FolderItem::SpecialFolder(SpecialFolderKind::Preferences));
}

TEST_F(FolderItemTest, Temporary_IsAPrivateFolder) {
  fs::create_directory(path("run"));
  env_.set("XDG_RUNTIME_DIR", path("run"));
  auto temporary = FolderItem::SpecialFolder(SpecialFolderKind::Temporary);
  ASSERT_TRUE(temporary);
  EXPECT_EQ(temporary->AbsolutePath(), path("run/halvorn"));
  struct stat info {};
  ASSERT_EQ(lstat(temporary->AbsolutePath().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  EXPECT_EQ(info.st_uid, geteuid());
  // Asking again finds the same folder.
  EXPECT_EQ(FolderItem::SpecialFolder(SpecialFolderKind::Temporary), temporary);

  unsetenv("XDG_RUNTIME_DIR");
  env_.set("TMPDIR", path(""));
  temporary = FolderItem::SpecialFolder(SpecialFolderKind::Temporary);
  ASSERT_TRUE(temporary);
  EXPECT_EQ(temporary->AbsolutePath(), path("halvorn-" + std::to_string(geteuid())));
}

TEST_F(FolderItemTest, Temporary_RefusesWhatOthersCouldTamperWith) {
  const std::string folder = path("halvorn-" + std::to_string(geteuid()));
  const struct {
    const char* what;
    void (*plant)(const std::string& folder, const std::string& scratch);
  } cases[] = {
      {"group-writable",
       [](const std::string& f, const std::string&) {
         mkdir(f.c_str(), 0700);
         chmod(f.c_str(), 0770);
       }},
      {"other-writable",
       [](const std::string& f, const std::string&) {
         mkdir(f.c_str(), 0700);
         chmod(f.c_str(), 0703);
       }},
      {"symlink to a private folder",
       [](const std::string& f, const std::string& s) {
         mkdir((s + "/elsewhere").c_str(), 0700);
         symlink((s + "/elsewhere").c_str(), f.c_str());
       }},
      {"dangling symlink",
       [](const std::string& f, const std::string& s) {
         symlink((s + "/nothing").c_str(), f.c_str());
       }},
      {"regular file", [](const std::string& f, const std::string&) { std::ofstream(f) << "x"; }},
  };
  env_.set("TMPDIR", scratch_.string());
  for (const auto& c : cases) {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    fs::remove_all(path("elsewhere"), ignored);
    c.plant(folder, scratch_.string());
    EXPECT_FALSE(FolderItem::SpecialFolder(SpecialFolderKind::Temporary)) << c.what;
    EXPECT_FALSE(fs::exists(path("nothing"))) << c.what << ": followed the link";
  }
}

TEST_F(FolderItemTest, Temporary_RefusesAFolderOwnedByAnotherUser) {
  if (geteuid() != 0)
    GTEST_SKIP() << "giving a folder to another user needs root";
  const std::string folder = path("halvorn-0");
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  ASSERT_EQ(chown(folder.c_str(), 65534, 65534), 0);
  env_.set("TMPDIR", scratch_.string());
  EXPECT_FALSE(FolderItem::SpecialFolder(SpecialFolderKind::Temporary));
}

TEST_F(FolderItemTest, Temporary_NilWhenItCannotBeMade) {
  env_.set("XDG_RUNTIME_DIR", path("missing/run"));
  EXPECT_FALSE(FolderItem::SpecialFolder(SpecialFolderKind::Temporary));
}

TEST_F(FolderItemTest, Documents_PrefersTheDesktopsFolder) {
  const std::string home = path("home");
  fs::create_directories(home + "/.config");
  env_.set("HOME", home);
  const auto documents = [] {
    const auto folder = FolderItem::SpecialFolder(SpecialFolderKind::Documents);
    return folder ? folder->AbsolutePath() : std::string("<nil>");
  };
  EXPECT_EQ(documents(), home); // nothing better there

  fs::create_directory(home + "/Documents");
  EXPECT_EQ(documents(), home + "/Documents");

  fs::create_directory(home + "/Dokumente");
  std::ofstream(home + "/.config/user-dirs.dirs")
      << "# written by the desktop\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
      << "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n";
  EXPECT_EQ(documents(), home + "/Dokumente");

  fs::create_directory(path("papers"));
  env_.set("XDG_DOCUMENTS_DIR", path("papers"));
  EXPECT_EQ(documents(), path("papers"));

  env_.set("XDG_DOCUMENTS_DIR", path("gone"));
  env_.set("HOME", path("no-such-home"));
  EXPECT_EQ(documents(), "<nil>");
}

} // namespace
