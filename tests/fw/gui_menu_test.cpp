#include "fw/gui/Application.h"
#include "fw/gui/Controls.h"
#include "fw/gui/Menu.h"
#include "fw/gui/MenuView.h"
#include "fw/gui/Window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

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
  edit->Append(item("EditUndo", "Undo", "Cmd+Z"));
  edit->Append(item("EditCut", "Cut", "Cmd+X"));
  edit->Append(item("EditCopy", "Copy", "Cmd+C"));
  edit->Append(item("EditPaste", "Paste", "Cmd+V"));
  edit->Append(item("EditClear", "Clear"));
  fw::MenuItem* tides = bar->Append(item("TidesMenu", "Tides"));
  fw::MenuItem* manual = tides->Append(item("TidesManual", "Manual"));
  manual->AutoEnable = false;
  return bar;
}

// Every call of an EnableMenuItems event or a handler, in order.
std::vector<std::string> journal;

class RecordingApp : public fw::Application {
public:
  void Event_EnableMenuItems() override { journal.push_back("app enable"); }
};

class Doc : public fw::Window {
public:
  static inline fw::MenuBar* bar = nullptr;
  std::string name;
  std::function<void()> enable;

  Doc(std::string n) : name(std::move(n)) {}
  void Event_EnableMenuItems() override {
    journal.push_back(name + " enable");
    if (enable)
      enable();
  }
  void handle(const std::string& itemName, bool result = true) {
    AddMenuHandler(itemName, [this, itemName, result] {
      journal.push_back(name + " " + itemName);
      return result;
    });
  }

protected:
  void Layout() override {
    SetMenuBar(bar);
    SetSize(300, 200);
  }
  void CreateControls() override { AddControl<fw::TextField>("Field", {10, 10, 200, 22}); }
};

class MenuTest : public ::testing::Test {
protected:
  void SetUp() override {
    journal.clear();
    bar = makeBar();
    Doc::bar = bar.get();
    app = std::make_unique<RecordingApp>();
    app->SetMenuBar(bar.get());
  }
  void TearDown() override {
    for (fw::Window* w : fw::Window::Windows())
      w->Close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    app.reset();
    Doc::bar = nullptr;
  }
  void handleInApp(const std::string& itemName, bool result = true) {
    app->AddMenuHandler(itemName, [itemName, result] {
      journal.push_back("app " + itemName);
      return result;
    });
  }
  static QAction* action(fw::Window* w, const char* name) {
    return w->qwindow()->menuBar()->findChild<QAction*>(name);
  }
  bool enabled(const char* name) const { return bar->Find(name)->Enabled(); }
  static Doc* activeDoc(const char* name) {
    auto* d = fw::Window::New<Doc>(name);
    d->qwindow()->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(d->qwindow()));
    return d;
  }

  std::unique_ptr<fw::MenuBar> bar;
  std::unique_ptr<RecordingApp> app;
};

// ---- the model

TEST(MenuModel, ItemsAreFoundByNameAnywhereInTheTree) {
  auto bar = makeBar();
  fw::MenuItem* close = bar->Find("FileClose");
  ASSERT_NE(close, nullptr);
  EXPECT_EQ(close->Text(), "Close");
  EXPECT_EQ(close->KeyboardShortcut(), "Cmd+W");
  EXPECT_EQ(bar->Find("TestBar"), bar.get());
  EXPECT_NE(dynamic_cast<fw::QuitMenuItem*>(bar->Find("FileQuit")), nullptr);
  EXPECT_EQ(bar->Find("UntitledMenu2"), nullptr);
  EXPECT_EQ(bar->Find(""), nullptr);
  // Child looks one level down only.
  EXPECT_EQ(bar->Child("FileMenu"), bar->Find("FileMenu"));
  EXPECT_EQ(bar->Child("FileClose"), nullptr);
  EXPECT_EQ(bar->Find("FileMenu")->Child("FileClose"), close);
  EXPECT_EQ(bar->Item(3), nullptr);
  EXPECT_EQ(bar->Item(-1), nullptr);
  // A dash is a separator whatever its name.
  EXPECT_TRUE(bar->Find("UntitledMenu1")->IsSeparator());
  EXPECT_FALSE(close->IsSeparator());
}

TEST(MenuModel, ShortcutTextsBecomeControlChords) {
  const std::map<std::string, QKeySequence> cases = {
      {"Cmd+N", QKeySequence(Qt::CTRL | Qt::Key_N)},
      {"Cmd+Shift+S", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
      {"Option+X", QKeySequence(Qt::ALT | Qt::Key_X)},
      {"", QKeySequence()},
  };
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(fw::keySequenceOf(text), expected) << text;
}

// ---- the Qt menu bar

TEST_F(MenuTest, EachWindowShowsTheModelAsItsOwnQtMenuBar) {
  auto* a = fw::Window::New<Doc>("a");
  auto* b = fw::Window::New<Doc>("b");
  EXPECT_NE(a->qwindow()->menuBar(), b->qwindow()->menuBar());
  QMenuBar* qbar = a->qwindow()->menuBar();
  const auto menus = qbar->actions();
  ASSERT_EQ(menus.size(), 3);
  EXPECT_EQ(menus[0]->text(), "&File");
  EXPECT_EQ(menus[2]->text(), "Tides");
  const auto fileItems = menus[0]->menu()->actions();
  ASSERT_EQ(fileItems.size(), 5);
  EXPECT_EQ(fileItems[1]->text(), "Close");
  EXPECT_EQ(fileItems[1]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_W));
  EXPECT_TRUE(fileItems[3]->isSeparator());
  EXPECT_TRUE(fileItems[2]->shortcut().isEmpty());
}

// ---- dispatch

TEST_F(MenuTest, AChosenItemRunsTheFrontWindowsHandlerElseTheApplications) {
  handleInApp("FileNew");
  handleInApp("FileClose");
  auto* back = fw::Window::New<Doc>("back");
  auto* front = fw::Window::New<Doc>("front");
  back->handle("FileSaveAs");
  front->handle("FileClose");
  front->handle("TidesManual", false); // not handled: the application may take it

  EXPECT_TRUE(fw::chooseMenuItem("FileClose"));
  EXPECT_TRUE(fw::chooseMenuItem("FileNew"));
  EXPECT_FALSE(fw::chooseMenuItem("FileSaveAs")); // only the back window serves it
  EXPECT_FALSE(fw::chooseMenuItem("TidesManual"));
  EXPECT_FALSE(fw::chooseMenuItem("NoSuchItem"));
  EXPECT_EQ(journal,
            (std::vector<std::string>{"front FileClose", "app FileNew", "front TidesManual"}));

  journal.clear();
  back->Show();
  EXPECT_TRUE(fw::chooseMenuItem("FileSaveAs"));
  EXPECT_TRUE(fw::chooseMenuItem("FileClose"));
  EXPECT_EQ(journal, (std::vector<std::string>{"back FileSaveAs", "app FileClose"}));
}

TEST_F(MenuTest, ChoosingAQtActionRunsItsItem) {
  auto* w = fw::Window::New<Doc>("w");
  w->handle("FileSaveAs");
  fw::updateMenuEnabling();
  journal.clear();
  action(w, "FileSaveAs")->trigger();
  EXPECT_EQ(journal, (std::vector<std::string>{"app enable", "w enable", "w FileSaveAs"}));
}

TEST_F(MenuTest, TheQuitItemQuitsWhenNobodyHandlesIt) {
  auto* a = fw::Window::New<Doc>("a");
  auto* b = fw::Window::New<Doc>("b");
  EXPECT_TRUE(fw::chooseMenuItem("FileQuit"));
  EXPECT_FALSE(a->IsOpen());
  EXPECT_FALSE(b->IsOpen());
  EXPECT_TRUE(fw::Window::Windows().empty());
}

// ---- enabling

TEST_F(MenuTest, EnablingFollowsTheHandlersOfTheFrontWindowAndTheApplication) {
  handleInApp("FileNew");
  auto* back = fw::Window::New<Doc>("back");
  auto* front = fw::Window::New<Doc>("front");
  back->handle("FileSaveAs");
  front->handle("FileClose");
  front->handle("TidesManual");    // AutoEnable off: the handler alone does not enable it
  bar->Find("EditCopy")->Enable(); // stale state from an earlier update

  fw::updateMenuEnabling();
  const std::map<std::string, bool> expected = {
      {"FileNew", true},    {"FileClose", true},    {"FileSaveAs", false}, {"FileQuit", true},
      {"EditUndo", false},  {"EditCut", false},     {"EditCopy", false},   {"EditPaste", false},
      {"EditClear", false}, {"TidesManual", false}, {"FileMenu", true},    {"TidesMenu", true},
  };
  for (const auto& [name, on] : expected) {
    EXPECT_EQ(enabled(name.c_str()), on) << name;
    EXPECT_EQ(action(front, name.c_str())->isEnabled(), on) << name;
    EXPECT_EQ(action(back, name.c_str())->isEnabled(), on) << name;
  }
  EXPECT_EQ(journal, (std::vector<std::string>{"app enable", "front enable"}));
}

TEST_F(MenuTest, EnableMenuItemsRunsAfterTheResetAndHasTheLastWord) {
  auto* w = fw::Window::New<Doc>("w");
  w->enable = [this] { bar->Find("TidesManual")->Enable(); };
  fw::updateMenuEnabling();
  EXPECT_TRUE(enabled("TidesManual"));
  EXPECT_TRUE(action(w, "TidesManual")->isEnabled());
  w->enable = nullptr;
  fw::updateMenuEnabling();
  EXPECT_FALSE(enabled("TidesManual"));
}

TEST_F(MenuTest, OpeningAMenuBringsTheStatesUpToDate) {
  auto* w = fw::Window::New<Doc>("w");
  w->handle("FileClose");
  EXPECT_FALSE(action(w, "FileClose")->isEnabled());
  QMenu* file = w->qwindow()->menuBar()->actions().front()->menu();
  emit file->aboutToShow();
  EXPECT_TRUE(action(w, "FileClose")->isEnabled());
  EXPECT_EQ(journal, (std::vector<std::string>{"app enable", "w enable"}));
}

TEST_F(MenuTest, AShortcutSeesCurrentStatesWithoutAMenuHavingOpened) {
  Doc* w = activeDoc("w");
  w->handle("FileClose");
  ASSERT_FALSE(action(w, "FileClose")->isEnabled());
  QTest::keyClick(w->qwindow(), Qt::Key_W, Qt::ControlModifier);
  // Once before the shortcut is matched, once more as the action is chosen.
  EXPECT_EQ(journal, (std::vector<std::string>{"app enable", "w enable", "app enable", "w enable",
                                               "w FileClose"}));

  // With a field in focus too; and an item nobody serves stays unusable.
  journal.clear();
  w->Find<fw::TextField>("Field")->SetFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_W, Qt::ControlModifier);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::ControlModifier);
  const std::vector<std::string> handled = {"w FileClose"};
  std::vector<std::string> handlers;
  for (const std::string& entry : journal)
    if (entry.find("enable") == std::string::npos)
      handlers.push_back(entry);
  EXPECT_EQ(handlers, handled);
}

TEST_F(MenuTest, EditItemsServeTheFocusedFieldWhenTheyCanDoSomething) {
  Doc* w = activeDoc("w");
  auto* field = w->Find<fw::TextField>("Field");
  auto* edit = static_cast<QLineEdit*>(field->widget());
  field->SetFocus();
  ASSERT_EQ(QApplication::focusWidget(), edit);
  QApplication::clipboard()->clear();

  fw::updateMenuEnabling();
  for (const char* name : {"EditUndo", "EditCut", "EditCopy", "EditPaste", "EditClear"})
    EXPECT_FALSE(enabled(name)) << name << " with an empty field and clipboard";

  QTest::keyClicks(edit, "Seattle");
  edit->selectAll();
  fw::updateMenuEnabling();
  for (const char* name : {"EditUndo", "EditCut", "EditCopy", "EditClear"})
    EXPECT_TRUE(enabled(name)) << name;
  EXPECT_FALSE(enabled("EditPaste"));

  EXPECT_TRUE(fw::chooseMenuItem("EditCut"));
  EXPECT_EQ(field->Text(), "");
  fw::updateMenuEnabling();
  EXPECT_TRUE(enabled("EditPaste"));
  EXPECT_FALSE(enabled("EditCopy"));
  EXPECT_TRUE(fw::chooseMenuItem("EditPaste"));
  EXPECT_TRUE(fw::chooseMenuItem("EditPaste"));
  EXPECT_EQ(field->Text(), "SeattleSeattle");

  edit->setReadOnly(true);
  edit->selectAll();
  fw::updateMenuEnabling();
  EXPECT_TRUE(enabled("EditCopy"));
  EXPECT_FALSE(enabled("EditCut"));
  EXPECT_FALSE(enabled("EditPaste"));
  EXPECT_FALSE(fw::chooseMenuItem("EditClear"));
  EXPECT_EQ(field->Text(), "SeattleSeattle");
}

} // namespace
