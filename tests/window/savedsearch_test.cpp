#include "MainWindowTest.h"
#include "fw/FolderItem.h"
#include "fw/gui/Controls.h"

#include <QDir>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

namespace {

// What a saved search holds, as the window shows it.
struct Form {
  std::string place, start, end, early, earlyAmpm, late, lateAmpm, minLength, higher, lower;
  bool operator==(const Form&) const = default;
};

void PrintTo(const Form& f, std::ostream* os) {
  *os << "{" << f.place << " | " << f.start << " - " << f.end << " | " << f.early << " "
      << f.earlyAmpm << " - " << f.late << " " << f.lateAmpm << " | " << f.minLength << " | "
      << f.higher << " / " << f.lower << "}";
}

int ampmRow(const std::string& ampm) {
  return ampm == "AM" ? 0 : 1;
}

void fill(Halvorn* w, const Form& f) {
  w->thePlace = f.place;
  w->StartDate()->SetText(f.start);
  w->EndDate()->SetText(f.end);
  w->EarlyTime()->SetText(f.early);
  w->EarlyAMPM()->SetListIndex(ampmRow(f.earlyAmpm));
  w->LateTime()->SetText(f.late);
  w->LateAMPM()->SetListIndex(ampmRow(f.lateAmpm));
  w->MinLength()->SetText(f.minLength);
  w->TideHigher()->SetText(f.higher);
  w->TideLower()->SetText(f.lower);
}

Form formOf(const Halvorn* w) {
  return {w->thePlace,
          w->StartDate()->Text(),
          w->EndDate()->Text(),
          w->EarlyTime()->Text(),
          w->EarlyAMPM()->Text(),
          w->LateTime()->Text(),
          w->LateAMPM()->Text(),
          w->MinLength()->Text(),
          w->TideHigher()->Text(),
          w->TideLower()->Text()};
}

const Form kSeattle = {
    "Seattle, Washington", "6/1/2026", "6/30/2026", "6:00", "AM", "8", "PM", "1:30", "-0.5", "2"};
const Form kYeu = {"Île d'Yeu, Port-Joinville, France",
                   "2026-07-01",
                   "7/3/26",
                   "11:30",
                   "PM",
                   "",
                   "AM",
                   "",
                   "",
                   "0.8 ft"};

std::string pstring(const std::string& text) {
  return static_cast<char>(text.size()) + text;
}
const std::string kVersion1("\0\0\0\1", 4);

// A file as another writer might have made it.
std::string fileOf(const std::string& version, const std::vector<std::string>& texts) {
  std::string bytes = version;
  for (const std::string& t : texts)
    bytes += pstring(t);
  return bytes;
}

std::optional<std::string> filePath(const std::optional<fw::FolderItem>& f) {
  return f ? std::optional(f->AbsolutePath()) : std::nullopt;
}

class SavedSearchTest : public MainWindowTest {
protected:
  // A window that has read a file of its own, so changes to theFile show.
  Halvorn* windowWithFile(const Form& form, const std::string& name) {
    Halvorn* w = open();
    fill(w, form);
    w->SaveToFile(fw::FolderItem(pathOf(name)));
    w->OpenFile(fw::FolderItem(pathOf(name)));
    return w;
  }
  std::vector<std::string> filesInFolder() const {
    const QDir folder(QString::fromStdString(pathOf("")));
    std::vector<std::string> names;
    for (const QString& n : folder.entryList(QDir::Files | QDir::Hidden | QDir::System))
      names.push_back(n.toStdString());
    return names;
  }
};

// File contents ---------------------------------------------------------------

TEST_F(SavedSearchTest, SavedSearchReadsBackIntoAnotherWindowUnchanged) {
  for (const Form& form : {kSeattle, kYeu}) {
    SCOPED_TRACE(form.place);
    const std::string path = pathOf("roundtrip.tides");
    Halvorn* writer = open();
    fill(writer, form);
    writer->SaveToFile(fw::FolderItem(path));

    Halvorn* reader = open();
    reader->OpenFile(fw::FolderItem(path));
    EXPECT_EQ(formOf(reader), form);
    EXPECT_EQ(reader->Status()->Text(), "Selected: " + form.place);
    ASSERT_EQ(reader->Selector()->ListCount(), 1);
    EXPECT_EQ(reader->Selector()->Text(), form.place);
    EXPECT_EQ(filePath(reader->theFile), path);
    EXPECT_TRUE(dialogs->calls.empty());
  }
}

TEST_F(SavedSearchTest, SavedFileIsVersionThenTenLengthPrefixedTextsAndNothingMore) {
  const std::string path = pathOf("exact.tides");
  Halvorn* w = open();
  fill(w, kSeattle);
  w->SaveToFile(fw::FolderItem(path));

  // clang-format off
  const std::string expected = std::string("\0\0\0\1", 4) +
      "\x13" "Seattle, Washington" "\x08" "6/1/2026" "\x09" "6/30/2026" "\x04" "6:00"
      "\x02" "AM" "\x01" "8" "\x02" "PM" "\x04" "1:30" "\x04" "-0.5" "\x01" "2";
  // clang-format on
  EXPECT_EQ(bytesOf(path), expected);
  // Saving is not what names the window's document; its callers do that.
  EXPECT_FALSE(w->theFile);
  EXPECT_EQ(w->Title(), "Halvorn");
}

TEST_F(SavedSearchTest, StoredAmPmChoosesMorningOnlyWhenItStartsWithA) {
  struct Case {
    const char* stored;
    const char* shown;
  };
  const Case cases[] = {{"AM", "AM"}, {"am", "AM"}, {"a", "AM"}, {"A.M.", "AM"}, {"PM", "PM"},
                        {"pm", "PM"}, {"", "PM"},   {"x", "PM"}, {" AM", "PM"},  {"Äm", "PM"}};
  Halvorn* w = open();
  const std::string path = pathOf("ampm.tides");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    // Each popup starts on the other choice, so a missed setting shows.
    w->EarlyAMPM()->SetListIndex(c.shown == std::string("AM") ? 1 : 0);
    w->LateAMPM()->SetListIndex(c.shown == std::string("AM") ? 1 : 0);
    writeBytes(path, fileOf(kVersion1, {"P", "", "", "", c.stored, "", c.stored, "", "", ""}));
    w->OpenFile(fw::FolderItem(path));
    EXPECT_EQ(w->EarlyAMPM()->Text(), c.shown);
    EXPECT_EQ(w->LateAMPM()->Text(), c.shown);
  }
}

TEST_F(SavedSearchTest, PlaceStoredInAnotherEncodingIsKeptByteForByte) {
  const std::string place = "Cap d'Agde, France \xe9t\xe9"; // Latin-1, not UTF-8
  const std::string file =
      fileOf(kVersion1, {place, "8/1/2026", "8/2/2026", "", "AM", "", "AM", "1:00", "", "1"});
  writeBytes(pathOf("latin1.tides"), file);
  const std::string preferences = std::string(getenv("XDG_CONFIG_HOME")) + "/Halvorn Preferences";
  Halvorn* w = open();
  std::remove(preferences.c_str());

  w->OpenFile(fw::FolderItem(pathOf("latin1.tides")));
  EXPECT_EQ(w->thePlace, place);
  EXPECT_FALSE(fw::FolderItem(preferences).Exists()) << "reading a search rewrote the preferences";
  w->SaveToFile(fw::FolderItem(pathOf("again.tides")));
  EXPECT_EQ(bytesOf(pathOf("again.tides")), file);
}

// Files that can't be used ------------------------------------------------------

TEST_F(SavedSearchTest, OtherVersionIsRefusedAndTheFormKeepsItsValues) {
  const std::string versions[] = {std::string("\0\0\0\0", 4), std::string("\0\0\0\2", 4),
                                  std::string("\xff\xff\xff\xff", 4),
                                  std::string("\1\0\0\0", 4), // 1 in the other byte order
                                  std::string("\0\0\1\1", 4)};
  Halvorn* w = windowWithFile(kSeattle, "good.tides");
  const std::string good = pathOf("good.tides");
  const std::string bad = pathOf("bad.tides");
  for (const std::string& version : versions) {
    SCOPED_TRACE(testing::PrintToString(version));
    dialogs->calls.clear();
    writeBytes(bad, fileOf(version, {"Elsewhere", "1/1/2027", "1/2/2027", "1", "PM", "2", "AM",
                                     "3:00", "4", "5"}));
    w->OpenFile(fw::FolderItem(bad));
    EXPECT_EQ(dialogs->messages(), std::vector<std::string>{"Invalid tide search file " + bad});
    EXPECT_EQ(formOf(w), kSeattle);
    EXPECT_EQ(w->Status()->Text(), "Selected: " + kSeattle.place);
    EXPECT_EQ(w->Selector()->Text(), kSeattle.place);
    EXPECT_EQ(filePath(w->theFile), good);
  }
}

TEST_F(SavedSearchTest, FileThatCannotBeOpenedIsReportedAndChangesNothing) {
  const std::string folder = pathOf("a folder");
  const std::string pipe = pathOf("a pipe");
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0); // must not hang waiting for a writer
  Halvorn* w = windowWithFile(kSeattle, "good.tides");
  for (const std::string& path : {pathOf("missing.tides"), folder, pipe}) {
    SCOPED_TRACE(path);
    dialogs->calls.clear();
    w->OpenFile(fw::FolderItem(path));
    EXPECT_EQ(dialogs->messages(), std::vector<std::string>{"Unable to read the file " + path});
    EXPECT_EQ(formOf(w), kSeattle);
    EXPECT_EQ(filePath(w->theFile), pathOf("good.tides"));
  }
}

TEST_F(SavedSearchTest, TruncatedOrGarbledFilesReadWithoutHarm) {
  std::mt19937 random(20260601);
  std::string garbage(256 * 1024, '\0');
  for (char& c : garbage)
    c = static_cast<char>(random());
  garbage[0] = '\x7f'; // never a version 1
  const std::string invalid = "Invalid tide search file ";
  struct Case {
    const char* what;
    std::string bytes;
    bool refused;
    std::string place; // when read
    std::string start;
  };
  const Case cases[] = {
      {"empty", "", true, "", ""},
      {"part of the version", std::string("\0\0", 2), true, "", ""},
      {"version only", kVersion1, false, "", ""},
      {"cut inside the start date", kVersion1 + pstring("Seattle") + "\x0a" + "6/1", false,
       "Seattle", ""},
      {"bytes after the last field",
       fileOf(kVersion1, {"P", "S", "", "", "", "", "", "", "", ""}) + garbage, false, "P", "S"},
      {"version then noise", kVersion1 + garbage, false, garbage.substr(1, 0x7f),
       garbage.substr(0x81, static_cast<unsigned char>(garbage[0x80]))},
      {"noise", garbage, true, "", ""},
  };
  const std::string path = pathOf("odd.tides");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Halvorn* w = open();
    dialogs->calls.clear();
    writeBytes(path, c.bytes);
    w->OpenFile(fw::FolderItem(path));
    if (c.refused) {
      EXPECT_EQ(dialogs->messages(), std::vector<std::string>{invalid + path});
      EXPECT_FALSE(w->theFile);
    } else {
      EXPECT_TRUE(dialogs->calls.empty());
      EXPECT_EQ(w->thePlace, c.place);
      EXPECT_EQ(w->StartDate()->Text().empty(), c.start.empty());
      EXPECT_EQ(filePath(w->theFile), path);
    }
  }
}

// Saving that fails -----------------------------------------------------------

TEST_F(SavedSearchTest, SaveWhereNoFileCanBeMadeIsReportedAndTriedAgainOnTheNextSave) {
  writeBytes(pathOf("plain"), "not a folder");
  ASSERT_EQ(mkdir(pathOf("taken.tides").c_str(), 0700), 0);
  for (const std::string& path : {pathOf("plain/search.tides"), pathOf("taken.tides"),
                                  pathOf("no such folder/search.tides")}) {
    SCOPED_TRACE(path);
    Halvorn* w = open();
    fill(w, kSeattle);
    dialogs->calls.clear();
    dialogs->answerSave(path);
    EXPECT_TRUE(fw::chooseMenuItem("FileSaveAs"));
    const std::vector<std::string> once = {"Unable to create the file " + path};
    EXPECT_EQ(dialogs->messages(), once);
    // The window names the file it meant to write, so Save tries it again.
    EXPECT_EQ(filePath(w->theFile), path);
    EXPECT_EQ(w->Title(), fw::FolderItem(path).Name());
    EXPECT_TRUE(fw::chooseMenuItem("FileSave"));
    EXPECT_EQ(dialogs->count(DialogCall::Kind::Save), 1);
    EXPECT_EQ(dialogs->messages().size(), 2u);
    w->Close();
  }
}

// Writes fail as on a full disk: no file may grow, and the signal that would
// end the process is ignored so that write() reports the failure.
class FullDisk {
public:
  FullDisk() {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit none = saved_;
    none.rlim_cur = 0;
    setrlimit(RLIMIT_FSIZE, &none);
  }
  ~FullDisk() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previousHandler_);
  }

private:
  rlimit saved_{};
  void (*previousHandler_)(int) = nullptr;
};

TEST_F(SavedSearchTest, FailedWriteIsReportedAndLeavesTheEarlierFileAsItWas) {
  Halvorn* w = windowWithFile(kSeattle, "kept.tides");
  const std::string path = pathOf("kept.tides");
  const std::string before = bytesOf(path);
  fill(w, kYeu);
  {
    FullDisk full;
    EXPECT_TRUE(fw::chooseMenuItem("FileSave"));
  }
  EXPECT_EQ(dialogs->messages(), std::vector<std::string>{"Unable to create the file " + path});
  EXPECT_EQ(bytesOf(path), before);
  EXPECT_EQ(filesInFolder(), std::vector<std::string>{"kept.tides"}); // no half-written leftover

  // Once there is room again, the same Save goes through.
  EXPECT_TRUE(fw::chooseMenuItem("FileSave"));
  Halvorn* reader = open();
  reader->OpenFile(fw::FolderItem(path));
  EXPECT_EQ(formOf(reader), kYeu);
}

// File menu -------------------------------------------------------------------

TEST_F(SavedSearchTest, FileOpenNamesTheWindowBeforeReading) {
  Halvorn* w = windowWithFile(kSeattle, "first.tides");
  const std::string first = pathOf("first.tides");
  EXPECT_EQ(w->Title(), "Halvorn"); // read as a document from the desktop is

  const std::string missing = pathOf("gone.tides");
  dialogs->answerOpen(missing);
  EXPECT_TRUE(fw::chooseMenuItem("FileOpen"));
  ASSERT_EQ(dialogs->count(DialogCall::Kind::Open), 1);
  EXPECT_EQ(dialogs->calls[0].fileType, "tidesearch");
  EXPECT_EQ(w->Title(), "gone.tides");
  EXPECT_EQ(filePath(w->theFile), first);
  EXPECT_EQ(dialogs->messages(), std::vector<std::string>{"Unable to read the file " + missing});

  Halvorn* other = open();
  fill(other, kYeu);
  other->SaveToFile(fw::FolderItem(pathOf("second.tides")));
  other->Close();
  dialogs->answerOpen(pathOf("second.tides"));
  EXPECT_TRUE(fw::chooseMenuItem("FileOpen"));
  EXPECT_EQ(w->Title(), "second.tides");
  EXPECT_EQ(formOf(w), kYeu);
  EXPECT_EQ(filePath(w->theFile), pathOf("second.tides"));
}

TEST_F(SavedSearchTest, FileSaveAsksOnlyTheFirstTimeAndSaveAsAlways) {
  const std::string one = pathOf("one.tides");
  const std::string two = pathOf("two.tides");
  Halvorn* w = open();
  fill(w, kSeattle);
  dialogs->answerSave(one);
  EXPECT_TRUE(fw::chooseMenuItem("FileSave"));
  ASSERT_EQ(dialogs->count(DialogCall::Kind::Save), 1);
  EXPECT_EQ(dialogs->calls[0].fileType, "tidesearch");
  EXPECT_EQ(dialogs->calls[0].suggestedName, "Saved Tide Search Parameters");
  EXPECT_EQ(w->Title(), "one.tides");
  EXPECT_EQ(filePath(w->theFile), one);

  w->MinLength()->SetText("2:15");
  EXPECT_TRUE(fw::chooseMenuItem("FileSave"));
  EXPECT_EQ(dialogs->count(DialogCall::Kind::Save), 1);
  const std::string savedOnce = bytesOf(one);
  EXPECT_NE(savedOnce.find("\x04"
                           "2:15"),
            std::string::npos);

  dialogs->answerSave(two);
  EXPECT_TRUE(fw::chooseMenuItem("FileSaveAs"));
  EXPECT_EQ(dialogs->count(DialogCall::Kind::Save), 2);
  EXPECT_EQ(dialogs->calls.back().suggestedName, "Saved Tide Search Parameters");
  EXPECT_EQ(w->Title(), "two.tides");
  EXPECT_EQ(filePath(w->theFile), two);

  // From now on Save writes the second file and leaves the first alone.
  w->TideLower()->SetText("3");
  EXPECT_TRUE(fw::chooseMenuItem("FileSave"));
  EXPECT_EQ(dialogs->count(DialogCall::Kind::Save), 2);
  EXPECT_EQ(bytesOf(one), savedOnce);
  EXPECT_EQ(bytesOf(two).back(), '3');
  EXPECT_TRUE(dialogs->messages().empty());
}

TEST_F(SavedSearchTest, CancelledDialogChangesNothingAndTheCommandIsStillHandled) {
  struct Case {
    const char* item;
    bool windowHasFile;
  };
  for (const Case c : {Case{"FileOpen", true}, Case{"FileOpen", false}, Case{"FileSave", false},
                       Case{"FileSaveAs", true}, Case{"FileSaveAs", false}}) {
    SCOPED_TRACE(std::string(c.item) + (c.windowHasFile ? " with a file" : " without a file"));
    Halvorn* w = c.windowHasFile ? windowWithFile(kSeattle, "mine.tides") : open();
    fill(w, kYeu);
    const auto fileBefore = filePath(w->theFile);
    const auto folderBefore = filesInFolder();
    dialogs->calls.clear();

    EXPECT_TRUE(w->RunMenuHandler(c.item)); // every dialog is cancelled
    EXPECT_EQ(dialogs->calls.size(), 1u);
    EXPECT_EQ(w->Title(), "Halvorn");
    EXPECT_EQ(filePath(w->theFile), fileBefore);
    EXPECT_EQ(formOf(w), kYeu);
    EXPECT_EQ(filesInFolder(), folderBefore);
    w->Close();
  }
}

// Documents opened from the desktop ---------------------------------------------

TEST_F(SavedSearchTest, EachDocumentGetsANewWindowThatKeepsItsTitle) {
  Halvorn* writer = open();
  fill(writer, kSeattle);
  writer->SaveToFile(fw::FolderItem(pathOf("a.tides")));
  fill(writer, kYeu);
  writer->SaveToFile(fw::FolderItem(pathOf("b.tides")));
  writeBytes(pathOf("bad.tides"), std::string("\0\0\0\2", 4));

  for (const char* name : {"a.tides", "b.tides", "bad.tides"})
    app().Event_OpenDocument(fw::FolderItem(pathOf(name)));

  // Front-most first: the last document opened is in front.
  const auto windows = fw::Window::Windows();
  ASSERT_EQ(windows.size(), 4u);
  auto* bad = dynamic_cast<Halvorn*>(windows[0]);
  auto* b = dynamic_cast<Halvorn*>(windows[1]);
  auto* a = dynamic_cast<Halvorn*>(windows[2]);
  ASSERT_TRUE(a && b && bad);
  EXPECT_EQ(windows[3], writer);
  EXPECT_EQ(formOf(a), kSeattle);
  EXPECT_EQ(formOf(b), kYeu);
  for (Halvorn* w : {a, b, bad})
    EXPECT_EQ(w->Title(), "Halvorn");
  // A document that is no saved search is reported; its window stays open.
  EXPECT_EQ(dialogs->messages(),
            std::vector<std::string>{"Invalid tide search file " + pathOf("bad.tides")});
  EXPECT_TRUE(isOpen(bad));
  EXPECT_FALSE(bad->theFile);
}

} // namespace
