#include "engine/LocationGetter.h"
#include "fw/Text.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <set>
#include <signal.h>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// ---------------------------------------------------------------------------
// The parse

namespace {

const std::string header = "Location list generated 2026-12-06  4:37 PM UTC";

struct ParseCase {
  const char* name;
  std::string text;
  Names names;
};

std::string repeat(char c, int n) {
  return std::string(static_cast<std::size_t>(n), c);
}

const std::vector<ParseCase> parseCases = {
    {"PredictorOutput",
     header + "\n\n" + "Seattle, Puget Sound, Washington" + repeat(' ', 20) +
         "Ref 47.6026° N, 122.3393° W\n" + "Tacoma, Commencement Bay" + repeat(' ', 28) +
         "Sub 47.2667° N, 122.4133° W\n",
     {"Seattle, Puget Sound, Washington", "Tacoma, Commencement Bay"}},
    {"CarriageReturns", header + "\r\rA\rB\r", {"A", "B"}},
    // A LF after the CR stays at the start of the next line: trimmed away from
    // a name, but it makes the empty line after the header a one-byte line.
    {"CarriageReturnLineFeed", header + "\r\n\r\nA\r\nB\r\n", {"", "A", "B"}},
    {"CarriageReturnAnywhereWinsOverLineFeeds", header + "\nA\nB\rC\r", {"C"}},
    {"LineOfBlanksIsAnEmptyName", header + "\n   \nA\n", {"", "A"}},
    {"EmptyLinesSkipped", header + "\n\nA\n\n\nB\n", {"A", "B"}},
    {"TabsAndBlanksTrimmed", header + "\n\t A \t\n", {"A"}},
    {"LongLineKeeps52Bytes", header + "\n" + repeat('x', 60) + "\n", {repeat('x', 52)}},
    {"NameEndsAtColumn52ThenTrimmed",
     header + "\n" + repeat('z', 51) + " Ref 1° N\n",
     {repeat('z', 51)}},
    {"CutSplittingTwoByteCharacterDropsIt",
     header + "\n" + repeat('a', 51) + "é" + "\n",
     {repeat('a', 51)}},
    {"TwoByteCharacterEndingAtByte52Kept",
     header + "\n" + repeat('a', 50) + "é" + "x\n",
     {repeat('a', 50) + "é"}},
    {"CutAfterOneOfThreeBytesDropsCharacter",
     header + "\n" + repeat('b', 51) + "€\n",
     {repeat('b', 51)}},
    {"CutAfterTwoOfThreeBytesDropsCharacter",
     header + "\n" + repeat('b', 50) + "€\n",
     {repeat('b', 50)}},
    {"CutAfterThreeOfFourBytesDropsCharacter",
     header + "\n" + repeat('c', 49) + "𝄞\n",
     {repeat('c', 49)}},
    {"NonUtf8BytesCutWhereTheyFall",
     header + "\n" + repeat('d', 51) + "\x80\x80\x80\n",
     {repeat('d', 51) + "\x80"}},
    {"Utf8NameKeepsItsBytes", header + "\nAñasco, Puerto Rico\n", {"Añasco, Puerto Rico"}},
    {"HeaderOnLastLineGivesNothing", "banner\n" + header + "\n", {}},
    {"HeaderMissingGivesNothing", "tide: cannot open database\nA\nB\n", {}},
    {"LinesBeforeHeaderAreNoNames", "banner\nwarning\n" + header + "\nA\n", {"A"}},
    {"HeaderPhraseAnywhereInLine", "xx Location list generated yy\nA\n", {"A"}},
    {"LaterHeaderLinesAreNoNames", header + "\nA\n" + header + "\nB\n", {"A", "B"}},
    {"LastLineWithoutLineEndDropped", header + "\nA\nB", {"A"}},
    {"DuplicatesKept", header + "\nA\nA\n", {"A", "A"}},
    {"EmptyText", "", {}},
};

void PrintTo(const ParseCase& c, std::ostream* out) {
  *out << c.name;
}

class ParseLocationList : public testing::TestWithParam<ParseCase> {};

} // namespace

TEST_P(ParseLocationList, CutsNamesAfterHeader) {
  const ParseCase& c = GetParam();
  int firstNameCalls = 0;
  const Names names = parseLocationList(c.text, [&] { ++firstNameCalls; });
  EXPECT_EQ(names, c.names);
  EXPECT_EQ(firstNameCalls, c.names.empty() ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(Outputs, ParseLocationList, testing::ValuesIn(parseCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Listings with real shells and scripted tools

namespace {

void writeFile(const fs::path& path, const std::string& text, fs::perms perms = fs::perms(0644)) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
  fs::permissions(path, perms);
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A folder holding a scripted "tide" and the (unread) database file.
fs::path makeToolFolder(const fs::path& folder, const std::string& body) {
  writeFile(folder / "tide", "#!/bin/bash\n" + body, fs::perms(0755));
  writeFile(folder / "harmonics.tcd", "");
  return folder;
}

const std::string listingBody = "echo 'tide: reading database' >&2\n"
                                "echo 'Location list generated 2026-12-06  4:37 PM UTC'\n"
                                "echo\n"
                                "printf '%-51s %s\\n' 'Seattle, Puget Sound' 'Ref 47° N'\n"
                                "printf '%-51s %s\\n' 'Tacoma' 'Sub 47° N'\n"
                                "printf '%-51s %s\\n' 'Añasco, Puerto Rico' 'Sub 18° N'\n";
const Names listedNames = {"Seattle, Puget Sound", "Tacoma", "Añasco, Puerto Rico"};

const std::vector<std::string> successEvents = {"Progress: Parsing location list started",
                                                "Progress: 0 locations parsed",
                                                "Progress: 3 locations found", "HaveLocations"};

// Sets the variables that choose the special folders for one test and puts
// them back afterwards.
class PinnedEnvironment {
public:
  explicit PinnedEnvironment(const fs::path& root) {
    home = root / "home";
    runtime = root / "run";
    fs::create_directories(home / "Documents");
    fs::create_directories(runtime);
    fs::permissions(home / "Documents", fs::perms(0700));
    fs::permissions(runtime, fs::perms(0700));
    pin("HOME", home.string());
    pin("XDG_CONFIG_HOME", (home / ".config").string());
    pin("XDG_RUNTIME_DIR", runtime.string());
    pin("TMPDIR", runtime.string());
    pin("XDG_DOCUMENTS_DIR", "");
  }
  ~PinnedEnvironment() {
    for (auto it = saved.rbegin(); it != saved.rend(); ++it) {
      if (it->second) {
        setenv(it->first.c_str(), it->second->c_str(), 1);
      } else {
        unsetenv(it->first.c_str());
      }
    }
  }
  void pin(const std::string& name, const std::string& value) {
    const char* old = std::getenv(name.c_str());
    saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    if (value.empty()) {
      unsetenv(name.c_str());
    } else {
      setenv(name.c_str(), value.c_str(), 1);
    }
  }

  fs::path home;
  fs::path runtime;

private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

class RecordingGetter : public LocationGetter {
public:
  RecordingGetter() {
    Progress = [this](const std::string& m) { events.push_back("Progress: " + m); };
    Error = [this](const std::string& m) { events.push_back("Error: " + m); };
    HaveLocations = [this] { events.push_back("HaveLocations"); };
  }
  const std::optional<fw::FolderItem>& output() const { return outputFile; }

  bool settled() const {
    return std::any_of(events.begin(), events.end(), [](const std::string& e) {
      return e == "HaveLocations" || e == "Error: There was no location list generated";
    });
  }

  std::vector<std::string> events;
};

// Spins the event loop until done() or the time-out, then a little longer so
// that an event that must not follow would show.
bool spinUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
  QEventLoop loop;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    if (done()) {
      loop.quit();
    }
  });
  tick.start(5);
  QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
  if (!done()) {
    loop.exec();
  }
  QElapsedTimer grace;
  grace.start();
  while (grace.elapsed() < 100) {
    QEventLoop().processEvents(QEventLoop::AllEvents, 20);
  }
  return done();
}

bool listAndWait(RecordingGetter& getter, const fs::path& folder) {
  getter.events.clear();
  getter.GetLocations(fw::FolderItem(folder.string()));
  return spinUntil([&] { return getter.settled(); });
}

class LocationGetterTest : public testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }

  QTemporaryDir dir;
  fs::path root = dir.path().toStdString();
  PinnedEnvironment env{root};
};

} // namespace

TEST_F(LocationGetterTest, ListsNamesWithTheCommandsArgumentsAndEvents) {
  // Blanks, quotes and a dollar sign must reach cd and -l as they are.
  const fs::path folder =
      makeToolFolder(root / "my tides $HOME 'q'", "printf '%s\\n' \"$PWD\" \"$HFILE_PATH\" \"$@\" "
                                                  "> invocation\n" +
                                                      listingBody);
  RecordingGetter getter;
  ASSERT_TRUE(listAndWait(getter, folder));

  EXPECT_EQ(getter.events, successEvents);
  EXPECT_EQ(getter.locations, listedNames);
  EXPECT_EQ(readFile(folder / "invocation"), folder.string() + "\n./harmonics.tcd\n-l" +
                                                 (folder / "harmonics.tcd").string() + "\n-ml\n");
  ASSERT_TRUE(getter.output());
  const fs::path output = getter.output()->AbsolutePath();
  EXPECT_EQ(output.filename(), "tide locations.txt");
  EXPECT_EQ(
      output.parent_path().parent_path(),
      fs::path(fw::FolderItem::SpecialFolder(fw::SpecialFolderKind::Temporary)->AbsolutePath()));
  // Standard error goes to the file too, and the file stays after reading.
  EXPECT_EQ(readFile(output).rfind("tide: reading database\n", 0), 0u);
}

TEST_F(LocationGetterTest, FailedToolsRedeliverTheEarlierList) {
  const fs::path good = makeToolFolder(root / "good", listingBody);
  const fs::path withoutTool = root / "no tool";
  writeFile(withoutTool / "harmonics.tcd", "");
  const fs::path failing = makeToolFolder(root / "failing", listingBody + "exit 3\n");
  const fs::path notExecutable = root / "plain";
  writeFile(notExecutable / "tide", listingBody);

  RecordingGetter getter;
  ASSERT_TRUE(listAndWait(getter, good));
  ASSERT_EQ(getter.locations, listedNames);

  const std::vector<std::string> failed = {"Error: Unable to get the location list",
                                           "HaveLocations"};
  for (const fs::path& folder : {withoutTool, failing, notExecutable}) {
    SCOPED_TRACE(folder.string());
    ASSERT_TRUE(listAndWait(getter, folder));
    EXPECT_EQ(getter.events, failed);
    EXPECT_EQ(getter.locations, listedNames);
  }
}

TEST_F(LocationGetterTest, FailureBeforeAnyListingDeliversAnEmptyList) {
  RecordingGetter getter;
  ASSERT_TRUE(listAndWait(getter, makeToolFolder(root / "failing", listingBody + "exit 1\n")));
  EXPECT_EQ(getter.events,
            (std::vector<std::string>{"Error: Unable to get the location list", "HaveLocations"}));
  EXPECT_TRUE(getter.locations.empty());
}

TEST_F(LocationGetterTest, OutputWithoutHeaderFindsNothing) {
  RecordingGetter getter;
  ASSERT_TRUE(listAndWait(getter, makeToolFolder(root / "quiet", "echo 'Seattle'\n")));
  EXPECT_EQ(getter.events,
            (std::vector<std::string>{"Progress: Parsing location list started",
                                      "Progress: 0 locations found", "HaveLocations"}));
  EXPECT_TRUE(getter.locations.empty());
}

TEST_F(LocationGetterTest, VanishedOutputFileEndsWithoutList) {
  RecordingGetter getter;
  ASSERT_TRUE(listAndWait(getter, makeToolFolder(root / "good", listingBody)));
  const std::string vanish = listingBody + "rm -f -- \"$(readlink /proc/$$/fd/1)\"\n";
  ASSERT_TRUE(listAndWait(getter, makeToolFolder(root / "vanishing", vanish)));
  EXPECT_EQ(getter.events, std::vector<std::string>{"Error: There was no location list generated"});
  EXPECT_EQ(getter.locations, listedNames);
}

TEST_F(LocationGetterTest, MissingDatabaseFolderRunsNoToolFromTheWorkingFolder) {
  const fs::path cwdTool = makeToolFolder(root / "cwd", "touch ran\n" + listingBody);
  const fs::path previous = fs::current_path();
  fs::current_path(cwdTool);
  RecordingGetter getter;
  const bool settled = listAndWait(getter, root / "missing");
  fs::current_path(previous);

  ASSERT_TRUE(settled);
  EXPECT_EQ(getter.events,
            (std::vector<std::string>{"Error: Unable to get the location list", "HaveLocations"}));
  EXPECT_FALSE(fs::exists(cwdTool / "ran"));
}

TEST_F(LocationGetterTest, LineBreakInFolderPathIsRefused) {
  const fs::path folder = makeToolFolder(root / "two\nlines", "touch ran\n" + listingBody);
  RecordingGetter getter;
  ASSERT_TRUE(listAndWait(getter, folder));
  EXPECT_EQ(getter.events,
            (std::vector<std::string>{
                "Error: Unable to get the location list: the database folder's path holds a "
                "line break",
                "HaveLocations"}));
  EXPECT_FALSE(getter.IsRunning());
  EXPECT_FALSE(fs::exists(folder / "ran"));
}

// The Temporary folder is refused when XDG_RUNTIME_DIR and TMPDIR name no
// folder that can be made private; the listing then goes to Documents.
TEST_F(LocationGetterTest, UnusableTemporaryFolderFallsBackToDocuments) {
  writeFile(root / "runfile", "");
  env.pin("XDG_RUNTIME_DIR", (root / "runfile").string());
  env.pin("TMPDIR", (root / "runfile").string());
  ASSERT_FALSE(fw::FolderItem::SpecialFolder(fw::SpecialFolderKind::Temporary));

  RecordingGetter getter;
  ASSERT_TRUE(listAndWait(getter, makeToolFolder(root / "good", listingBody)));
  EXPECT_EQ(getter.events, successEvents);
  ASSERT_TRUE(getter.output());
  EXPECT_EQ(fs::path(getter.output()->AbsolutePath()).parent_path().parent_path(),
            env.home / "Documents");
}

TEST_F(LocationGetterTest, NoUsableFolderForOutputStartsNothing) {
  writeFile(root / "runfile", "");
  env.pin("XDG_RUNTIME_DIR", (root / "runfile").string());
  env.pin("TMPDIR", (root / "runfile").string());
  const fs::path folder = makeToolFolder(root / "good", "touch ran\n" + listingBody);
  const fs::path victim = root / "victim";
  writeFile(victim, "precious");

  struct Case {
    const char* name;
    std::function<void()> spoil;
  };
  const std::vector<Case> cases = {
      // Others could plant a link where the redirection writes.
      {"DocumentsWritableByOthers",
       [&] {
         fs::permissions(env.home / "Documents", fs::perms(01777));
         fs::create_symlink(victim, env.home / "Documents" / "tide locations.txt");
       }},
      {"HomeIsAFile",
       [&] {
         writeFile(root / "homefile", "");
         env.pin("HOME", (root / "homefile").string());
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.spoil();
    RecordingGetter getter;
    getter.GetLocations(fw::FolderItem(folder.string()));
    spinUntil([] { return true; });
    EXPECT_EQ(getter.events,
              std::vector<std::string>{"Error: Unable to create a temporary output file"});
    EXPECT_FALSE(getter.IsRunning());
    EXPECT_FALSE(getter.output());
    EXPECT_FALSE(fs::exists(folder / "ran"));
    EXPECT_EQ(readFile(victim), "precious");
  }
}

TEST_F(LocationGetterTest, PlantedLinkIsNeverWrittenThrough) {
  const fs::path temporary =
      fw::FolderItem::SpecialFolder(fw::SpecialFolderKind::Temporary)->AbsolutePath();
  const fs::path victim = root / "victim";
  writeFile(victim, "precious");
  fs::create_symlink(victim, temporary / "tide locations.txt");

  RecordingGetter getter;
  ASSERT_TRUE(listAndWait(getter, makeToolFolder(root / "good", listingBody)));
  EXPECT_EQ(getter.events, successEvents);
  EXPECT_EQ(readFile(victim), "precious");
}

TEST_F(LocationGetterTest, GettersListingAtOnceKeepTheirOwnLists) {
  // Sharing one file, the quick tool's output would land over the slow one's
  // banner and be read back with the banner's tail and the slow tool's names.
  const fs::path slow =
      makeToolFolder(root / "slow", "echo 'tide: " + repeat('.', 80) +
                                        "'\necho 'Location list generated'\n"
                                        "echo Slowtown\nsleep 0.4\necho Slowville\n");
  const fs::path quick =
      makeToolFolder(root / "quick", "sleep 0.1\necho 'Location list generated'\necho Quickport\n");
  RecordingGetter first;
  RecordingGetter second;
  first.GetLocations(fw::FolderItem(slow.string()));
  second.GetLocations(fw::FolderItem(quick.string()));
  ASSERT_TRUE(spinUntil([&] { return first.settled() && second.settled(); }));
  EXPECT_EQ(first.locations, (Names{"Slowtown", "Slowville"}));
  EXPECT_EQ(second.locations, Names{"Quickport"});
}

TEST_F(LocationGetterTest, DestroyingAGetterEndsItsToolAndRemovesItsOutput) {
  const fs::path folder = makeToolFolder(root / "hung", "echo $$ > pid\nexec sleep 60\n");
  auto getter = std::make_unique<RecordingGetter>();
  getter->GetLocations(fw::FolderItem(folder.string()));
  ASSERT_TRUE(spinUntil([&] { return fs::exists(folder / "pid"); }));
  ASSERT_TRUE(getter->output());
  const fs::path listingFolder = fs::path(getter->output()->AbsolutePath()).parent_path();
  const pid_t tool = std::stoi(readFile(folder / "pid"));

  QElapsedTimer timer;
  timer.start();
  getter.reset();
  EXPECT_LT(timer.elapsed(), 5000);
  EXPECT_FALSE(fs::exists(listingFolder));
  EXPECT_TRUE(spinUntil([&] { return ::kill(tool, 0) != 0; }, 3000)) << "tide still runs";
}

// ---------------------------------------------------------------------------
// End to end with the real predictor and database

TEST_F(LocationGetterTest, RealPredictorListsEveryStation) {
  const fs::path resources = HALVORN_RESOURCES_DIR;
  if (!fs::exists(resources / "tide") || !fs::exists(resources / "harmonics.tcd")) {
    GTEST_SKIP() << "no predictor or database in " << resources << " (build the predictor)";
  }
  RecordingGetter getter;
  QElapsedTimer timer;
  timer.start();
  ASSERT_TRUE(listAndWait(getter, resources));
  std::cout << "[ listing ] " << timer.elapsed() << " ms\n";

  ASSERT_EQ(getter.events.back(), "HaveLocations");
  EXPECT_EQ(getter.events[getter.events.size() - 2], "Progress: 5407 locations found");
  ASSERT_EQ(getter.locations.size(), 5407u);
  // Every station must stay tellable apart and go back to the predictor as it came.
  const std::set<std::string> unique(getter.locations.begin(), getter.locations.end());
  EXPECT_EQ(unique.size(), getter.locations.size());
  for (const std::string& name : getter.locations) {
    EXPECT_FALSE(name.empty());
    EXPECT_LE(name.size(), 52u) << name;
    EXPECT_EQ(name, fw::Trim(name));
    EXPECT_TRUE(QByteArray::fromStdString(name).isValidUtf8()) << name;
  }
  EXPECT_TRUE(unique.count("Seattle, Puget Sound, Washington")) << "no Seattle station";

  // A name with non-ASCII letters selects its station when it goes back.
  const std::string accented = "Mayagüez, Puerto Rico";
  ASSERT_TRUE(unique.count(accented));
  fw::Shell search;
  search.Execute("cd " + fw::FolderItem(resources.string()).ShellPath() +
                 "; HFILE_PATH=./harmonics.tcd ./tide -b '2026-12-05 00:00' -e '2026-12-05 02:00'"
                 " -ft -mm -s 1:00 -l '" +
                 accented + "'");
  EXPECT_EQ(search.ErrorCode(), 0) << search.ReadAll();
}
