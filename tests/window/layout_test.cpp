#include "HalvornWindowFixture.h"
#include "charts/TideDisplay.h"

#include <QMainWindow>
#include <tuple>
#include <typeinfo>

namespace {

constexpr int kTop = -1; // on the window, not on a page of ResultDisplay
const std::type_info *Label = &typeid(fw::StaticText), *Field = &typeid(fw::TextField),
                     *Popup = &typeid(fw::PopupMenu), *Button = &typeid(fw::PushButton),
                     *Tabs = &typeid(fw::TabPanel), *List = &typeid(fw::Listbox),
                     *Canvas = &typeid(fw::Canvas), *Scroll = &typeid(fw::ScrollBar);

struct Expected {
  const char* name;
  const std::type_info* kind;
  QRect bounds;
  int tab, textSize; // textSize 0: the control shows no text
  const char* text;
  bool enabled = true;
};

// The controls but the timer and the place-list shell, in creation order.
const Expected kControls[] = {
    {"StaticText1", Label, {8, 14, 100, 20}, kTop, 12, "Search For"},
    {"Location", Field, {120, 13, 303, 22}, kTop, 12, "", false},
    {"Selector", Popup, {120, 41, 303, 20}, kTop, 12, "", false},
    {"Status", Label, {29, 71, 542, 20}, kTop, 12, nullptr},
    {"StaticText2", Label, {8, 108, 40, 20}, kTop, 12, "Start"},
    {"StaticText3", Label, {8, 137, 40, 20}, kTop, 12, "End"},
    {"StartDate", Field, {60, 108, 80, 22}, kTop, 12, nullptr},
    {"EndDate", Field, {60, 137, 80, 22}, kTop, 12, nullptr},
    {"SearchButton", Button, {498, 171, 69, 20}, kTop, 12, "Search"},
    {"StaticText4", Label, {411, 109, 100, 20}, kTop, 12, "Tide Higher Than"},
    {"StaticText5", Label, {411, 139, 100, 20}, kTop, 12, "Tide Lower Than"},
    {"TideHigher", Field, {521, 110, 40, 22}, kTop, 12, ""},
    {"TideLower", Field, {521, 139, 40, 22}, kTop, 12, "1"},
    {"StaticText6", Label, {176, 109, 60, 20}, kTop, 12, "Earliest"},
    {"StaticText7", Label, {176, 138, 60, 20}, kTop, 12, "Latest"},
    {"EarlyTime", Field, {248, 108, 60, 22}, kTop, 12, ""},
    {"LateTime", Field, {248, 137, 60, 22}, kTop, 12, ""},
    {"StaticText8", Label, {176, 166, 60, 20}, kTop, 12, "Shortest"},
    {"MinLength", Field, {248, 165, 80, 22}, kTop, 12, "1:00"},
    {"EarlyAMPM", Popup, {314, 109, 60, 20}, kTop, 12, "AM"},
    {"LateAMPM", Popup, {314, 137, 60, 20}, kTop, 12, "AM"},
    {"ResultDisplay", Tabs, {20, 207, 560, 208}, kTop, 12, ""},
    {"Result", List, {29, 243, 542, 165}, 0, 12, ""},
    {"MonthDisplay", Canvas, {187, 266, 226, 142}, 1, 0, ""},
    {"WhichMonth", Label, {187, 240, 226, 20}, 1, 12, ""},
    {"ScrollMonth", Scroll, {411, 266, 16, 142}, 1, 0, ""},
    {"Plot", Canvas, {29, 243, 542, 149}, 2, 0, ""},
    {"ScrollPlot", Scroll, {29, 391, 542, 16}, 2, 0, ""},
    {"VersionNumber", Label, {557, 419, 34, 16}, kTop, 9, "v7"},
};

using LayoutTest = HalvornWindowTest;

TEST_F(LayoutTest, EveryWindowButTheMenuBarIsItsOwnAndStartsAsTheLayoutSays) {
  Halvorn *w = open(), *other = open();
  QWidget* content = w->qwindow()->centralWidget();
  for (const Expected& e : kControls) {
    SCOPED_TRACE(e.name);
    fw::Control* c = w->FindControl(e.name);
    ASSERT_NE(c, nullptr);
    QWidget* widget = c->widget();
    const QRect placed(widget->mapTo(content, QPoint(0, 0)), widget->size());
    // A label's, field's or button's text; a popup's chosen row.
    const QVariant shown = widget->property("text");
    const QString text = (shown.isValid() ? shown : widget->property("currentText")).toString();
    // A label may grow to the left to keep its text whole; its right edge stays.
    const int grown = e.kind == Label ? std::max(e.bounds.left() - placed.left(), 0) : 0;
    EXPECT_EQ(std::tuple(c != other->FindControl(e.name), typeid(*c) == *e.kind, placed,
                         widget->parentWidget(), c->TextSize(), c->Enabled()),
              std::tuple(true, true, e.bounds.adjusted(-grown, 0, 0, 0),
                         e.tab == kTop ? content : w->ResultDisplay()->page(e.tab), e.textSize,
                         e.enabled));
    EXPECT_LE(widget->fontMetrics().horizontalAdvance(text), placed.width());
    EXPECT_EQ(e.textSize ? widget->font().pixelSize() : 0, e.textSize);
    // No text given: the opening fills it in.
    EXPECT_EQ(text.toStdString(), e.text ? e.text : text.toStdString());
  }
  EXPECT_EQ(std::pair(w->Width(), w->Height()), std::pair(600, 435));
  // The main window's title bar offers close only; the graph window's all three.
  const int buttons =
      Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint;
  EXPECT_EQ(w->qwindow()->windowFlags() & buttons, Qt::WindowCloseButtonHint);
  EXPECT_EQ(fw::Window::New<TideDisplay>()->qwindow()->windowFlags() & buttons, buttons);
  fw::TabPanel* tabs = w->ResultDisplay();
  EXPECT_EQ(std::tuple(tabs->TabCount(), tabs->TabText(0), tabs->TabText(1), tabs->TabText(2),
                       tabs->Value()),
            std::tuple(3, "List Format", "Calendar Format", "Tide Graph", 0));
  // Searches are published by the window's own timer.
  EXPECT_EQ(std::pair(w->ShellPoller()->Mode(), w->ShellPoller()->Period()), std::pair(2, 1000));
  EXPECT_NE(w->ShellPoller(), other->ShellPoller());
  EXPECT_NE(w->GetLocationsShell(), other->GetLocationsShell());
  EXPECT_EQ(other->GetMenuBar(), &MenuBar1::shared());
}

} // namespace
