#include "ChartPixels.h"
#include "ChartWindows.h"
#include "charts/TideDisplay.h"
#include "charts/TideGraph.h"
#include "fw/Date.h"
#include "fw/gui/Controls.h"
#include "fw/gui/Menu.h"

#include <QMainWindow>
#include <QTest>

using namespace chartpixels;

namespace {

const double march7th2009 = fw::Date::FromFields(2009, 3, 7).TotalSeconds();

class TideDisplayTest : public ChartWindowTest {};

} // namespace

TEST_F(TideDisplayTest, PaintBeforeSetupShowsTheEmptyFramedField) {
  auto* w = fw::Window::New<TideDisplay>();
  EXPECT_EQ(w->Title(), "Tide Display");
  EXPECT_EQ(std::pair(w->Width(), w->Height()), std::pair(708, 257));
  EXPECT_FALSE(w->ScrollPlot()->LiveScroll());
  w->Plot()->Refresh();
  const QImage& img = w->Plot()->image();
  EXPECT_EQ(at(img, 0, 0), black);
  EXPECT_EQ(at(img, 672, 189), black);
  EXPECT_EQ(count(img, QRect(1, 1, 671, 188), white), 671 * 188);
}

TEST_F(TideDisplayTest, SetupComputesRangeOnceAndScrollsBySevenDays) {
  struct Case {
    int samples, maximum;
  } cases[] = {{1000, 4}, {100, 0}, {676, 1}, {1, 0}};
  for (const Case& c : cases) {
    auto* w = fw::Window::New<TideDisplay>();
    w->SetupDisplay(series(march7th2009, c.samples, [](int i) { return 0.4f + (i % 36) * 0.1f; }));
    EXPECT_EQ(w->ScrollPlot()->Maximum(), c.maximum) << c.samples;
    EXPECT_EQ(w->ScrollPlot()->PageStep(), 7);
    EXPECT_EQ(w->ScrollPlot()->LineStep(), 1);
    EXPECT_EQ(w->ScrollPlot()->Value(), 0);
    EXPECT_FLOAT_EQ(w->minhgt, 0.4f);
    EXPECT_FLOAT_EQ(w->maxhgt, c.samples == 1 ? 0.4f : 3.9f);
    w->Close();
  }
}

TEST_F(TideDisplayTest, DoneAndFileCloseCloseTheWindowAndCloseIsEnabled) {
  auto* byDone = fw::Window::New<TideDisplay>();
  byDone->DoneButton()->Push();
  EXPECT_FALSE(isOpen(byDone));

  auto* byMenu = fw::Window::New<TideDisplay>();
  fw::MenuItem* close = fw::Application::Instance()->GetMenuBar()->Find("FileClose");
  ASSERT_NE(close, nullptr);
  close->SetEnabled(false);
  byMenu->Event_EnableMenuItems();
  EXPECT_TRUE(close->Enabled());
  EXPECT_TRUE(byMenu->HasMenuHandler("FileClose"));
  EXPECT_TRUE(byMenu->RunMenuHandler("FileClose"));
  EXPECT_FALSE(isOpen(byMenu));
}

TEST_F(TideDisplayTest, ReturnAndEscapePressDone) {
  for (const auto key : {Qt::Key_Return, Qt::Key_Escape}) {
    auto* w = fw::Window::New<TideDisplay>();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w->qwindow()));
    QTest::keyClick(w->qwindow(), key);
    EXPECT_FALSE(isOpen(w)) << key;
  }
}
