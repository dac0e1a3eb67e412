#include "RecordingDialogResponder.h"
#include "fw/gui/Dialogs.h"
#include "fw/gui/QtDialogResponder.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

TEST(Dialogs, EveryDialogGoesThroughTheInstalledResponder) {
  ScopedDialogResponder responder;
  responder->answerOpen("/home/me/Docs/Friday Harbor.tides");
  responder->answerSave("/home/me/Docs/saved.tides");
  responder->answerFolder("/opt/tide");

  fw::MsgBox("Please enter a start date");
  const auto opened = fw::GetOpenFolderItem("tidesearch");
  const auto saved = fw::GetSaveFolderItem("tidesearch", "Untitled");
  const auto folder = fw::SelectFolder();

  ASSERT_TRUE(opened && saved && folder);
  EXPECT_EQ(opened->AbsolutePath(), "/home/me/Docs/Friday Harbor.tides");
  EXPECT_EQ(saved->AbsolutePath(), "/home/me/Docs/saved.tides");
  EXPECT_EQ(folder->AbsolutePath(), "/opt/tide");

  ASSERT_EQ(responder->calls.size(), 4u);
  EXPECT_EQ(responder->messages(), std::vector<std::string>{"Please enter a start date"});
  EXPECT_EQ(responder->calls[1].kind, DialogCall::Kind::Open);
  EXPECT_EQ(responder->calls[1].fileType, "tidesearch");
  EXPECT_EQ(responder->calls[2].kind, DialogCall::Kind::Save);
  EXPECT_EQ(responder->calls[2].fileType, "tidesearch");
  EXPECT_EQ(responder->calls[2].suggestedName, "Untitled");
  EXPECT_EQ(responder->count(DialogCall::Kind::SelectFolder), 1);
}

TEST(Dialogs, AnEmptyQueueOrAQueuedCancelAnswersCancel) {
  ScopedDialogResponder responder;
  responder->cancelOpen();
  responder->answerOpen("/tmp/second.tides");
  EXPECT_FALSE(fw::GetOpenFolderItem("tidesearch"));
  EXPECT_TRUE(fw::GetOpenFolderItem("tidesearch"));
  EXPECT_FALSE(fw::GetOpenFolderItem("tidesearch"));
  EXPECT_FALSE(fw::GetSaveFolderItem("tidesearch", "x"));
  EXPECT_FALSE(fw::SelectFolder());
  EXPECT_EQ(responder->count(DialogCall::Kind::Open), 3);
}

TEST(Dialogs, InstallingAResponderHandsBackThePreviousOne) {
  auto first = std::make_shared<RecordingDialogResponder>();
  auto second = std::make_shared<RecordingDialogResponder>();
  auto original = fw::setDialogResponder(first);
  EXPECT_EQ(fw::setDialogResponder(second), first);
  fw::MsgBox("to the second");
  EXPECT_TRUE(first->calls.empty());
  EXPECT_EQ(second->calls.size(), 1u);
  EXPECT_EQ(&fw::dialogResponder(), second.get());
  fw::setDialogResponder(original);
}

TEST(Dialogs, FileTypesAreFoundByNameWithoutRegardToCase) {
  fw::defineFileType("tidesearch", ".tides");
  fw::defineFileType("prefs", "");
  EXPECT_EQ(fw::fileTypeExtension("tidesearch"), ".tides");
  EXPECT_EQ(fw::fileTypeExtension("TideSearch"), ".tides");
  EXPECT_EQ(fw::fileTypeExtension("prefs"), "");
  EXPECT_EQ(fw::fileTypeExtension("unknown"), "");
}

TEST(Dialogs, TheSaveDialogAddsTheExtensionOnlyWhenTheNameLacksIt) {
  struct Case {
    const char* typed;
    const char* extension;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {"/d/Friday Harbor", ".tides", "/d/Friday Harbor.tides"},
      {"/d/weekend.tides", ".tides", "/d/weekend.tides"},
      {"/d/WEEKEND.TIDES", ".tides", "/d/WEEKEND.TIDES"},
      {"/d/notes.txt", ".tides", "/d/notes.txt.tides"},
      {"/d/mytides", ".tides", "/d/mytides.tides"},
      {"/d/plain", "", "/d/plain"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(fw::QtDialogResponder::withExtension(c.typed, c.extension), c.expected) << c.typed;
}

} // namespace
