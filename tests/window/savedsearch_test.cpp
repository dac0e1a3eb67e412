#include "HalvornWindowFixture.h"
#include "fw/gui/Menu.h"

#include <array>
#include <filesystem>

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

using Said = std::vector<std::string>;

class SavedSearchTest : public HalvornWindowTest {
protected:
  long files() const { return std::distance(std::filesystem::directory_iterator(home()), {}); }
};

TEST_F(SavedSearchTest, SavedSearchIsVersionThenTenTextsAndReadsBackIntoAnotherWindow) {
  Halvorn* w = open();
  for (const Form& form : {kYeu, kSeattle}) {
    fill(w, form);
    w->SaveToFile(fw::FolderItem(pathOf("a.tides")));
    Halvorn* reader = open();
    reader->OpenFile(fw::FolderItem(pathOf("a.tides")));
    EXPECT_EQ(std::tuple(formOf(reader), reader->Status()->Text(), pathOrNone(reader->theFile)),
              std::tuple(form, "Selected: " + form[0], pathOf("a.tides")));
  }
  // clang-format off
  EXPECT_EQ(readBytes(pathOf("a.tides")), kVersion1 +
      "\x13" "Seattle, Washington" "\x08" "6/1/2026" "\x09" "6/30/2026" "\x04" "6:00"
      "\x02" "AM" "\x01" "8" "\x02" "PM" "\x04" "1:30" "\x04" "-0.5" "\x01" "2");
  // clang-format on
}

// File > Open names the window before reading, whatever comes of it.
TEST_F(SavedSearchTest, FileOpenRefusesBadOrCutFilesChangingNothingElse) {
  const std::string garbage(256 * 1024, '\x7f'); // never a version 1
  const std::string odd = pathOf("odd.tides"), folder = pathOf("a folder"), pipe = pathOf("a pipe");
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0); // must not hang waiting for a writer
  const std::string invalid = "Invalid tide search file ", unreadable = "Unable to read the file ";
  const struct {
    std::string bytes, path, refusal, place; // place: when read
  } cases[] = {
      {"\0\0\0\2"s + pstring("Elsewhere"), odd, invalid, ""},
      {"\1\0\0\0"s + pstring("Elsewhere"), odd, invalid, ""}, // 1 in the other byte order
      {"", folder, unreadable, ""},
      {"", pathOf("gone.tides"), unreadable, ""},
      {"", pipe, unreadable, ""},
      {kVersion1, odd, invalid, ""},
      {kVersion1 + pstring("Seattle") + "\x0a" + "6/1", odd, invalid, ""},
      {kVersion1 + std::string(9, '\0') + "\x02" + "2", odd, invalid, ""},
      {kVersion1 + std::string(10, '\0'), odd, "", ""},
      {kVersion1 + garbage, odd, "", garbage.substr(0, 0x7f)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path + " " + testing::PrintToString(c.bytes.substr(0, 12)));
    // A window that has read a file of its own, so changes to theFile show.
    Halvorn* w = open();
    fill(w, kSeattle);
    w->SaveToFile(fw::FolderItem(pathOf("good.tides")));
    w->OpenFile(fw::FolderItem(pathOf("good.tides")));
    writeBytes(odd, c.bytes);
    dialogs->calls.clear();
    dialogs->answerOpen(c.path);
    EXPECT_TRUE(fw::chooseMenuItem("FileOpen"));
    EXPECT_EQ(dialogs->calls.at(0).fileType, "tidesearch"); // the Open dialog's
    EXPECT_EQ(w->Title(), fw::FolderItem(c.path).Name());
    const bool refused = !c.refusal.empty();
    EXPECT_EQ(dialogs->messages(), refused ? Said{c.refusal + c.path} : Said{});
    EXPECT_EQ(w->thePlace, refused ? kSeattle[0] : c.place);
    EXPECT_TRUE(!refused || formOf(w) == kSeattle);
    EXPECT_EQ(pathOrNone(w->theFile), refused ? pathOf("good.tides") : c.path);
  }
}

// Every dialog is cancelled unless answered.
TEST_F(SavedSearchTest, SaveAsksOnceSaveAsAlwaysAndCancelledOrFailedSavesChangeNothing) {
  Halvorn* w = open();
  fill(w, kSeattle);
  const long filesBefore = files();
  for (const char* item : {"FileOpen", "FileSave", "FileSaveAs"})
    EXPECT_TRUE(fw::chooseMenuItem(item)) << item;
  EXPECT_EQ(std::tuple(w->Title(), pathOrNone(w->theFile), formOf(w), files()),
            std::tuple("Halvorn", "none"s, kSeattle, filesBefore));
  const std::string path = pathOf("one.tides");
  dialogs->answerSave(path);
  EXPECT_TRUE(fw::chooseMenuItem("FileSave"));
  const std::string before = readBytes(path);
  fill(w, kYeu);
  {
    FullDisk full;
    EXPECT_TRUE(fw::chooseMenuItem("FileSave"));
  }
  // No half-written leftover; the next Save tries again.
  EXPECT_EQ(std::pair(readBytes(path), files()), std::pair(before, filesBefore + 1));
  EXPECT_TRUE(fw::chooseMenuItem("FileSave"));
  EXPECT_EQ(readBytes(path).back(), 't'); // of kYeu's "0.8 ft"
  for (const char* item : {"FileOpen", "FileSaveAs"})
    EXPECT_TRUE(fw::chooseMenuItem(item)) << item;
  EXPECT_EQ(std::tuple(w->Title(), pathOrNone(w->theFile), formOf(w)),
            std::tuple("one.tides"s, path, kYeu));
  dialogs->answerSave(pathOf("two.tides"));
  EXPECT_TRUE(fw::chooseMenuItem("FileSaveAs"));
  EXPECT_EQ(std::pair(w->Title(), pathOrNone(w->theFile)),
            std::pair("two.tides"s, pathOf("two.tides")));
  EXPECT_EQ(dialogs->messages(), Said{"Unable to create the file " + path});
  ASSERT_EQ(dialogs->count(DialogCall::Kind::Save), 5);
  EXPECT_EQ(std::pair(dialogs->calls[1].fileType, dialogs->calls[1].suggestedName),
            std::pair("tidesearch"s, "Saved Tide Search Parameters"s));
}

} // namespace
