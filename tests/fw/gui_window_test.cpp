// Windows, their controls and their menus, on one shared application and menu bar.
#include "fw/gui/Application.h"
#include "fw/gui/Controls.h"
#include "fw/gui/Menu.h"
#include "fw/gui/MenuView.h"
#include "fw/gui/Window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScrollBar>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

// Every EnableMenuItems event and menu handler run, in order.
std::string journal;
fw::MenuBar* barForNewWindows = nullptr;

std::unique_ptr<fw::MenuItem> item(const char* name, const char* text, const char* shortcut = "") {
  return std::make_unique<fw::MenuItem>(name, text, shortcut);
}

std::unique_ptr<fw::MenuBar> makeBar() {
  auto bar = std::make_unique<fw::MenuBar>("TestBar");
  fw::MenuItem* file = bar->Append(item("FileMenu", "&File"));
  file->Append(item("FileNew", "New", "Cmd+N"));
  file->Append(item("FileClose", "Close", "Cmd+W"));
  file->Append(item("FileSaveAs", "Save As"));
  file->Append(item("UntitledMenu1", "-"));
  file->Append(std::make_unique<fw::QuitMenuItem>("FileQuit", "Quit", "Cmd+Q"));
  fw::MenuItem* edit = bar->Append(item("EditMenu", "&Edit"));
  for (const char* name : {"Undo", "Cut", "Copy", "Paste", "Clear"})
    edit->Append(item((std::string("Edit") + name).c_str(), name));
  bar->Append(item("TidesMenu", "Tides"))->Append(item("TidesManual", "Manual"));
  return bar;
}

// A menu handler that notes `entry` in the journal.
std::function<bool()> logs(const std::string& entry, bool handled = true) {
  return [entry, handled] {
    journal += entry + "; ";
    return handled;
  };
}

class RecordingApp : public fw::Application {
public:
  void Event_EnableMenuItems() override { journal += "app enable; "; }
};

class Doc : public fw::Window {
public:
  std::string name;
  std::string events;
  std::function<void()> enable = [] {};

  explicit Doc(std::string n = "doc") : name(std::move(n)) {}
  void Event_EnableMenuItems() override {
    journal += name + " enable; ";
    enable();
  }

protected:
  void Layout() override {
    events += "Layout ";
    SetMenuBar(barForNewWindows);
    SetSize(600, 435);
  }
  void CreateControls() override {
    events += "CreateControls ";
    AddControl<fw::TextField>("Field", {10, 10, 200, 22});
    AddControl<fw::PushButton>("CloseButton", {8, 40, 80, 20})->Action = [this] {
      Close();
      Find<fw::TextField>("Field")->SetText("closed");
    };
  }
  void AddMenuHandlers() override { events += "AddMenuHandlers "; }
  void Event_Open() override {
    // Built, in front and shown by now, or "?" marks it.
    events += FindControl("Field") && Frontmost() == this && qwindow()->isVisible() ? "Open " : "?";
  }
  void Event_Close() override { events += "Close "; }
};

class GuiTest : public ::testing::Test {
protected:
  void SetUp() override {
    journal.clear();
    app->SetMenuBar(bar.get());
    barForNewWindows = bar.get();
  }
  void TearDown() override {
    for (fw::Window* w : fw::Window::Windows())
      w->Close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  // The items enabled in a window's menu bar, by name; only those starting with `start`.
  static std::string enabledIn(fw::Window* w, const QString& start = "") {
    std::set<std::string> names;
    for (const QAction* a : w->qwindow()->menuBar()->findChildren<QAction*>())
      if (a->isEnabled() && !a->objectName().isEmpty() && a->objectName().startsWith(start))
        names.insert(a->objectName().toStdString());
    std::string text;
    for (const std::string& name : names)
      text += name + " ";
    return text;
  }
  static Doc* activeDoc() {
    auto* d = fw::Window::New<Doc>("w");
    d->qwindow()->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(d->qwindow()));
    return d;
  }

  std::unique_ptr<fw::MenuBar> bar = makeBar();
  std::unique_ptr<RecordingApp> app = std::make_unique<RecordingApp>();
};

// ---- windows

TEST_F(GuiTest, WindowsAreBuiltInOrderBelowTheMenuBarAndListedFrontMostFirst) {
  barForNewWindows = nullptr; // the application's bar serves
  auto* first = fw::Window::New<Doc>();
  EXPECT_EQ(first->events, "Layout CreateControls AddMenuHandlers Open ");
  QMainWindow* q = first->qwindow();
  ASSERT_TRUE(q->menuWidget() && !q->menuBar()->isNativeMenuBar());
  EXPECT_EQ(q->centralWidget()->geometry(), QRect(0, q->menuWidget()->height(), 600, 435));

  Doc *second = fw::Window::New<Doc>(), *third = fw::Window::New<Doc>();
  EXPECT_EQ(fw::Window::Windows(), (std::vector<fw::Window*>{third, second, first}));
  first->Show();
  EXPECT_EQ(fw::Window::Frontmost(), first);
  second->qwindow()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(second->qwindow()));
  EXPECT_EQ(fw::Window::Windows(), (std::vector<fw::Window*>{second, first, third}));
  second->Close();
  EXPECT_EQ(fw::Window::Frontmost(), first);
  EXPECT_TRUE(fw::chooseMenuItem("FileQuit")); // nobody handles it
  EXPECT_TRUE(fw::Window::Windows().empty());
}

// A closed window lives on until the event loop deletes it; its timers fire no more.
TEST_F(GuiTest, CloseFromCodeItsOwnHandlerOrTheCloseBoxRaisesCloseOnceAndDeletesLater) {
  for (const std::string way : {"code", "handler", "close box"}) {
    auto* w = fw::Window::New<Doc>();
    QPointer<QMainWindow> q = w->qwindow();
    fw::Timer* timer = w->AddTimer("Poller");
    timer->Action = [] { ADD_FAILURE() << "fired after Close"; };
    timer->SetPeriod(10);
    if (way == "handler")
      w->Find<fw::PushButton>("CloseButton")->Push();
    if (way == "close box")
      q->close();
    w->Close(); // the first from code, a second from the others
    EXPECT_EQ(w->events, "Layout CreateControls AddMenuHandlers Open Close ");
    EXPECT_FALSE(w->IsOpen() || q->isVisible() || !fw::Window::Windows().empty());
    timer->fire();
    QTest::qWait(30);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(q.isNull());
  }
}

// ---- controls

// No event loop runs between a setter and the check: a queued event would be missing.
TEST_F(GuiTest, PopupRaisesChangeAtOnceOnlyWhenCodeOrTheUserChoosesAnotherRow) {
  Doc* w = fw::Window::New<Doc>();
  auto* popup = w->AddControl<fw::PopupMenu>("Popup", {0, 0, 100, 20});
  std::string seen;
  popup->Change = [&] { seen += popup->Text() + " "; };
  for (const char* row : {"Anchorage", "Boston", "Cairns"})
    popup->AddRow(row);
  EXPECT_TRUE(popup->ListIndex() == -1 && popup->Text().empty());
  for (int index : {1, 1, 3, -1, 99})
    popup->SetListIndex(index);
  EXPECT_EQ(popup->ListIndex(), 1);
  QTest::keyClick(popup->widget(), Qt::Key_Down);
  popup->DeleteAllRows();
  EXPECT_EQ(popup->ListIndex(), -1);
  EXPECT_EQ(seen, "Boston Cairns ");
  auto* scroll = w->AddControl<fw::ScrollBar>("Bar", {0, 30, 16, 142}); // a tall bar stands upright
  EXPECT_EQ(static_cast<QScrollBar*>(scroll->widget())->orientation(), Qt::Vertical);
}

TEST_F(GuiTest, TextFieldKeyDownSeesTypedKeysFirstAndTrueKeepsThemOut) {
  auto* field = fw::Window::New<Doc>()->Find<fw::TextField>("Field");
  std::string keys;
  field->KeyDown = [&](const std::string& key) {
    keys += key;
    return key == "x" || key == "\r";
  };
  QTest::keyClicks(field->widget(), "axb");
  QTest::keyClick(field->widget(), Qt::Key_Return);
  QTest::keyClick(field->widget(), Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(keys + "|" + field->Text(), "axb\r\r|ab");
}

TEST_F(GuiTest, ACanvasPaintsOnceWhenItsTabComesForward) {
  auto* w = fw::Window::New<Doc>();
  auto* tabs =
      w->AddControl<fw::TabPanel>("Tabs", {0, 0, 560, 208}, std::vector<std::string>{"A", "B"});
  auto* canvas = w->AddControlOnTab<fw::Canvas>(tabs, 1, "Canvas", {10, 40, 226, 142});
  int paints = 0;
  canvas->Paint = [&](fw::Graphics&) {
    ++paints;
    canvas->widget()->update(); // asking for more must not paint in a loop
  };
  QTest::qWait(50);
  EXPECT_EQ(paints, 0);
  tabs->SetValue(1);
  QTest::qWait(100);
  EXPECT_EQ(paints, 1);
}

// ---- menus

TEST_F(GuiTest, TheFrontWindowsAndTheApplicationsHandlersEnableAndServeTheItems) {
  app->AddMenuHandler("FileNew", logs("app FileNew"));
  auto* back = fw::Window::New<Doc>("back");
  auto* front = fw::Window::New<Doc>("front");
  back->AddMenuHandler("FileSaveAs", logs("back FileSaveAs"));
  front->AddMenuHandler("FileClose", logs("front FileClose"));
  // Not handled: the application may take it.
  front->AddMenuHandler("TidesManual", logs("front TidesManual", false));
  front->enable = [this] { bar->Find("EditClear")->Enable(); }; // the last word
  bar->Find("EditCopy")->Enable(); // stale state from an earlier update
  EXPECT_FALSE(front->qwindow()->menuBar()->findChild<QAction*>("FileClose")->isEnabled());

  emit front->qwindow()->menuBar()->actions().front()->menu()->aboutToShow();
  const std::string on =
      "EditClear EditMenu FileClose FileMenu FileNew FileQuit TidesManual TidesMenu ";
  EXPECT_EQ(enabledIn(front), on);
  EXPECT_EQ(enabledIn(back), on);
  EXPECT_EQ(journal, "app enable; front enable; ");

  journal.clear();
  for (const std::string name : {"FileClose", "FileNew", "FileSaveAs", "TidesManual", "NoSuchItem"})
    journal += name + (fw::chooseMenuItem(name) ? " chosen; " : " not handled; ");
  EXPECT_EQ(journal,
            "front FileClose; FileClose chosen; app FileNew; FileNew chosen; FileSaveAs not "
            "handled; front TidesManual; TidesManual not handled; NoSuchItem not handled; ");
  back->Show();
  fw::updateMenuEnabling();
  journal.clear();
  back->qwindow()->menuBar()->findChild<QAction*>("FileSaveAs")->trigger();
  EXPECT_EQ(journal, "app enable; back enable; back FileSaveAs; ");
}

// A held chord chooses its command once: the key's repeats choose nothing.
TEST_F(GuiTest, AShortcutSeesCurrentStatesWithoutAMenuHavingOpenedAndDoesNotRepeat) {
  Doc* w = activeDoc();
  w->AddMenuHandler("FileClose", logs("w FileClose"));
  ASSERT_FALSE(w->qwindow()->menuBar()->findChild<QAction*>("FileClose")->isEnabled());
  QTest::keyClick(w->qwindow(), Qt::Key_W, Qt::ControlModifier);
  w->Find<fw::TextField>("Field")->SetFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_W, Qt::ControlModifier);
  for (int repeat = 0; repeat < 3; ++repeat)
    QTest::simulateEvent(QApplication::focusWidget(), true, Qt::Key_W, Qt::ControlModifier, "",
                         true);
  EXPECT_EQ(std::regex_replace(journal, std::regex("\\w+ enable; "), ""),
            "w FileClose; w FileClose; ");
}

TEST_F(GuiTest, EditItemsServeTheFocusedFieldWhenTheyCanDoSomething) {
  Doc* w = activeDoc();
  auto* field = w->Find<fw::TextField>("Field");
  auto* edit = static_cast<QLineEdit*>(field->widget());
  field->SetFocus();
  ASSERT_EQ(QApplication::focusWidget(), edit);
  QApplication::clipboard()->clear();
  const auto editItems = [w] {
    fw::updateMenuEnabling();
    return enabledIn(w, "Edit");
  };
  EXPECT_EQ(editItems(), "EditMenu ");
  QTest::keyClicks(edit, "Seattle");
  edit->selectAll();
  EXPECT_EQ(editItems(), "EditClear EditCopy EditCut EditMenu EditUndo ");
  EXPECT_TRUE(fw::chooseMenuItem("EditCut"));
  EXPECT_EQ(editItems(), "EditMenu EditPaste EditUndo ");
  EXPECT_TRUE(fw::chooseMenuItem("EditPaste"));
  EXPECT_EQ(field->Text(), "Seattle");
}

} // namespace
