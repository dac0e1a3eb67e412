#include "charts/TideDisplay.h"

#include "charts/TideGraph.h"
#include "engine/TimeAndTide.h"
#include "fw/gui/Application.h"
#include "fw/gui/Controls.h"
#include "fw/gui/Menu.h"

#include <QKeySequence>
#include <QMainWindow>
#include <QShortcut>

namespace {
constexpr int windowWidth = 708;
constexpr int windowHeight = 257;
constexpr fw::Rect plotBounds{12, 14, 674, 191};
constexpr fw::Rect doneBounds{615, 227, 69, 20};
constexpr fw::Rect scrollBounds{12, 204, 674, 16};
constexpr int buttonTextSize = 12;
constexpr int designMaximum = 100;
constexpr int designPageStep = 20;
constexpr int dayPageStep = TideGraph::dayColumns;

constexpr TideGraph::Style graphWindowStyle{TideGraph::FramePlacement::Last,
                                            TideGraph::YearDigits::NoLeadingZero};
} // namespace

void TideDisplay::Layout() {
  SetTitle("Tide Display");
  SetSize(windowWidth, windowHeight, false);
  if (auto* app = fw::Application::Instance())
    SetMenuBar(app->GetMenuBar());
}

void TideDisplay::CreateControls() {
  _CreateControls0();
}

void TideDisplay::_CreateControls0() {
  auto* plot = AddControl<fw::Canvas>("Plot", plotBounds);
  plot->Paint = [this](fw::Graphics& g) { Plot_Paint(g); };

  auto* done = AddControl<fw::PushButton>("DoneButton", doneBounds);
  done->SetTextSize(buttonTextSize);
  done->SetCaption("Done");
  done->Action = [this] { DoneButton_Action(); };
  bindReturnAndEscapeToDone();

  auto* scroll = AddControl<fw::ScrollBar>("ScrollPlot", scrollBounds);
  scroll->SetMinimum(0);
  scroll->SetMaximum(designMaximum);
  scroll->SetValue(0);
  scroll->SetLineStep(1);
  scroll->SetPageStep(designPageStep);
  scroll->SetLiveScroll(false);
  scroll->ValueChanged = [this] { ScrollPlot_ValueChanged(); };
}

// The Done button is both the default and the cancel button of the window.
void TideDisplay::bindReturnAndEscapeToDone() {
  for (const auto key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
    auto* shortcut = new QShortcut(QKeySequence(key), qwindow());
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, qwindow(), [this] {
      if (auto* done = DoneButton())
        done->Push();
    });
  }
}

void TideDisplay::AddMenuHandlers() {
  AddMenuHandler("FileClose", [this] { return _FileClose_Action(); });
}

void TideDisplay::Event_EnableMenuItems() {
  auto* app = fw::Application::Instance();
  fw::MenuBar* bar = app ? app->GetMenuBar() : nullptr;
  if (fw::MenuItem* item = bar ? bar->Find("FileClose") : nullptr)
    item->Enable();
}

void TideDisplay::Plot_Paint(fw::Graphics& g) {
  (void)g; // all drawing goes to the canvas's own Graphics
  RedrawDisplay();
}

void TideDisplay::DoneButton_Action() {
  Close();
}

bool TideDisplay::_FileClose_Action() {
  Close();
  return true;
}

void TideDisplay::ScrollPlot_ValueChanged() {
  if (updating)
    return;
  RedrawDisplay();
}

void TideDisplay::SetupDisplay(std::shared_ptr<TimeAndTide> tt) {
  data = std::move(tt);
  if (data && data->ntimesandtides > 0) {
    const TideGraph::HeightRange range = TideGraph::heightRange(*data);
    maxhgt = range.hi;
    minhgt = range.lo;
  }
  const int days = data ? TideGraph::dayCount(data->ntimesandtides) : 0;
  updating = true;
  ScrollPlot()->SetMinimum(0);
  ScrollPlot()->SetMaximum(TideGraph::lastFirstDay(days, TideGraph::dayColumns));
  ScrollPlot()->SetLineStep(1);
  ScrollPlot()->SetPageStep(dayPageStep);
  updating = false;
  RedrawDisplay();
}

void TideDisplay::RedrawDisplay() {
  fw::Canvas* plot = Plot();
  if (!plot)
    return;
  TideGraph graph(plot->GetGraphics(), graphWindowStyle);
  // A paint that comes before the window has its series shows the empty field.
  if (!data || data->ntimesandtides < 1) {
    graph.drawEmpty();
  } else {
    graph.draw(*data, {minhgt, maxhgt}, {maxline, minline}, ScrollPlot()->Value());
  }
}

fw::Canvas* TideDisplay::Plot() const {
  return Find<fw::Canvas>("Plot");
}
fw::PushButton* TideDisplay::DoneButton() const {
  return Find<fw::PushButton>("DoneButton");
}
fw::ScrollBar* TideDisplay::ScrollPlot() const {
  return Find<fw::ScrollBar>("ScrollPlot");
}
