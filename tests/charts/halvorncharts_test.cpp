#include "ChartPixels.h"
#include "ChartWindows.h"
#include "charts/TideDisplay.h"
#include "charts/TideGraph.h"
#include "engine/ToolPaths.h"
#include "fw/Date.h"
#include "fw/gui/Controls.h"
#include "window/Halvorn.h"

#include <QCoreApplication>
#include <QTest>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <set>
#include <thread>

using namespace chartpixels;

namespace {

const double march7th2009 = fw::Date::FromFields(2009, 3, 7).TotalSeconds();
constexpr QRgb marker = qRgb(1, 2, 3);

float wave(int i) {
  return 1.9f + 2.2f * static_cast<float>(std::sin(i * 2 * M_PI / 50.0));
}

std::shared_ptr<TimeAndTide> periodsOn(std::initializer_list<fw::Date> starts) {
  auto found = std::make_shared<TimeAndTide>();
  for (const fw::Date& d : starts)
    found->Append(d.TotalSeconds(), 3600.0f);
  return found;
}

void markCanvas(fw::Canvas* canvas) {
  fw::Graphics& g = canvas->GetGraphics();
  g.ForeColor = {qRed(marker), qGreen(marker), qBlue(marker)};
  g.FillRect(0, 0, g.Width(), g.Height());
}
bool untouched(const fw::Canvas* canvas) {
  return at(canvas->image(), 5, 5) == fw::Color{qRed(marker), qGreen(marker), qBlue(marker)};
}

int greenRowCount(const QImage& img) {
  int rows = 0;
  for (int y = 0; y < img.height(); ++y)
    rows += count(img, QRect(0, y, img.width(), 1), green) > img.width() / 2 ? 1 : 0;
  return rows;
}

class HalvornChartsTest : public ChartWindowTest {
protected:
  void SetUp() override { w = fw::Window::New<Halvorn>(); }

  // Wraps a scroll bar's handler to record whether it drew while the guard was up.
  void watchGuard(fw::ScrollBar* bar, fw::Canvas* canvas) {
    auto handler = bar->ValueChanged;
    bar->ValueChanged = [this, handler, canvas] {
      if (!w->updating)
        return handler();
      ++guardedEvents;
      markCanvas(canvas);
      handler();
      drewWhileGuarded = drewWhileGuarded || !untouched(canvas);
    };
  }
  bool firstGraphLabelIs(const char* label) {
    fw::Graphics& g = w->Plot()->GetGraphics();
    return textAt(w->Plot()->image(), label, (96 - g.StringWidth(label)) / 2,
                  g.Height() - g.TextHeight() + 4, grey);
  }

  // The week of the search feature: six periods below 1 ft, on 5 to 10 December.
  bool searchSeattleWeek() {
    w->thePlace = "Seattle, Puget Sound, Washington";
    w->StartDate()->SetText("12/5/2026");
    w->EndDate()->SetText("12/11/2026");
    w->TideHigher()->SetText("");
    w->TideLower()->SetText("1");
    w->MinLength()->SetText("1:00");
    w->EarlyTime()->SetText("");
    w->LateTime()->SetText("");
    w->FindTides();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (w->shellToPoll && std::chrono::steady_clock::now() < deadline) {
      QCoreApplication::processEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      w->ShellPoller()->fire();
    }
    return !w->shellToPoll && w->lastcollection && w->lastfound;
  }

  // The rows where the blue curve has pixels, over every scroll position.
  static std::set<int> curveRows(fw::Canvas* canvas, fw::ScrollBar* scroll) {
    std::set<int> rows;
    for (int value = scroll->Minimum(); value <= scroll->Maximum(); ++value) {
      scroll->SetValue(value);
      const QImage& img = canvas->image();
      for (int y = 0; y < img.height(); ++y)
        if (count(img, QRect(0, y, img.width(), 1), blue) > 0)
          rows.insert(y);
    }
    return rows;
  }

  Halvorn* w = nullptr;
  int guardedEvents = 0;
  bool drewWhileGuarded = false;
};

} // namespace

TEST_F(HalvornChartsTest, CalendarCaptionWithoutPeriods) {
  markCanvas(w->MonthDisplay());
  w->DisplayCalendar();
  EXPECT_EQ(w->WhichMonth()->Text(), "");
  w->lastfound = std::make_shared<TimeAndTide>();
  w->DisplayCalendar();
  EXPECT_EQ(w->WhichMonth()->Text(), "No tides found");
  EXPECT_FALSE(w->firstmonth.has_value());
  EXPECT_TRUE(untouched(w->MonthDisplay()));
}

TEST_F(HalvornChartsTest, CalendarScrollsFromFirstToLastPeriodMonth) {
  w->lastfound =
      periodsOn({fw::Date::FromFields(2026, 11, 10, 6), fw::Date::FromFields(2027, 1, 5, 7)});
  w->DisplayCalendar();
  EXPECT_EQ(w->ScrollMonth()->Maximum(), 2);
  EXPECT_EQ(w->WhichMonth()->Text(), "November 2026");
  w->ScrollMonth()->SetValue(1);
  EXPECT_EQ(w->WhichMonth()->Text(), "December 2026");
  EXPECT_TRUE(textAt(w->MonthDisplay()->image(), "1", 70, 33, black)); // a Tuesday
  w->ScrollMonth()->SetValue(2);
  EXPECT_EQ(w->WhichMonth()->Text(), "January 2027");
  EXPECT_TRUE(textAt(w->MonthDisplay()->image(), "5", 70, 53, red));

  // A later search without periods keeps the range and draws no red.
  w->lastfound = std::make_shared<TimeAndTide>();
  w->DisplayCalendar();
  EXPECT_EQ(w->WhichMonth()->Text(), "No tides found");
  EXPECT_EQ(w->ScrollMonth()->Maximum(), 2);
  w->MonthDisplay()->Refresh();
  EXPECT_EQ(w->WhichMonth()->Text(), "January 2027");
  EXPECT_TRUE(textAt(w->MonthDisplay()->image(), "5", 70, 53, black));
}

TEST_F(HalvornChartsTest, PublishingRedrawsOnceWithTheScrollBarsSilenced) {
  w->lastfound = periodsOn({fw::Date::FromFields(2026, 1, 3), fw::Date::FromFields(2026, 6, 3)});
  w->DisplayCalendar();
  w->ScrollMonth()->SetValue(4);
  w->lastcollection = series(march7th2009, 1000, wave);
  w->UpdatePlot();
  w->ScrollPlot()->SetValue(2);

  watchGuard(w->ScrollMonth(), w->MonthDisplay());
  watchGuard(w->ScrollPlot(), w->Plot());
  w->lastfound = periodsOn({fw::Date::FromFields(2026, 11, 10)});
  w->DisplayCalendar();
  w->UpdatePlot();
  EXPECT_EQ(guardedEvents, 2);
  EXPECT_FALSE(drewWhileGuarded);
  EXPECT_EQ(w->WhichMonth()->Text(), "November 2026");
  EXPECT_TRUE(firstGraphLabelIs("3/7/09"));
}

TEST_F(HalvornChartsTest, GraphSetsItsRangeAndFollowsTheScrollBar) {
  w->lastcollection = series(march7th2009, 676, wave);
  w->UpdatePlot();
  EXPECT_EQ(w->ScrollPlot()->Maximum(), 3); // 8 days, 5 in view
  EXPECT_EQ(w->ScrollPlot()->PageStep(), 7);
  EXPECT_TRUE(firstGraphLabelIs("3/7/09"));
  w->ScrollPlot()->SetValue(1);
  EXPECT_TRUE(firstGraphLabelIs("3/8/09"));

  // A search in progress: the empty field, the range of the last search kept.
  w->lastcollection.reset();
  w->Plot()->Refresh();
  EXPECT_EQ(count(w->Plot()->image(), QRect(1, 1, 539, 146), white), 539 * 146);
  EXPECT_EQ(w->ScrollPlot()->Maximum(), 3);
  EXPECT_EQ(w->ScrollPlot()->Value(), 1);
}

TEST_F(HalvornChartsTest, GraphTabBroughtToFrontShowsThresholdsTypedMeanwhile) {
  w->TideHigher()->SetText("");
  w->TideLower()->SetText("");
  w->lastcollection = series(march7th2009, 676, wave);
  w->ResultDisplay()->SetValue(2);
  QTest::qWait(50);
  w->UpdatePlot();
  w->ResultDisplay()->SetValue(0);
  QTest::qWait(50);
  w->TideHigher()->SetText("2.5");
  EXPECT_EQ(greenRowCount(w->Plot()->image()), 0);
  w->ResultDisplay()->SetValue(2);
  QTest::qWait(50);
  EXPECT_EQ(greenRowCount(w->Plot()->image()), 1);
  w->TideLower()->SetText("1"); // and at every scroll
  w->ScrollPlot()->SetValue(1);
  EXPECT_EQ(greenRowCount(w->Plot()->image()), 2);
}

TEST_F(HalvornChartsTest, TideGraphCommandNeedsASearchWithSamples) {
  EXPECT_TRUE(w->_TidesShowTideGraph_Action());
  w->lastcollection = std::make_shared<TimeAndTide>();
  EXPECT_TRUE(w->_TidesShowTideGraph_Action());
  EXPECT_TRUE(openWindowsOf<TideDisplay>().empty());
}

TEST_F(HalvornChartsTest, GraphWindowsAreIndependentSnapshots) {
  const auto first = series(march7th2009, 1000, wave);
  w->lastcollection = first;
  w->TideHigher()->SetText("2.5");
  w->TideLower()->SetText("1");
  w->_TidesShowTideGraph_Action();
  ASSERT_EQ(openWindowsOf<TideDisplay>().size(), 1u);
  TideDisplay* one = openWindowsOf<TideDisplay>()[0];
  EXPECT_EQ(one->data, first);
  EXPECT_FLOAT_EQ(one->maxline, 2.5f);
  EXPECT_FLOAT_EQ(one->minline, 1.0f);
  const QImage drawn = one->Plot()->image().copy();
  EXPECT_EQ(greenRowCount(drawn), 2);

  // A new search and new thresholds in the main window.
  w->lastcollection = series(march7th2009 + 86400.0 * 30, 200, [](int) { return 7.0f; });
  w->TideHigher()->SetText("");
  w->TideLower()->SetText("");
  w->_TidesShowTideGraph_Action();
  ASSERT_EQ(openWindowsOf<TideDisplay>().size(), 2u);
  TideDisplay* two = openWindowsOf<TideDisplay>()[0] == one ? openWindowsOf<TideDisplay>()[1]
                                                            : openWindowsOf<TideDisplay>()[0];
  EXPECT_EQ(two->maxline, TideGraph::noLevel);
  EXPECT_EQ(two->ScrollPlot()->Maximum(), 0);

  w->Close();
  flushClosedWindows();
  one->Plot()->Refresh();
  EXPECT_TRUE(one->Plot()->image() == drawn);
  EXPECT_EQ(one->ScrollPlot()->Maximum(), 4);
  two->Close();
  EXPECT_TRUE(isOpen(one));
}

// With /bin/csh, our predictor and the real database.
TEST_F(HalvornChartsTest, SeattleWeekMarksItsPeriodDaysAndFillsTheGraph) {
  const std::string resources = HALVORN_RESOURCES_DIR;
  for (const char* file : {"/tide", "/harmonics.tcd"})
    if (!std::filesystem::exists(resources + file))
      GTEST_SKIP() << "no " << resources + file << ": build the predictor first";
  toolPaths().tidePath = fw::FolderItem(resources + "/tide");
  toolPaths().hfilepath = fw::FolderItem(resources + "/harmonics.tcd");
  ASSERT_TRUE(searchSeattleWeek()) << w->Status()->Text();
  ASSERT_EQ(w->lastfound->ntimesandtides, 6);
  ASSERT_EQ(w->lastcollection->ntimesandtides, 672);

  EXPECT_EQ(w->WhichMonth()->Text(), "December 2026");
  EXPECT_EQ(w->ScrollMonth()->Maximum(), 0);
  for (int day = 3; day <= 12; ++day) { // 1 December 2026 is a Tuesday
    const int x = 14 + 28 * ((day + 1) % 7), y = 33 + 20 * ((day + 1) / 7);
    const bool marked = day >= 5 && day <= 10;
    EXPECT_TRUE(textAt(w->MonthDisplay()->image(), std::to_string(day), x, y, marked ? red : black))
        << day;
  }

  EXPECT_EQ(w->ScrollPlot()->Maximum(), 2); // 7 days, 5 in view
  const std::set<int> rows = curveRows(w->Plot(), w->ScrollPlot());
  EXPECT_EQ(*rows.begin(), 2);
  EXPECT_EQ(*rows.rbegin(), 149 - 22);

  w->ScrollPlot()->SetValue(0);
  w->_TidesShowTideGraph_Action();
  ASSERT_EQ(openWindowsOf<TideDisplay>().size(), 1u);
  TideDisplay* graph = openWindowsOf<TideDisplay>()[0];
  const std::set<int> windowRows = curveRows(graph->Plot(), graph->ScrollPlot());
  EXPECT_EQ(*windowRows.begin(), 2);
  EXPECT_EQ(*windowRows.rbegin(), 191 - 22);
  EXPECT_EQ(graph->ScrollPlot()->Maximum(), 0);
}
