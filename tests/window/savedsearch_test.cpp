#include "HalvornWindowFixture.h"
#include "fw/gui/Menu.h"

#include <array>
#include <filesystem>
#include <random>

namespace {

using namespace std::string_literals;

// What a saved search holds, in the file's order: place, start, end, earliest
// and its AM/PM, latest and its AM/PM, shortest, higher, lower.
using Form = std::array<std::string, 10>;

const Form kSeattle = {
    "Seattle, Washington", "6/1/2026", "6/30/2026", "6:00", "AM", "8", "PM", "1:30", "-0.5", "2"};
const Form kYeu = {
    "Île d'Yeu, France", "2026-07-01", "7/3/26", "11:30", "PM", "", "AM", "", "", "0.8 ft"};
const std::string kVersion1 = "\0\0\0\1"s;

void fill(Halvorn* w, const Form& f) {
  w->thePlace = f[0];
  w->StartDate()->SetText(f[1]);
  w->EndDate()->SetText(f[2]);
  w->EarlyTime()->SetText(f[3]);
  w->EarlyAMPM()->SetListIndex(f[4] == "AM" ? 0 : 1);
  w->LateTime()->SetText(f[5]);
  w->LateAMPM()->SetListIndex(f[6] == "AM" ? 0 : 1);
  w->MinLength()->SetText(f[7]);
  w->TideHigher()->SetText(f[8]);
  w->TideLower()->SetText(f[9]);
}

Form formOf(const Halvorn* w) {
  const auto t = [](const auto* control) { return control->Text(); };
  return {w->thePlace,        t(w->StartDate()), t(w->EndDate()),  t(w->EarlyTime()),
          t(w->EarlyAMPM()),  t(w->LateTime()),  t(w->LateAMPM()), t(w->MinLength()),
          t(w->TideHigher()), t(w->TideLower())};
}

std::vector<std::string> said(const std::string& message) {
  return {message};
}

class SavedSearchTest : public HalvornWindowTest {
protected:
  // A window that has read a file of its own, so changes to theFile show.
  Halvorn* windowWithFile(const Form& form, const std::string& name) {
    Halvorn* w = open();
    fill(w, form);
    w->SaveToFile(fw::FolderItem(pathOf(name)));
    w->OpenFile(fw::FolderItem(pathOf(name)));
    return w;
  }
  std::vector<std::string> files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(home()))
      if (!entry.is_directory())
        names.push_back(entry.path().filename());
    return names;
  }
};

TEST_F(SavedSearchTest, SavedSearchIsVersionThenTenTextsAndReadsBackIntoAnotherWindow) {
  Halvorn* w = open();
  fill(w, kSeattle);
  w->SaveToFile(fw::FolderItem(pathOf("a.tides")));
  // clang-format off
  EXPECT_EQ(readBytes(pathOf("a.tides")), kVersion1 +
      "\x13" "Seattle, Washington" "\x08" "6/1/2026" "\x09" "6/30/2026" "\x04" "6:00"
      "\x02" "AM" "\x01" "8" "\x02" "PM" "\x04" "1:30" "\x04" "-0.5" "\x01" "2");
  // clang-format on
  // Saving is not what names the window's document; its callers do that.
  EXPECT_FALSE(w->theFile);
  EXPECT_EQ(w->Title(), "Halvorn");
  for (const Form& form : {kSeattle, kYeu}) {
    fill(w, form);
    w->SaveToFile(fw::FolderItem(pathOf("a.tides")));
    Halvorn* reader = open();
    reader->OpenFile(fw::FolderItem(pathOf("a.tides")));
    EXPECT_EQ(formOf(reader), form);
    EXPECT_EQ(reader->Status()->Text(), "Selected: " + form[0]);
    EXPECT_EQ(rows(reader->Selector()), std::vector{form[0]});
    EXPECT_EQ(pathOrNone(reader->theFile), pathOf("a.tides"));
  }
  EXPECT_TRUE(dialogs->calls.empty());
}

TEST_F(SavedSearchTest, FileOfAnotherVersionOrUnreadableIsRefusedAndChangesNothing) {
  Halvorn* w = windowWithFile(kSeattle, "good.tides");
  const std::string bad = pathOf("bad.tides"), folder = pathOf("a folder"), pipe = pathOf("a pipe");
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0); // must not hang waiting for a writer
  const std::pair<std::string, std::string> cases[] = {
      {"\0\0\0\0"s, bad},
      {"\0\0\0\2"s, bad},
      {"\1\0\0\0"s, bad}, // 1 in the other byte order
      {"", pathOf("missing.tides")},
      {"", folder},
      {"", pipe},
  };
  for (const auto& [version, path] : cases) {
    SCOPED_TRACE(path + " " + testing::PrintToString(version));
    writeBytes(bad, version + pstring("Elsewhere") + pstring("1/1/2027"));
    dialogs->calls.clear();
    w->OpenFile(fw::FolderItem(path));
    const char* refusal =
        version.empty() ? "Unable to read the file " : "Invalid tide search file ";
    EXPECT_EQ(dialogs->messages(), said(refusal + path));
    EXPECT_EQ(formOf(w), kSeattle);
    EXPECT_EQ(w->Status()->Text(), "Selected: " + kSeattle[0]);
    EXPECT_EQ(pathOrNone(w->theFile), pathOf("good.tides"));
  }
}

TEST_F(SavedSearchTest, TruncatedOrGarbledFilesReadWithoutHarm) {
  std::string garbage = "\x7f"; // never a version 1
  for (std::mt19937 random(20260601); garbage.size() < 256 * 1024;)
    garbage += static_cast<char>(random());
  const struct {
    std::string bytes;
    bool refused;
    std::string place; // when read
  } cases[] = {
      {"", true, ""},
      {kVersion1, false, ""},
      {kVersion1 + pstring("Seattle") + "\x0a" + "6/1", false, "Seattle"},
      {kVersion1 + pstring("P") + std::string(9, '\0') + garbage, false, "P"},
      {kVersion1 + garbage, false, garbage.substr(1, 0x7f)},
      {garbage, true, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes.substr(0, 12)));
    Halvorn* w = open();
    dialogs->calls.clear();
    writeBytes(pathOf("odd.tides"), c.bytes);
    w->OpenFile(fw::FolderItem(pathOf("odd.tides")));
    EXPECT_EQ(dialogs->messages(), c.refused
                                       ? said("Invalid tide search file " + pathOf("odd.tides"))
                                       : std::vector<std::string>{});
    EXPECT_EQ(w->thePlace, c.place);
    EXPECT_EQ(pathOrNone(w->theFile), c.refused ? "none" : pathOf("odd.tides"));
  }
}

TEST_F(SavedSearchTest, FailedSaveIsReportedLeavesTheEarlierFileAndIsTriedAgainOnTheNextSave) {
  Halvorn* w = windowWithFile(kSeattle, "kept.tides");
  const std::string path = pathOf("kept.tides"), before = readBytes(path);
  fill(w, kYeu);
  {
    FullDisk full;
    EXPECT_TRUE(fw::chooseMenuItem("FileSave"));
  }
  EXPECT_EQ(dialogs->messages(), said("Unable to create the file " + path));
  EXPECT_EQ(readBytes(path), before);
  EXPECT_EQ(files(), std::vector<std::string>{"kept.tides"}); // no half-written leftover
  EXPECT_TRUE(fw::chooseMenuItem("FileSave"));
  Halvorn* reader = open();
  reader->OpenFile(fw::FolderItem(path));
  EXPECT_EQ(formOf(reader), kYeu);
}

TEST_F(SavedSearchTest, FileOpenNamesTheWindowBeforeReading) {
  Halvorn* w = windowWithFile(kSeattle, "first.tides");
  EXPECT_EQ(w->Title(), "Halvorn"); // as a document read from the desktop is
  dialogs->answerOpen(pathOf("gone.tides"));
  EXPECT_TRUE(fw::chooseMenuItem("FileOpen"));
  ASSERT_EQ(dialogs->count(DialogCall::Kind::Open), 1);
  EXPECT_EQ(dialogs->calls[0].fileType, "tidesearch");
  EXPECT_EQ(w->Title(), "gone.tides");
  EXPECT_EQ(pathOrNone(w->theFile), pathOf("first.tides"));
  EXPECT_EQ(dialogs->messages(), said("Unable to read the file " + pathOf("gone.tides")));
}

TEST_F(SavedSearchTest, FileSaveAsksOnlyTheFirstTimeAndSaveAsAlways) {
  Halvorn* w = open();
  dialogs->answerSave(pathOf("one.tides"));
  EXPECT_TRUE(fw::chooseMenuItem("FileSave"));
  ASSERT_EQ(dialogs->count(DialogCall::Kind::Save), 1);
  EXPECT_EQ(dialogs->calls[0].fileType, "tidesearch");
  EXPECT_EQ(dialogs->calls[0].suggestedName, "Saved Tide Search Parameters");
  EXPECT_EQ(w->Title(), "one.tides");
  w->TideLower()->SetText("3");
  EXPECT_TRUE(fw::chooseMenuItem("FileSave"));
  const std::string savedOnce = readBytes(pathOf("one.tides"));
  EXPECT_EQ(savedOnce.back(), '3');

  dialogs->answerSave(pathOf("two.tides"));
  EXPECT_TRUE(fw::chooseMenuItem("FileSaveAs"));
  EXPECT_EQ(w->Title(), "two.tides");
  w->TideLower()->SetText("4");
  EXPECT_TRUE(fw::chooseMenuItem("FileSave")); // now writes the second file only
  EXPECT_EQ(dialogs->count(DialogCall::Kind::Save), 2);
  EXPECT_EQ(readBytes(pathOf("one.tides")), savedOnce);
  EXPECT_EQ(readBytes(pathOf("two.tides")).back(), '4');
  EXPECT_TRUE(dialogs->messages().empty());
}

TEST_F(SavedSearchTest, CancelledDialogChangesNothingAndTheCommandIsStillHandled) {
  const std::pair<const char*, bool> cases[] = {
      {"FileOpen", true}, {"FileOpen", false}, {"FileSave", false}, {"FileSaveAs", true}};
  for (const auto& [item, hasFile] : cases) {
    SCOPED_TRACE(std::string(item) + (hasFile ? " with a file" : ""));
    Halvorn* w = hasFile ? windowWithFile(kSeattle, "mine.tides") : open();
    fill(w, kYeu);
    const std::string fileBefore = pathOrNone(w->theFile);
    const auto filesBefore = files();
    dialogs->calls.clear();
    EXPECT_TRUE(w->RunMenuHandler(item)); // every dialog is cancelled
    EXPECT_EQ(dialogs->calls.size(), 1u);
    EXPECT_EQ(w->Title(), "Halvorn");
    EXPECT_EQ(pathOrNone(w->theFile), fileBefore);
    EXPECT_EQ(formOf(w), kYeu);
    EXPECT_EQ(files(), filesBefore);
  }
}

} // namespace
