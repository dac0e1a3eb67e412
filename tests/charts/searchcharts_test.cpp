// The charts after a real search: /bin/csh, our predictor and the real database.

#include "ChartPixels.h"
#include "ChartWindows.h"
#include "charts/TideDisplay.h"
#include "engine/ToolPaths.h"
#include "fw/gui/Controls.h"
#include "window/Halvorn.h"

#include <QCoreApplication>
#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

using namespace chartpixels;

namespace {

const std::string resources = HALVORN_RESOURCES_DIR;

class SearchChartsTest : public ChartWindowTest {
protected:
  void SetUp() override {
    for (const char* file : {"/tide", "/harmonics.tcd"})
      if (!std::filesystem::exists(resources + file))
        GTEST_SKIP() << "no " << resources + file << ": build the predictor first";
    toolPaths().tidePath = fw::FolderItem(resources + "/tide");
    toolPaths().hfilepath = fw::FolderItem(resources + "/harmonics.tcd");
    w = fw::Window::New<Halvorn>();
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
};

} // namespace

TEST_F(SearchChartsTest, SeattleWeekMarksItsPeriodDaysAndFillsTheGraph) {
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
