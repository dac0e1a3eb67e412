#include "AsNobody.h"
#include "engine/LocationGetter.h"

#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <signal.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using Events = std::vector<std::string>;

namespace {

TEST(ParseLocationList, CutsNamesAfterTheHeader) {
  const std::string header = "Location list generated 2026-12-06  4:37 PM UTC";
  const std::pair<std::string, Names> cases[] = {
      {header + "\r\rA\rB\r", {"A", "B"}},
      // The LF after a CR starts the next line: the empty line after the header is a name.
      {header + "\r\n\r\nA\r\nB\r\n", {"", "A", "B"}},
      {header + "\nA\nB\rC\r", {"C"}},
      {header + "\n   \n\n\nA\n", {"", "A"}},
      {header + "\n" + std::string(60, 'x') + "\n", {std::string(52, 'x')}},
      {header + "\n" + std::string(50, 'a') + "éx\n", {std::string(50, 'a') + "é"}},
      {"banner\n" + header + "\nA\nB", {"A"}},
  };
  for (const auto& [text, names] : cases)
    EXPECT_EQ(parseLocationList(text, [] {}), names) << text;
}

void writeFile(const fs::path& path, const std::string& text, fs::perms perms = fs::perms(0644)) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
  fs::permissions(path, perms);
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

const std::string listing = "echo 'tide: reading database' >&2\n"
                            "echo 'Location list generated 2026-12-06  4:37 PM UTC'\necho\n"
                            "printf '%-51s %s\\n' 'Seattle, Puget Sound' 'Ref 47° N'\n"
                            "printf '%-51s %s\\n' 'Añasco, Puerto Rico' 'Sub 18° N'\n";
const Names listed = {"Seattle, Puget Sound", "Añasco, Puerto Rico"};
const Events succeeded = {"Progress: Parsing location list started", "Progress: 0 locations parsed",
                          "Progress: 2 locations found", "HaveLocations"};
const Events failed = {"Error: Unable to get the location list", "HaveLocations"};
const Events noList = {"Error: There was no location list generated"};

class Getter : public LocationGetter {
public:
  Getter() {
    Progress = [this](const std::string& m) { events.push_back("Progress: " + m); };
    Error = [this](const std::string& m) { events.push_back("Error: " + m); };
    HaveLocations = [this] { events.push_back("HaveLocations"); };
  }
  fs::path output() const { return outputFile ? outputFile->AbsolutePath() : ""; }
  // Events come in one burst: it is over when the last is no progress report.
  bool settled() const { return !events.empty() && events.back().rfind("Progress", 0) != 0; }
  Events events;
};

// Waits for done() or the time-out, then a little longer so that an event
// that must not follow would show.
bool spinUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
  (void)QTest::qWaitFor(done, timeoutMs);
  QTest::qWait(100);
  return done();
}

Events listIn(Getter& getter, const fs::path& folder) {
  getter.events.clear();
  getter.GetLocations(fw::FolderItem(folder.string()));
  spinUntil([&] { return getter.settled(); });
  return getter.events;
}

class LocationGetterTest : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    for (const char* folder : {"home/Documents", "run"}) {
      fs::create_directories(root / folder);
      fs::permissions(root / folder, fs::perms(0700));
    }
    for (const char* name : {"XDG_RUNTIME_DIR", "TMPDIR"})
      pin(name, "run");
    pin("HOME", "home");
    pin("XDG_CONFIG_HOME", "home/.config");
    unsetenv("XDG_DOCUMENTS_DIR");
  }
  void pin(const char* name, const char* path) { setenv(name, (root / path).c_str(), 1); }
  // A folder holding a scripted "tide" and the (unread) database file.
  fs::path tool(const std::string& name, const std::string& body) {
    writeFile(root / name / "tide", "#!/bin/bash\n" + body, fs::perms(0755));
    writeFile(root / name / "harmonics.tcd", "");
    return root / name;
  }

  QTemporaryDir dir;
  fs::path root = dir.path().toStdString();
};

TEST_F(LocationGetterTest, ListsNamesWithTheCommandsArgumentsAndEvents) {
  // Blanks, quotes and a dollar sign must reach cd and -l as they are.
  const fs::path folder =
      tool("my tides $HOME 'q'",
           "printf '%s\\n' \"$PWD\" \"$HFILE_PATH\" \"$@\" > invocation\n" + listing);
  Getter getter;
  EXPECT_EQ(listIn(getter, folder), succeeded);
  EXPECT_EQ(getter.locations, listed);
  EXPECT_EQ(readFile(folder / "invocation"), folder.string() + "\n./harmonics.tcd\n-l" +
                                                 (folder / "harmonics.tcd").string() + "\n-ml\n");
  EXPECT_EQ(getter.output().filename(), "tide locations.txt");
  EXPECT_EQ(getter.output().parent_path().parent_path(),
            fw::FolderItem::SpecialFolder(fw::SpecialFolderKind::Temporary)->AbsolutePath());
  EXPECT_EQ(readFile(getter.output()).rfind("tide: reading database\n", 0), 0u); // stderr too
}

// In BIG5 a lead byte takes the backslash that quotes the next character as its second byte:
// in whatever locale, no character of the folder's path may act.
TEST_F(LocationGetterTest, FailuresKeepTheEarlierListAndNoCharacterOfTheFolderActsInAnyLocale) {
  const std::string big5 = "localedef -i zh_TW -f BIG5 " + (root / "zh_TW.BIG5").string();
  ASSERT_EQ(std::system((big5 + " >/dev/null").c_str()), 0) << "needs Debian's locales package";
  writeFile(root / "no tool" / "harmonics.tcd", "");
  // A failed cd must not run a "tide" from the working folder.
  const fs::path workingFolder = tool("cwd", "touch ran\n" + listing);
  writeFile(workingFolder / "notes.txt", "notes");
  const fs::path previous = fs::current_path();
  fs::current_path(workingFolder);
  const fs::path locked = tool("locked", listing);
  fs::permissions(locked, fs::perms::none);
  const std::tuple<fs::path, Events, Names> steps[] = {
      {locked, failed, {}},
      {tool("failing", listing + "exit 3\n"), failed, {}},
      {tool("good", listing), succeeded, listed},
      // 100 MB of names: past 16 MiB the listing is stopped, as failed.
      {tool("flood", listing + "yes 'Seattle, Puget Sound' | head -c 100000000\n"), failed, listed},
      {tool("tides\xB3>notes.txt", listing), succeeded, listed},
      {tool("tides\xB3|" + (workingFolder / "tide").string(), listing), succeeded, listed},
      {root / "no tool", failed, listed},
      {root / "missing", failed, listed},
      {tool("two\nlines", "touch ran\n" + listing),
       {"Error: Unable to get the location list: the database folder's path holds a line break",
        "HaveLocations"},
       listed},
      {tool("gone", listing + "rm -f -- \"$(readlink /proc/$$/fd/1)\"\n"), noList, listed},
      {tool("quiet", "echo Seattle\n"),
       {"Progress: Parsing location list started", "Progress: 0 locations found", "HaveLocations"},
       {}},
  };
  const std::string userLocale = std::getenv("LC_ALL") ? std::getenv("LC_ALL") : "";
  setenv("LOCPATH", root.c_str(), 1);
  setenv("LC_ALL", "zh_TW.BIG5", 1);
  {
    AsNobody unprivileged(root);
    Getter getter;
    for (const auto& [folder, events, names] : steps) {
      SCOPED_TRACE(folder);
      EXPECT_EQ(listIn(getter, folder), events);
      EXPECT_EQ(getter.locations, names);
      EXPECT_FALSE(events == failed && fs::exists(getter.output())) << "a failed listing's file";
    }
  }
  setenv("LC_ALL", userLocale.c_str(), 1);
  unsetenv("LOCPATH");
  fs::current_path(previous);
  fs::permissions(locked, fs::perms::owner_all);
  EXPECT_FALSE(fs::exists(workingFolder / "ran") || fs::exists(root / "two\nlines" / "ran"));
  EXPECT_EQ(readFile(workingFolder / "notes.txt"), "notes");
  for (const char* notUtf8 : {"tides\xB3>notes.txt", "tides\xB3|"}) // QTemporaryDir can't
    fs::remove_all(root / notUtf8);
}

// The output file's path comes from the user's environment: no word of it may run, whichever
// of the three places it comes from; without a private runtime or temporary folder it goes to
// Documents, and never through a link in a folder others can write.
TEST_F(LocationGetterTest, OutputGoesOnlyToAFolderNoOneElseCanWriteAndNoWordOfItsPathRuns) {
  const fs::path folder = tool("good", "touch ran\n" + listing);
  // Each kind of character that the shell path escapes; user-dirs.dirs cannot hold a '"'.
  const std::string hostile = "Lucy's \t$(touch $HOME/ran) `touch $HOME/ran` $HOME ${x} \\ !! "
                              "*?[a]{b,c} ~#;&|<>() a=b^c é\x01\x7F";
  const std::string quoted = "\"" + hostile + "\"";
  writeFile(root / "runfile", "");
  pin("XDG_RUNTIME_DIR", "runfile");
  pin("TMPDIR", "runfile");
  Getter inDocuments;
  EXPECT_EQ(listIn(inDocuments, folder), succeeded);
  EXPECT_EQ(inDocuments.output().parent_path().parent_path(), root / "home" / "Documents");

  const std::pair<const char*, std::string> sources[] = {
      {"XDG_RUNTIME_DIR", quoted}, {"TMPDIR", quoted}, {"user-dirs.dirs", hostile}};
  for (const auto& [source, name] : sources) {
    SCOPED_TRACE(source);
    const fs::path base = root / source / name;
    fs::create_directories(base);
    fs::permissions(base, fs::perms::owner_all);
    unsetenv("XDG_RUNTIME_DIR");
    pin("TMPDIR", "runfile");
    if (std::string_view(source) == "user-dirs.dirs")
      writeFile(root / "home/.config/user-dirs.dirs",
                "XDG_DOCUMENTS_DIR=\"" + base.string() + "\"\n");
    else
      setenv(source, base.c_str(), 1);
    Getter getter;
    EXPECT_EQ(listIn(getter, folder), succeeded);
    EXPECT_EQ(getter.locations, listed);
    EXPECT_EQ(getter.output().string().rfind(base.string(), 0), 0u);
    EXPECT_FALSE(fs::exists(root / "home/ran"));
  }

  writeFile(root / "home/.config/user-dirs.dirs", "");
  writeFile(root / "victim", "precious");
  fs::permissions(root / "home" / "Documents", fs::perms(01777));
  fs::create_symlink(root / "victim", root / "home" / "Documents" / "tide locations.txt");
  fs::remove(folder / "ran");
  Getter refused;
  EXPECT_EQ(listIn(refused, folder), Events{"Error: Unable to create a temporary output file"});
  EXPECT_FALSE(refused.IsRunning() || fs::exists(folder / "ran"));
  EXPECT_EQ(readFile(root / "victim"), "precious");
}

TEST_F(LocationGetterTest, GettersListingAtOnceKeepTheirOwnListsAndEachEndsItsToolWhenDestroyed) {
  // Sharing one file, the quick tool's output would land over the slow one's
  // banner and be read back with the banner's tail and the slow tool's names.
  const std::string head = "echo 'Location list generated'\n";
  Getter slow, quick;
  slow.GetLocations(fw::FolderItem(
      tool("slow", "echo " + std::string(80, '.') + "\n" + head + "sleep 0.4\necho Slow\n")
          .string()));
  quick.GetLocations(fw::FolderItem(tool("quick", "sleep 0.1\n" + head + "echo Quick\n").string()));
  ASSERT_TRUE(spinUntil([&] { return slow.settled() && quick.settled(); }));
  EXPECT_EQ(slow.locations, Names{"Slow"});
  EXPECT_EQ(quick.locations, Names{"Quick"});

  // Destroying a getter ends its tool and removes its output.
  const fs::path folder = tool("hung", "echo $$ > pid\nexec sleep 60\n");
  auto getter = std::make_unique<Getter>();
  getter->GetLocations(fw::FolderItem(folder.string()));
  ASSERT_TRUE(spinUntil([&] { return !readFile(folder / "pid").empty(); }));
  const fs::path listingFolder = getter->output().parent_path();
  getter.reset();
  EXPECT_FALSE(fs::exists(listingFolder));
  EXPECT_TRUE(spinUntil([&] { return ::kill(std::stoi(readFile(folder / "pid")), 0) != 0; }, 3000));
}

} // namespace
