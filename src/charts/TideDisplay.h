#pragma once
// The graph window: a snapshot of one main window's last search (its samples
// and the two threshold heights at the moment the window opened), drawn over
// seven whole days. Later searches and form edits in the main window leave it
// as it is; it holds its own reference to the samples.

#include "fw/gui/Window.h"

#include <memory>

class TimeAndTide;

namespace fw {
class Canvas;
class Graphics;
class PushButton;
class ScrollBar;
} // namespace fw

class TideDisplay : public fw::Window {
public:
  TideDisplay() = default;

  std::shared_ptr<TimeAndTide> data;
  bool updating = false;
  float maxhgt = 0.0f;
  float minhgt = 0.0f;
  float minline = 0.0f;
  float maxline = 0.0f;

  void _CreateControls0();
  void Plot_Paint(fw::Graphics& g);
  void DoneButton_Action();
  void ScrollPlot_ValueChanged();
  void Event_EnableMenuItems() override;
  bool _FileClose_Action();
  void SetupDisplay(std::shared_ptr<TimeAndTide> tt);
  void RedrawDisplay();

  fw::Canvas* Plot() const;
  fw::PushButton* DoneButton() const;
  fw::ScrollBar* ScrollPlot() const;

protected:
  void Layout() override;
  void CreateControls() override;
  void AddMenuHandlers() override;

private:
  void bindReturnAndEscapeToDone();
};
