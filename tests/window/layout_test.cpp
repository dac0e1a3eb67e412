#include "app/MenuBar1.h"
#include "engine/LocationGetter.h"
#include "fw/gui/Application.h"
#include "fw/gui/Controls.h"
#include "fw/gui/Menu.h"
#include "window/Halvorn.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFont>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <typeinfo>
#include <vector>

namespace fw {
// Rects compare and print in the tests' messages.
inline bool operator==(const Rect& a, const Rect& b) {
  return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}

inline void PrintTo(const Rect& r, std::ostream* os) {
  *os << "{" << r.left << ", " << r.top << ", " << r.width << " x " << r.height << "}";
}

} // namespace fw

namespace {

// The application object every window expects: the shared menu bar and a
// "FileNew" handler that counts its calls.
class LayoutTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    // Windows read and write the preferences file as they open and close.
    static QTemporaryDir home;
    const std::string path = home.path().toStdString();
    setenv("HOME", path.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (path + "/config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", path.c_str(), 1);
    if (!fw::Application::Instance()) {
      static fw::Application app;
      app.SetMenuBar(&MenuBar1::shared());
    }
    fw::Application::Instance()->AddMenuHandler("FileNew", [] {
      ++appFileNewCalls;
      return true;
    });
  }
  void TearDown() override {
    for (fw::Window* w : fw::Window::Windows())
      w->Close();
    // Closed windows are deleted from the event loop, which these tests don't run.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // Each test's windows open as on a first run.
    std::filesystem::remove(std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) /
                            "Halvorn Preferences");
  }
  static Halvorn* open() { return fw::Window::New<Halvorn>(); }
  static bool isOpen(fw::Window* w) {
    const auto open = fw::Window::Windows();
    return std::find(open.begin(), open.end(), w) != open.end();
  }

  static inline int appFileNewCalls = 0;
};

enum class Kind { Label, Field, Popup, Button, Tabs, List, Canvas, Scroll };
constexpr int kWindowLevel = -1;

struct Expected {
  const char* name;
  Kind kind;
  fw::Rect bounds;
  int tab;      // kWindowLevel, or the page of ResultDisplay
  int textSize; // 0: the control shows no text
  const char* text;
  bool enabled;
};

// Controls 1 to 30 but the timer, in creation order.
const std::vector<Expected> kControls = {
    {"StaticText1", Kind::Label, {8, 14, 100, 20}, kWindowLevel, 12, "Search For", true},
    {"Location", Kind::Field, {120, 13, 303, 22}, kWindowLevel, 12, "", false},
    {"Selector", Kind::Popup, {120, 41, 303, 20}, kWindowLevel, 12, "", false},
    {"Status", Kind::Label, {29, 71, 542, 20}, kWindowLevel, 12, "", true},
    {"StaticText2", Kind::Label, {8, 108, 40, 20}, kWindowLevel, 12, "Start", true},
    {"StaticText3", Kind::Label, {8, 137, 40, 20}, kWindowLevel, 12, "End", true},
    {"StartDate", Kind::Field, {60, 108, 80, 22}, kWindowLevel, 12, "", true},
    {"EndDate", Kind::Field, {60, 137, 80, 22}, kWindowLevel, 12, "", true},
    {"SearchButton", Kind::Button, {498, 171, 69, 20}, kWindowLevel, 12, "Search", true},
    {"StaticText4", Kind::Label, {411, 109, 100, 20}, kWindowLevel, 12, "Tide Higher Than", true},
    {"StaticText5", Kind::Label, {411, 139, 100, 20}, kWindowLevel, 12, "Tide Lower Than", true},
    {"TideHigher", Kind::Field, {521, 110, 40, 22}, kWindowLevel, 12, "", true},
    {"TideLower", Kind::Field, {521, 139, 40, 22}, kWindowLevel, 12, "1", true},
    {"StaticText6", Kind::Label, {176, 109, 60, 20}, kWindowLevel, 12, "Earliest", true},
    {"StaticText7", Kind::Label, {176, 138, 60, 20}, kWindowLevel, 12, "Latest", true},
    {"EarlyTime", Kind::Field, {248, 108, 60, 22}, kWindowLevel, 12, "", true},
    {"LateTime", Kind::Field, {248, 137, 60, 22}, kWindowLevel, 12, "", true},
    {"StaticText8", Kind::Label, {176, 166, 60, 20}, kWindowLevel, 12, "Shortest", true},
    {"MinLength", Kind::Field, {248, 165, 80, 22}, kWindowLevel, 12, "1:00", true},
    {"EarlyAMPM", Kind::Popup, {314, 109, 60, 20}, kWindowLevel, 12, "AM", true},
    {"LateAMPM", Kind::Popup, {314, 137, 60, 20}, kWindowLevel, 12, "AM", true},
    {"ResultDisplay", Kind::Tabs, {20, 207, 560, 208}, kWindowLevel, 12, "", true},
    {"Result", Kind::List, {29, 243, 542, 165}, 0, 12, "", true},
    {"MonthDisplay", Kind::Canvas, {187, 266, 226, 142}, 1, 0, "", true},
    {"WhichMonth", Kind::Label, {187, 240, 226, 20}, 1, 12, "", true},
    {"ScrollMonth", Kind::Scroll, {411, 266, 16, 142}, 1, 0, "", true},
    {"Plot", Kind::Canvas, {29, 243, 542, 149}, 2, 0, "", true},
    {"ScrollPlot", Kind::Scroll, {29, 391, 542, 16}, 2, 0, "", true},
    {"VersionNumber", Kind::Label, {557, 419, 34, 16}, kWindowLevel, 9, "v7", true},
};

bool isKind(fw::Control* c, Kind kind) {
  switch (kind) {
  case Kind::Label:
    return dynamic_cast<fw::StaticText*>(c);
  case Kind::Field:
    return dynamic_cast<fw::TextField*>(c);
  case Kind::Popup:
    return dynamic_cast<fw::PopupMenu*>(c);
  case Kind::Button:
    return dynamic_cast<fw::PushButton*>(c);
  case Kind::Tabs:
    return dynamic_cast<fw::TabPanel*>(c);
  case Kind::List:
    return dynamic_cast<fw::Listbox*>(c);
  case Kind::Canvas:
    return dynamic_cast<fw::Canvas*>(c);
  case Kind::Scroll:
    return dynamic_cast<fw::ScrollBar*>(c);
  }
  return false;
}

std::string shownText(fw::Control* c) {
  if (auto* label = dynamic_cast<fw::StaticText*>(c))
    return label->Text();
  if (auto* field = dynamic_cast<fw::TextField*>(c))
    return field->Text();
  if (auto* popup = dynamic_cast<fw::PopupMenu*>(c))
    return popup->Text();
  if (auto* button = dynamic_cast<fw::PushButton*>(c))
    return button->Caption();
  return "";
}

// Where the widget really stands, in the window's content coordinates.
fw::Rect placed(Halvorn* w, fw::Control* c) {
  QWidget* content = w->qwindow()->centralWidget();
  QPoint at = c->widget()->mapTo(content, QPoint(0, 0));
  return {at.x(), at.y(), c->widget()->width(), c->widget()->height()};
}

TEST_F(LayoutTest, WindowIsTitledAndSizedWithTheSharedMenuBar) {
  Halvorn* w = open();
  EXPECT_EQ(w->Title(), "Halvorn");
  EXPECT_EQ(w->Width(), 600);
  EXPECT_EQ(w->Height(), 435);
  EXPECT_EQ(w->GetMenuBar(), &MenuBar1::shared());
}

TEST_F(LayoutTest, EveryControlStandsWhereTheLayoutPutsIt) {
  Halvorn* w = open();
  fw::TabPanel* tabs = w->ResultDisplay();
  ASSERT_NE(tabs, nullptr);
  for (const Expected& e : kControls) {
    SCOPED_TRACE(e.name);
    fw::Control* c = w->FindControl(e.name);
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(isKind(c, e.kind));
    EXPECT_EQ(c->Name(), e.name);
    EXPECT_EQ(c->OwnerWindow(), w);
    EXPECT_EQ(c->Bounds(), e.bounds);
    if (e.kind == Kind::Label) {
      // A label may grow to the left to keep its text whole; its right edge stays.
      const fw::Rect at = placed(w, c);
      EXPECT_LE(at.left, e.bounds.left);
      EXPECT_EQ(at.left + at.width, e.bounds.left + e.bounds.width);
      EXPECT_EQ(at.top, e.bounds.top);
      EXPECT_EQ(at.height, e.bounds.height);
      const QString text = QString::fromStdString(shownText(c));
      EXPECT_LE(c->widget()->fontMetrics().horizontalAdvance(text), at.width);
    } else {
      EXPECT_EQ(placed(w, c), e.bounds);
    }
    EXPECT_EQ(c->TextSize(), e.textSize);
    if (e.textSize) {
      EXPECT_EQ(c->widget()->font().pixelSize(), e.textSize);
    }
    // The opening fills in the dates and tells of the place list.
    const std::set<std::string> filledByOpening = {"Status", "StartDate", "EndDate"};
    if (!filledByOpening.count(e.name)) {
      EXPECT_EQ(shownText(c), e.text);
    }
    EXPECT_EQ(c->Enabled(), e.enabled);
    QWidget* parent = c->widget()->parentWidget();
    if (e.tab == kWindowLevel)
      EXPECT_EQ(parent, w->qwindow()->centralWidget());
    else
      EXPECT_EQ(parent, tabs->page(e.tab));
  }
}

TEST_F(LayoutTest, FormStartsReadyForABelowSearchWithNoPlaceYet) {
  Halvorn* w = open();
  EXPECT_EQ(w->TideLower()->Text(), "1");
  EXPECT_EQ(w->TideHigher()->Text(), "");
  EXPECT_EQ(w->MinLength()->Text(), "1:00");
  for (fw::PopupMenu* ampm : {w->EarlyAMPM(), w->LateAMPM()}) {
    ASSERT_EQ(ampm->ListCount(), 2);
    EXPECT_EQ(ampm->List(0), "AM");
    EXPECT_EQ(ampm->List(1), "PM");
    EXPECT_EQ(ampm->ListIndex(), 0);
  }
  EXPECT_EQ(w->Selector()->ListCount(), 0);
  EXPECT_FALSE(w->Selector()->Enabled());
  EXPECT_FALSE(w->Location()->Enabled());
  EXPECT_EQ(w->Result()->ListCount(), 0);
}

TEST_F(LayoutTest, ResultTabsShowTheListFirst) {
  fw::TabPanel* tabs = open()->ResultDisplay();
  ASSERT_EQ(tabs->TabCount(), 3);
  EXPECT_EQ(tabs->TabText(0), "List Format");
  EXPECT_EQ(tabs->TabText(1), "Calendar Format");
  EXPECT_EQ(tabs->TabText(2), "Tide Graph");
  EXPECT_EQ(tabs->Value(), 0);
}

TEST_F(LayoutTest, ScrollBarsStartEmptyWithTheirSteps) {
  Halvorn* w = open();
  struct Bar {
    fw::ScrollBar* bar;
    int pageStep;
  };
  for (Bar b : {Bar{w->ScrollMonth(), 1}, Bar{w->ScrollPlot(), 20}}) {
    SCOPED_TRACE(b.bar->Name());
    EXPECT_EQ(b.bar->Minimum(), 0);
    EXPECT_EQ(b.bar->Maximum(), 0);
    EXPECT_EQ(b.bar->Value(), 0);
    EXPECT_EQ(b.bar->LineStep(), 1);
    EXPECT_EQ(b.bar->PageStep(), b.pageStep);
    EXPECT_TRUE(b.bar->LiveScroll());
  }
}

TEST_F(LayoutTest, PollerAndPlaceListShellAreTheWindowsOwn) {
  Halvorn* w = open();
  fw::Timer* poller = w->ShellPoller();
  ASSERT_NE(poller, nullptr);
  EXPECT_EQ(poller->Mode(), 2);
  EXPECT_EQ(poller->Period(), 1000);
  EXPECT_TRUE(poller->Action);
  LocationGetter* places = w->GetLocationsShell();
  ASSERT_NE(places, nullptr);
  EXPECT_EQ(places->Mode, 0);
  EXPECT_EQ(places->TimeOut, 0);
  EXPECT_TRUE(places->Progress);
  EXPECT_TRUE(places->Error);
  EXPECT_TRUE(places->HaveLocations);
}

TEST_F(LayoutTest, NewWindowStateIsEmpty) {
  Halvorn* w = open();
  EXPECT_EQ(w->shellToPoll, nullptr);
  EXPECT_EQ(w->bigList, nullptr);
  EXPECT_EQ(w->lastcollection, nullptr);
  EXPECT_EQ(w->lastfound, nullptr);
  EXPECT_FALSE(w->updating);
  EXPECT_FALSE(w->firstmonth);
  EXPECT_FALSE(w->lastmonth);
  EXPECT_FALSE(w->theFile);
}

TEST_F(LayoutTest, TwoWindowsShareOnlyTheMenuBar) {
  Halvorn* a = open();
  Halvorn* b = open();
  EXPECT_EQ(a->GetMenuBar(), b->GetMenuBar());
  EXPECT_EQ(a->FileNew(), b->FileNew());
  EXPECT_NE(a->ShellPoller(), b->ShellPoller());
  EXPECT_NE(a->GetLocationsShell(), b->GetLocationsShell());
  for (const Expected& e : kControls)
    EXPECT_NE(a->FindControl(e.name), b->FindControl(e.name)) << e.name;

  const std::string before = b->Status()->Text();
  a->Status()->SetText("only here");
  EXPECT_EQ(b->Status()->Text(), before);
}

TEST_F(LayoutTest, MenuItemAccessorsFindTheSharedEntries) {
  Halvorn* w = open();
  MenuBar1& bar = MenuBar1::shared();
  EXPECT_EQ(w->FileNew(), bar.Find("FileNew"));
  EXPECT_EQ(w->TidesSetToolPath(), bar.Find("TidesSetToolPath"));
  EXPECT_EQ(w->UntitledMenu0(), bar.Find("UntitledMenu0"));
  EXPECT_EQ(w->UntitledMenu2(), nullptr);
}

TEST_F(LayoutTest, WindowHandlesItsOwnItemsAndLeavesFileNewToTheApplication) {
  Halvorn* w = open();
  for (const char* item : {"TidesShowTideGraph", "TidesFindTides", "FileClose", "FileOpen",
                           "FileSave", "FileSaveAs", "TidesSetToolPath"})
    EXPECT_TRUE(w->HasMenuHandler(item)) << item;
  EXPECT_FALSE(w->HasMenuHandler("FileNew"));
  EXPECT_FALSE(w->HasMenuHandler("EditCopy"));

  w->Show();
  ASSERT_EQ(fw::Window::Frontmost(), w);
  const int before = appFileNewCalls;
  EXPECT_TRUE(fw::chooseMenuItem("FileNew"));
  EXPECT_EQ(appFileNewCalls, before + 1);

  EXPECT_TRUE(fw::chooseMenuItem("FileClose"));
  EXPECT_FALSE(isOpen(w));
}

TEST_F(LayoutTest, ItemRunsTheFrontWindowsHandlerNotAnothers) {
  Halvorn* back = open();
  Halvorn* front = open();
  int backRuns = 0, frontRuns = 0;
  back->AddMenuHandler("EditClear", [&] { return ++backRuns, true; });
  front->AddMenuHandler("EditClear", [&] { return ++frontRuns, true; });
  back->Show();
  front->Show();
  ASSERT_EQ(fw::Window::Frontmost(), front);
  EXPECT_TRUE(fw::chooseMenuItem("EditClear"));
  EXPECT_EQ(frontRuns, 1);
  EXPECT_EQ(backRuns, 0);
}

} // namespace
