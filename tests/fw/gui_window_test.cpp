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
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

// Every EnableMenuItems event and menu handler run, in order.
std::vector<std::string> journal;
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
    journal.push_back(entry);
    return handled;
  };
}

class RecordingApp : public fw::Application {
public:
  void Event_EnableMenuItems() override { journal.push_back("app enable"); }
};

class Doc : public fw::Window {
public:
  std::string name;
  std::vector<std::string> events;
  bool readyAtOpen = false;
  std::function<void()> enable;

  explicit Doc(std::string n = "doc") : name(std::move(n)) {}
  void Event_EnableMenuItems() override {
    journal.push_back(name + " enable");
    if (enable)
      enable();
  }

protected:
  void Layout() override {
    events.push_back("Layout");
    SetMenuBar(barForNewWindows);
    SetSize(600, 435);
  }
  void CreateControls() override {
    events.push_back("CreateControls");
    AddControl<fw::TextField>("Field", {10, 10, 200, 22});
    AddControl<fw::PushButton>("CloseButton", {8, 40, 80, 20})->Action = [this] {
      Close();
      Find<fw::TextField>("Field")->SetText("closed");
    };
  }
  void AddMenuHandlers() override { events.push_back("AddMenuHandlers"); }
  void Event_Open() override {
    events.push_back("Open");
    readyAtOpen = FindControl("Field") && Frontmost() == this && qwindow()->isVisible();
  }
  void Event_Close() override { events.push_back("Close"); }
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
  static QAction* action(fw::Window* w, const char* name) {
    return w->qwindow()->menuBar()->findChild<QAction*>(name);
  }
  // The items enabled in a window's menu bar.
  static std::set<std::string> enabledIn(fw::Window* w) {
    std::set<std::string> names;
    for (const QAction* a : w->qwindow()->menuBar()->findChildren<QAction*>())
      if (a->isEnabled() && !a->objectName().isEmpty())
        names.insert(a->objectName().toStdString());
    return names;
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
  EXPECT_EQ(first->events,
            (std::vector<std::string>{"Layout", "CreateControls", "AddMenuHandlers", "Open"}));
  EXPECT_TRUE(first->readyAtOpen);
  QMainWindow* q = first->qwindow();
  ASSERT_TRUE(q->menuWidget() && !q->menuBar()->isNativeMenuBar());
  EXPECT_EQ(q->centralWidget()->geometry(), QRect(0, q->menuWidget()->height(), 600, 435));

  auto* second = fw::Window::New<Doc>();
  auto* third = fw::Window::New<Doc>();
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
    int fired = 0;
    timer->Action = [&fired] { ++fired; };
    timer->SetPeriod(10);
    if (way == "handler")
      w->Find<fw::PushButton>("CloseButton")->Push();
    if (way == "close box")
      q->close();
    w->Close(); // the first from code, a second from the others
    EXPECT_EQ(std::count(w->events.begin(), w->events.end(), "Close"), 1);
    EXPECT_FALSE(w->IsOpen() || q->isVisible());
    EXPECT_TRUE(fw::Window::Windows().empty());
    timer->fire();
    QTest::qWait(30);
    EXPECT_EQ(fired, 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(q.isNull());
  }
}

// ---- controls

// No event loop runs between a setter and the check: a queued event would be missing.
TEST_F(GuiTest, ScrollBarAndPopupRaiseTheirEventAtOnceAndOnlyOnAChange) {
  Doc* w = fw::Window::New<Doc>();
  auto* scroll = w->AddControl<fw::ScrollBar>("Bar", {0, 0, 16, 142});
  auto* popup = w->AddControl<fw::PopupMenu>("Popup", {0, 20, 100, 20});
  EXPECT_EQ(static_cast<QScrollBar*>(scroll->widget())->orientation(), Qt::Vertical);
  std::string seen;
  scroll->ValueChanged = [&] { seen += std::to_string(scroll->Value()) + " "; };
  popup->Change = [&] { seen += popup->Text() + " "; };
  scroll->SetMaximum(10);
  for (int value : {4, 4, 99})
    scroll->SetValue(value);
  scroll->SetMaximum(6);
  scroll->SetMinimum(8);
  for (const char* row : {"Anchorage", "Boston", "Cairns"})
    popup->AddRow(row);
  EXPECT_TRUE(popup->ListIndex() == -1 && popup->Text().empty());
  for (int index : {1, 1, 3, -1, 99})
    popup->SetListIndex(index);
  EXPECT_EQ(popup->ListIndex(), 1);
  QTest::keyClick(popup->widget(), Qt::Key_Down);
  popup->DeleteAllRows();
  EXPECT_EQ(popup->ListIndex(), -1);
  EXPECT_EQ(seen, "4 10 6 8 Boston Cairns ");
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
  QTest::keyClick(field->widget(), Qt::Key_Backspace);
  EXPECT_EQ(keys, "axb\r\r\b");
  EXPECT_EQ(field->Text(), "a");
}

TEST_F(GuiTest, ACanvasPaintsOnceWhenItsTabComesForwardAndAtOnceOnRefresh) {
  auto* w = fw::Window::New<Doc>();
  auto* tabs = w->AddControl<fw::TabPanel>("Tabs", {20, 207, 560, 208},
                                           std::vector<std::string>{"List", "Calendar", "Graph"});
  auto* canvas = w->AddControlOnTab<fw::Canvas>(tabs, 2, "Canvas", {187, 266, 226, 142});
  int paints = 0;
  canvas->Paint = [&](fw::Graphics& g) {
    ++paints;
    g.ForeColor = fw::RGB(0, 0, 255);
    g.FillRect(0, 0, 5, 5);
    canvas->widget()->update(); // asking for more must not paint in a loop
  };
  QTest::qWait(50);
  EXPECT_EQ(paints, 0);
  tabs->SetValue(2);
  QTest::qWait(100);
  EXPECT_EQ(paints, 1);

  canvas->GetGraphics().FillRect(40, 30, 10, 10);
  canvas->Refresh(); // paints afresh
  EXPECT_EQ(paints, 2);
  EXPECT_NE(canvas->image().pixel(45, 35), qRgb(0, 0, 255));
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
  EXPECT_FALSE(action(front, "FileClose")->isEnabled());

  emit front->qwindow()->menuBar()->actions().front()->menu()->aboutToShow();
  const std::set<std::string> on = {"FileMenu", "FileNew",   "FileClose", "FileQuit",
                                    "EditMenu", "EditClear", "TidesMenu", "TidesManual"};
  EXPECT_EQ(enabledIn(front), on);
  EXPECT_EQ(enabledIn(back), on);
  EXPECT_EQ(journal, (std::vector<std::string>{"app enable", "front enable"}));

  journal.clear();
  EXPECT_TRUE(fw::chooseMenuItem("FileClose"));
  EXPECT_TRUE(fw::chooseMenuItem("FileNew"));
  EXPECT_FALSE(fw::chooseMenuItem("FileSaveAs"));
  EXPECT_FALSE(fw::chooseMenuItem("TidesManual"));
  EXPECT_FALSE(fw::chooseMenuItem("NoSuchItem"));
  EXPECT_EQ(journal,
            (std::vector<std::string>{"front FileClose", "app FileNew", "front TidesManual"}));
  back->Show();
  fw::updateMenuEnabling();
  journal.clear();
  action(back, "FileSaveAs")->trigger();
  EXPECT_EQ(journal, (std::vector<std::string>{"app enable", "back enable", "back FileSaveAs"}));
}

// A held chord chooses its command once: the key's repeats choose nothing.
TEST_F(GuiTest, AShortcutSeesCurrentStatesWithoutAMenuHavingOpenedAndDoesNotRepeat) {
  Doc* w = activeDoc();
  w->AddMenuHandler("FileClose", logs("w FileClose"));
  ASSERT_FALSE(action(w, "FileClose")->isEnabled());
  QTest::keyClick(w->qwindow(), Qt::Key_W, Qt::ControlModifier);
  w->Find<fw::TextField>("Field")->SetFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_W, Qt::ControlModifier);
  for (int repeat = 0; repeat < 3; ++repeat)
    QTest::simulateEvent(QApplication::focusWidget(), true, Qt::Key_W, Qt::ControlModifier, "",
                         true);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::ControlModifier);
  std::erase_if(journal, [](const std::string& e) { return e.ends_with("enable"); });
  EXPECT_EQ(journal, (std::vector<std::string>{"w FileClose", "w FileClose"}));
}

TEST_F(GuiTest, EditItemsServeTheFocusedFieldWhenTheyCanDoSomething) {
  auto* field = activeDoc()->Find<fw::TextField>("Field");
  auto* edit = static_cast<QLineEdit*>(field->widget());
  field->SetFocus();
  ASSERT_EQ(QApplication::focusWidget(), edit);
  QApplication::clipboard()->clear();
  const auto enabledEditItems = [this] {
    fw::updateMenuEnabling();
    std::string on;
    for (const std::string name : {"Undo", "Cut", "Copy", "Paste", "Clear"})
      on += bar->Find("Edit" + name)->Enabled() ? name + " " : "";
    return on;
  };
  EXPECT_EQ(enabledEditItems(), "");
  QTest::keyClicks(edit, "Seattle");
  edit->selectAll();
  EXPECT_EQ(enabledEditItems(), "Undo Cut Copy Clear ");
  EXPECT_TRUE(fw::chooseMenuItem("EditCut"));
  EXPECT_EQ(enabledEditItems(), "Undo Paste ");
  EXPECT_TRUE(fw::chooseMenuItem("EditPaste"));
  EXPECT_EQ(field->Text(), "Seattle");
}

} // namespace
