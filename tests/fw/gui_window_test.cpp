#include "fw/gui/Application.h"
#include "fw/gui/Controls.h"
#include "fw/gui/Menu.h"
#include "fw/gui/Window.h"

#include <QCoreApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Records the window events in the order they come.
class Recorder : public fw::Window {
public:
  std::vector<std::string> events;
  bool controlsAtOpen = false, listedAtOpen = false, visibleAtOpen = false;
  int closes = 0;
  bool* destroyed = nullptr;

  ~Recorder() override {
    if (destroyed)
      *destroyed = true;
  }

protected:
  void Layout() override {
    events.push_back("Layout");
    SetTitle("Recorder");
    SetSize(200, 120);
  }
  void CreateControls() override {
    events.push_back("CreateControls");
    AddControl<fw::StaticText>("Label", {8, 8, 100, 20});
    auto* button = AddControl<fw::PushButton>("CloseButton", {8, 40, 80, 20});
    // Closing from the window's own handler, then going on with the window.
    button->Action = [this] {
      Close();
      Find<fw::StaticText>("Label")->SetText("closed");
    };
  }
  void AddMenuHandlers() override { events.push_back("AddMenuHandlers"); }
  void Event_Open() override {
    events.push_back("Open");
    controlsAtOpen = FindControl("Label") != nullptr;
    const auto open = Windows();
    listedAtOpen = std::find(open.begin(), open.end(), this) != open.end();
    visibleAtOpen = qwindow()->isVisible();
  }
  void Event_Close() override {
    events.push_back("Close");
    ++closes;
  }
};

class WindowTest : public ::testing::Test {
protected:
  void TearDown() override {
    for (fw::Window* w : fw::Window::Windows())
      w->Close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  static bool listed(fw::Window* w) {
    const auto open = fw::Window::Windows();
    return std::find(open.begin(), open.end(), w) != open.end();
  }
};

TEST_F(WindowTest, ConstructionRaisesItsEventsInOrderWithTheControlsReadyAtOpen) {
  auto* w = fw::Window::New<Recorder>();
  EXPECT_EQ(w->events,
            (std::vector<std::string>{"Layout", "CreateControls", "AddMenuHandlers", "Open"}));
  EXPECT_TRUE(w->controlsAtOpen);
  EXPECT_TRUE(w->listedAtOpen);
  EXPECT_TRUE(w->visibleAtOpen);
  EXPECT_TRUE(w->IsOpen());
  EXPECT_EQ(w->Title(), "Recorder");
}

TEST_F(WindowTest, ControlsAreFoundByNameAndClass) {
  auto* w = fw::Window::New<Recorder>();
  fw::Control* label = w->FindControl("Label");
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->Name(), "Label");
  EXPECT_EQ(label->OwnerWindow(), w);
  EXPECT_EQ(w->Find<fw::StaticText>("Label"), label);
  EXPECT_EQ(w->Find<fw::PushButton>("Label"), nullptr);
  EXPECT_EQ(w->FindControl("label"), nullptr);
  EXPECT_EQ(w->FindControl("Nothing"), nullptr);
  EXPECT_EQ(w->FindControl(""), nullptr);
}

TEST_F(WindowTest, TwoWindowsHaveTheirOwnControls) {
  auto* a = fw::Window::New<Recorder>();
  auto* b = fw::Window::New<Recorder>();
  a->Find<fw::StaticText>("Label")->SetText("a");
  EXPECT_EQ(b->Find<fw::StaticText>("Label")->Text(), "");
  EXPECT_NE(a->FindControl("Label"), b->FindControl("Label"));
}

fw::MenuBar* barForLayout = nullptr;

struct Sized : fw::Window {
  void Layout() override {
    SetMenuBar(barForLayout);
    SetSize(600, 435);
  }
};

TEST_F(WindowTest, ContentAreaHasExactlyTheWindowSizeBelowTheMenuBar) {
  fw::MenuBar bar("Bar");
  bar.Append(std::make_unique<fw::MenuItem>("FileMenu", "&File"))
      ->Append(std::make_unique<fw::MenuItem>("FileClose", "Close", "Cmd+W"));
  for (fw::MenuBar* shown : {&bar, static_cast<fw::MenuBar*>(nullptr)}) {
    SCOPED_TRACE(shown ? "with a menu bar" : "without one");
    barForLayout = shown;
    fw::Window* w = fw::Window::New<Sized>();
    QWidget* content = w->qwindow()->centralWidget();
    EXPECT_EQ(w->Width(), 600);
    EXPECT_EQ(w->Height(), 435);
    EXPECT_EQ(content->size(), QSize(600, 435));
    int menuHeight = 0;
    if (shown) {
      ASSERT_NE(w->qwindow()->menuWidget(), nullptr);
      menuHeight = w->qwindow()->menuWidget()->height();
      EXPECT_GT(menuHeight, 0);
      EXPECT_FALSE(w->qwindow()->menuBar()->isNativeMenuBar());
    } else {
      EXPECT_EQ(w->qwindow()->menuWidget(), nullptr);
    }
    EXPECT_EQ(content->geometry().top(), menuHeight);
    EXPECT_EQ(w->qwindow()->height(), 435 + menuHeight);
    w->Close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  barForLayout = nullptr;
}

TEST_F(WindowTest, WindowsAreListedFrontMostFirst) {
  auto* first = fw::Window::New<Recorder>();
  auto* second = fw::Window::New<Recorder>();
  auto* third = fw::Window::New<Recorder>();
  EXPECT_EQ(fw::Window::Windows(), (std::vector<fw::Window*>{third, second, first}));
  EXPECT_EQ(fw::Window::Frontmost(), third);

  first->Show();
  EXPECT_EQ(fw::Window::Frontmost(), first);
  // Activation by the user (here by the platform) brings a window forward too.
  second->qwindow()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(second->qwindow()));
  EXPECT_EQ(fw::Window::Windows(), (std::vector<fw::Window*>{second, first, third}));

  second->Close();
  EXPECT_EQ(fw::Window::Frontmost(), first);
}

TEST_F(WindowTest, CloseRaisesCloseOnceAndTheWindowGoesAway) {
  bool destroyed = false;
  auto* w = fw::Window::New<Recorder>();
  w->destroyed = &destroyed;
  w->Close();
  EXPECT_EQ(w->closes, 1);
  EXPECT_FALSE(w->IsOpen());
  EXPECT_FALSE(listed(w));
  EXPECT_FALSE(w->qwindow()->isVisible());
  w->Close();
  EXPECT_EQ(w->closes, 1);
  EXPECT_FALSE(destroyed);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(destroyed);
}

TEST_F(WindowTest, AWindowMayCloseItselfFromItsOwnHandler) {
  bool destroyed = false;
  auto* w = fw::Window::New<Recorder>();
  w->destroyed = &destroyed;
  w->Find<fw::PushButton>("CloseButton")->Push();
  EXPECT_FALSE(destroyed);
  EXPECT_EQ(w->Find<fw::StaticText>("Label")->Text(), "closed");
  EXPECT_EQ(w->closes, 1);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(destroyed);
}

TEST_F(WindowTest, TheCloseBoxClosesThroughClose) {
  auto* w = fw::Window::New<Recorder>();
  w->qwindow()->close();
  EXPECT_EQ(w->closes, 1);
  EXPECT_FALSE(listed(w));
  EXPECT_FALSE(w->qwindow()->isVisible());
}

TEST_F(WindowTest, AWindowWithoutAMenuBarShowsTheApplications) {
  fw::MenuBar bar("AppBar");
  bar.Append(std::make_unique<fw::MenuItem>("FileMenu", "&File"));
  fw::Application app;
  app.SetMenuBar(&bar);
  auto* w = fw::Window::New<Recorder>();
  EXPECT_EQ(w->GetMenuBar(), nullptr);
  ASSERT_NE(w->qwindow()->menuWidget(), nullptr);
  const auto menus = w->qwindow()->menuBar()->actions();
  ASSERT_EQ(menus.size(), 1);
  EXPECT_EQ(menus.front()->text(), "&File");
  w->Close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace
