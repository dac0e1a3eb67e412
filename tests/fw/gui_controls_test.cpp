#include "fw/gui/Controls.h"
#include "fw/gui/Window.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class Blank : public fw::Window {};

class ControlsTest : public ::testing::Test {
protected:
  void SetUp() override { window = fw::Window::New<Blank>(); }
  void TearDown() override {
    for (fw::Window* w : fw::Window::Windows())
      w->Close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  fw::Window* window = nullptr;
};

// Where a widget really stands in its window's content area.
fw::Rect placed(fw::Control* c) {
  QWidget* content = c->OwnerWindow()->qwindow()->centralWidget();
  const QPoint at = c->widget()->mapTo(content, QPoint(0, 0));
  return {at.x(), at.y(), c->widget()->width(), c->widget()->height()};
}

void expectRect(const fw::Rect& actual, const fw::Rect& expected) {
  EXPECT_EQ(actual.left, expected.left);
  EXPECT_EQ(actual.top, expected.top);
  EXPECT_EQ(actual.width, expected.width);
  EXPECT_EQ(actual.height, expected.height);
}

// ---- ScrollBar

TEST_F(ControlsTest, ScrollBarRaisesValueChangedOnceBeforeTheSetterReturnsOnlyOnAChange) {
  auto* bar = window->AddControl<fw::ScrollBar>("Bar", {0, 0, 100, 16});
  bar->SetMaximum(10);
  std::vector<int> seen;
  bar->ValueChanged = [&] { seen.push_back(bar->Value()); };

  struct Step {
    const char* what;
    std::function<void()> change;
    std::vector<int> expected; // values seen by the handler, cumulative
  };
  const std::vector<Step> steps = {
      {"value set", [&] { bar->SetValue(4); }, {4}},
      {"same value again", [&] { bar->SetValue(4); }, {4}},
      {"above the maximum clamps", [&] { bar->SetValue(99); }, {4, 10}},
      {"range grows around the value", [&] { bar->SetMaximum(20); }, {4, 10}},
      {"maximum shrinks below the value", [&] { bar->SetMaximum(6); }, {4, 10, 6}},
      {"minimum rises above the value", [&] { bar->SetMinimum(8); }, {4, 10, 6, 8}},
      {"minimum falls, value stays", [&] { bar->SetMinimum(0); }, {4, 10, 6, 8}},
      {"below the minimum clamps", [&] { bar->SetValue(-3); }, {4, 10, 6, 8, 0}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.change();
    EXPECT_EQ(seen, step.expected);
  }
}

TEST_F(ControlsTest, ScrollBarWithoutLiveScrollReportsADragOnlyWhenLetGo) {
  for (bool live : {true, false}) {
    SCOPED_TRACE(live ? "live" : "not live");
    auto* bar = window->AddControl<fw::ScrollBar>(live ? "Live" : "Still", {0, 20, 100, 16});
    bar->SetMaximum(10);
    bar->SetLiveScroll(live);
    EXPECT_EQ(bar->LiveScroll(), live);
    int changes = 0;
    bar->ValueChanged = [&] { ++changes; };
    auto* qbar = static_cast<QScrollBar*>(bar->widget());
    qbar->setSliderDown(true);
    qbar->setSliderPosition(3);
    qbar->setSliderPosition(5);
    EXPECT_EQ(changes, live ? 2 : 0);
    qbar->setSliderDown(false);
    EXPECT_EQ(changes, live ? 2 : 1);
    EXPECT_EQ(bar->Value(), 5);
  }
}

TEST_F(ControlsTest, ScrollBarIsVerticalWhenTallerThanWide) {
  auto* tall = window->AddControl<fw::ScrollBar>("Tall", {0, 0, 16, 142});
  auto* wide = window->AddControl<fw::ScrollBar>("Wide", {20, 0, 542, 16});
  EXPECT_EQ(static_cast<QScrollBar*>(tall->widget())->orientation(), Qt::Vertical);
  EXPECT_EQ(static_cast<QScrollBar*>(wide->widget())->orientation(), Qt::Horizontal);
}

// ---- PopupMenu

TEST_F(ControlsTest, PopupRowsAddedToAnEmptyPopupLeaveNoRowChosen) {
  auto* popup = window->AddControl<fw::PopupMenu>("Popup", {0, 0, 100, 20});
  int changes = 0;
  popup->Change = [&] { ++changes; };
  popup->AddRow("AM");
  popup->AddRow("PM");
  EXPECT_EQ(popup->ListCount(), 2);
  EXPECT_EQ(popup->ListIndex(), -1);
  EXPECT_EQ(popup->Text(), "");
  EXPECT_EQ(popup->List(1), "PM");
  EXPECT_EQ(popup->List(2), "");
  EXPECT_EQ(changes, 0);
}

TEST_F(ControlsTest, PopupSetListIndexRaisesChangeOnlyForAnotherExistingRow) {
  auto* popup = window->AddControl<fw::PopupMenu>("Popup", {0, 0, 100, 20});
  for (const char* row : {"Anchorage", "Boston", "Cairns"})
    popup->AddRow(row);
  std::vector<std::string> seen;
  popup->Change = [&] { seen.push_back(popup->Text()); };

  popup->SetListIndex(1);
  EXPECT_EQ(seen, std::vector<std::string>{"Boston"});
  for (int missing : {1, 3, -1, 99})
    popup->SetListIndex(missing);
  EXPECT_EQ(seen, std::vector<std::string>{"Boston"});
  EXPECT_EQ(popup->ListIndex(), 1);

  popup->SetListIndex(0);
  EXPECT_EQ(seen, (std::vector<std::string>{"Boston", "Anchorage"}));

  popup->DeleteAllRows();
  EXPECT_EQ(popup->ListCount(), 0);
  EXPECT_EQ(popup->ListIndex(), -1);
  EXPECT_EQ(seen.size(), 2u);
  popup->SetListIndex(0);
  EXPECT_EQ(seen.size(), 2u);
}

TEST_F(ControlsTest, PopupChoiceByTheUserRaisesChange) {
  auto* popup = window->AddControl<fw::PopupMenu>("Popup", {0, 0, 100, 20});
  popup->AddRow("AM");
  popup->AddRow("PM");
  popup->SetListIndex(0);
  std::vector<std::string> seen;
  popup->Change = [&] { seen.push_back(popup->Text()); };
  QTest::keyClick(popup->widget(), Qt::Key_Down);
  EXPECT_EQ(seen, std::vector<std::string>{"PM"});
}

// ---- TextField

TEST_F(ControlsTest, TextFieldKeyDownSeesEachKeyFirstAndTrueKeepsItOut) {
  auto* field = window->AddControl<fw::TextField>("Field", {0, 0, 100, 22});
  std::vector<std::string> keys;
  field->KeyDown = [&](const std::string& key) {
    keys.push_back(key);
    return key == "x" || key == "\r";
  };
  QTest::keyClicks(field->widget(), "axb");
  QTest::keyClick(field->widget(), Qt::Key_Return);
  QTest::keyClick(field->widget(), Qt::Key_Enter, Qt::KeypadModifier);
  QTest::keyClick(field->widget(), Qt::Key_Backspace);
  EXPECT_EQ(keys, (std::vector<std::string>{"a", "x", "b", "\r", "\r", "\b"}));
  EXPECT_EQ(field->Text(), "a");
}

TEST_F(ControlsTest, TextFieldCommandChordsAndCodeChangesRaiseNoKeyDown) {
  auto* field = window->AddControl<fw::TextField>("Field", {0, 0, 100, 22});
  int calls = 0;
  field->KeyDown = [&](const std::string&) {
    ++calls;
    return false;
  };
  field->SetText("1:00");
  QTest::keyClick(field->widget(), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(field->widget(), Qt::Key_Shift);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(field->Text(), "1:00");
}

// ---- StaticText, PushButton, Listbox

TEST_F(ControlsTest, StaticTextShowsPlainTextAlignedAndVerticallyCentred) {
  auto* label = window->AddControl<fw::StaticText>("Label", {8, 14, 100, 20});
  label->SetText("<b>Search For</b>");
  label->SetTextAlign(fw::TextAlign::Right);
  auto* qlabel = static_cast<QLabel*>(label->widget());
  EXPECT_EQ(label->Text(), "<b>Search For</b>");
  EXPECT_EQ(qlabel->textFormat(), Qt::PlainText);
  EXPECT_EQ(qlabel->alignment(), Qt::AlignRight | Qt::AlignVCenter);
  label->SetTextAlign(fw::TextAlign::Center);
  EXPECT_EQ(qlabel->alignment(), Qt::AlignHCenter | Qt::AlignVCenter);
}

TEST_F(ControlsTest, PushButtonActsWhenPushedUnlessDisabled) {
  auto* button = window->AddControl<fw::PushButton>("Button", {0, 0, 69, 20});
  button->SetCaption("Search");
  int actions = 0;
  button->Action = [&] { ++actions; };
  button->Push();
  button->SetEnabled(false);
  button->Push();
  EXPECT_EQ(actions, 1);
  EXPECT_EQ(button->Caption(), "Search");
  EXPECT_FALSE(button->Enabled());
}

TEST_F(ControlsTest, ListboxServesAsARowList) {
  auto* box = window->AddControl<fw::Listbox>("List", {0, 0, 200, 100});
  fw::RowList& rows = *box;
  rows.AddRow("6/1/2026 4:15 AM");
  rows.AddRow("6/2/2026 5:00 AM");
  EXPECT_EQ(rows.ListCount(), 2);
  EXPECT_EQ(rows.List(1), "6/2/2026 5:00 AM");
  EXPECT_EQ(rows.List(2), "");
  EXPECT_EQ(box->ListIndex(), -1);
  box->SetListIndex(1);
  EXPECT_EQ(box->ListIndex(), 1);
  box->SetListIndex(7);
  EXPECT_EQ(box->ListIndex(), 1);
  rows.DeleteAllRows();
  EXPECT_EQ(rows.ListCount(), 0);
}

TEST_F(ControlsTest, EnabledAndVisibleAreTheControlsOwnSettings) {
  auto* tabs = window->AddControl<fw::TabPanel>("Tabs", {0, 0, 300, 200},
                                                std::vector<std::string>{"One", "Two"});
  auto* onBackTab = window->AddControlOnTab<fw::TextField>(tabs, 1, "Field", {10, 40, 100, 22});
  EXPECT_TRUE(onBackTab->Visible());
  tabs->SetEnabled(false);
  EXPECT_TRUE(onBackTab->Enabled());
  onBackTab->SetEnabled(false);
  tabs->SetEnabled(true);
  EXPECT_FALSE(onBackTab->Enabled());
  onBackTab->SetVisible(false);
  EXPECT_FALSE(onBackTab->Visible());
}

// ---- TabPanel

TEST_F(ControlsTest, ControlsOnTabsStandAtTheirWindowCoordinates) {
  auto* tabs = window->AddControl<fw::TabPanel>(
      "Tabs", {20, 207, 560, 208}, std::vector<std::string>{"List", "Calendar", "Graph"});
  const fw::Rect listBounds{29, 243, 542, 165}, canvasBounds{187, 266, 226, 142},
      barBounds{29, 391, 542, 16};
  auto* list = window->AddControlOnTab<fw::Listbox>(tabs, 0, "List", listBounds);
  auto* canvas = window->AddControlOnTab<fw::Canvas>(tabs, 1, "Canvas", canvasBounds);
  auto* bar = window->AddControlOnTab<fw::ScrollBar>(tabs, 2, "Bar", barBounds);
  EXPECT_EQ(tabs->TabCount(), 3);
  EXPECT_EQ(tabs->TabText(1), "Calendar");
  EXPECT_EQ(canvas->widget()->parentWidget(), tabs->page(1));

  auto check = [&] {
    expectRect(placed(list), listBounds);
    expectRect(placed(canvas), canvasBounds);
    expectRect(placed(bar), barBounds);
  };
  check();
  // A bigger tab text makes a taller tab bar; the controls keep their places.
  tabs->SetTextSize(20);
  QCoreApplication::processEvents();
  check();
  for (int tab : {2, 1, 0}) {
    tabs->SetValue(tab);
    EXPECT_EQ(tabs->Value(), tab);
    check();
  }
  tabs->SetValue(5);
  EXPECT_EQ(tabs->Value(), 0);
}

// ---- Canvas

TEST_F(ControlsTest, CanvasRefreshPaintsTheErasedImageAtOnce) {
  auto* canvas = window->AddControl<fw::Canvas>("Canvas", {10, 10, 50, 40});
  int paints = 0;
  canvas->Paint = [&](fw::Graphics& g) {
    ++paints;
    EXPECT_EQ(g.Width(), 50);
    EXPECT_EQ(g.Height(), 40);
    g.ForeColor = fw::RGB(0, 0, 255);
    g.FillRect(0, 0, 5, 5);
  };
  fw::Graphics& g = canvas->GetGraphics();
  g.ForeColor = fw::RGB(255, 0, 0);
  g.FillRect(40, 30, 10, 10);
  EXPECT_EQ(canvas->image().pixel(45, 35), qRgb(255, 0, 0));

  const int before = paints;
  canvas->Refresh();
  EXPECT_EQ(paints, before + 1);
  EXPECT_EQ(canvas->image().size(), QSize(50, 40));
  EXPECT_EQ(canvas->image().pixel(2, 2), qRgb(0, 0, 255));
  // Refresh erases what was drawn outside Paint.
  EXPECT_NE(canvas->image().pixel(45, 35), qRgb(255, 0, 0));
}

TEST_F(ControlsTest, CanvasPaintsOnceWhenFirstShownEvenWhenItsHandlerAsksForUpdates) {
  auto* tabs = window->AddControl<fw::TabPanel>("Tabs", {0, 0, 300, 200},
                                                std::vector<std::string>{"One", "Two"});
  auto* canvas = window->AddControlOnTab<fw::Canvas>(tabs, 1, "Canvas", {10, 40, 100, 100});
  int paints = 0;
  canvas->Paint = [&](fw::Graphics&) {
    ++paints;
    canvas->GetGraphics().FillRect(0, 0, 10, 10);
    canvas->widget()->update();
  };
  QTest::qWait(50);
  EXPECT_EQ(paints, 0); // its tab is not in front
  tabs->SetValue(1);
  QTest::qWait(100);
  EXPECT_EQ(paints, 1);
  EXPECT_EQ(canvas->image().pixel(5, 5), qRgb(0, 0, 0));
}

// ---- Timer

TEST_F(ControlsTest, TimerFiresWhileItsWindowIsOpenAndStopsWithIt) {
  fw::Timer* repeating = window->AddTimer("Poller");
  fw::Timer* once = window->AddTimer("Once");
  fw::Timer* off = window->AddTimer("Off");
  int repeats = 0, onces = 0, offs = 0;
  repeating->Action = [&] { ++repeats; };
  once->Action = [&] { ++onces; };
  off->Action = [&] { ++offs; };
  repeating->SetPeriod(10);
  once->SetMode(1);
  once->SetPeriod(10);
  off->SetMode(0);
  off->SetPeriod(10);
  EXPECT_EQ(window->FindTimer("Once"), once);
  EXPECT_EQ(window->FindTimer("Nothing"), nullptr);

  QTest::qWait(150);
  EXPECT_GE(repeats, 3);
  EXPECT_EQ(onces, 1);
  EXPECT_EQ(offs, 0);

  window->Close();
  const int repeatsAtClose = repeats;
  repeating->fire(); // the window object lives until the event loop deletes it
  QTest::qWait(60);
  EXPECT_EQ(repeats, repeatsAtClose);
}

TEST_F(ControlsTest, TimerMadeBeforeTheWindowOpensWaitsForIt) {
  struct WithTimer : fw::Window {
    int fired = 0;
    bool firedBeforeOpen = false;
    void CreateControls() override {
      fw::Timer* t = AddTimer("T");
      t->SetPeriod(5);
      t->Action = [this] { ++fired; };
      QTest::qWait(30);
      firedBeforeOpen = fired > 0;
    }
  };
  auto* w = fw::Window::New<WithTimer>();
  EXPECT_FALSE(w->firedBeforeOpen);
  QTest::qWait(60);
  EXPECT_GT(w->fired, 0);
}

} // namespace
