#pragma once
// The controls a window holds, each a thin wrapper over a Qt widget. Events are
// std::function members named after the event (Action, Change, KeyDown, Paint,
// ValueChanged); a window binds them to its handler methods.
// Positions are window content coordinates, also for controls on a tab panel.

#include "fw/RowList.h"
#include "fw/gui/Graphics.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;
class QImage;

namespace fw {

class Window;

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
};

class Control {
public:
  virtual ~Control();
  const std::string& Name() const { return name_; }
  Window* OwnerWindow() const { return window_; }
  bool Enabled() const;
  void SetEnabled(bool enabled);
  bool Visible() const;
  void SetVisible(bool visible);
  int TextSize() const { return textSize_; }
  void SetTextSize(int pixels);
  Rect Bounds() const { return bounds_; }
  // Redraws the control at once.
  virtual void Refresh();
  QWidget* widget() const { return widget_; }

protected:
  Control(Window* window, std::string name, Rect bounds, QWidget* widget);
  Window* window_;
  std::string name_;
  Rect bounds_;
  QWidget* widget_; // owned by Qt's parent chain
  int textSize_ = 0;
};

enum class TextAlign { Left = 0, Center = 1, Right = 2 };

class StaticText : public Control {
public:
  StaticText(Window* window, std::string name, Rect bounds, QWidget* parent);
  std::string Text() const;
  void SetText(const std::string& text);
  void SetTextAlign(TextAlign align);
};

class TextField : public Control {
public:
  TextField(Window* window, std::string name, Rect bounds, QWidget* parent);
  std::string Text() const;
  void SetText(const std::string& text);
  void SetFocus();
  // Raised for each typed key before the field takes it (Return and Enter as
  // character 13); true keeps the key out of the field.
  std::function<bool(const std::string& key)> KeyDown;
};

class PopupMenu : public Control {
public:
  PopupMenu(Window* window, std::string name, Rect bounds, QWidget* parent);
  void AddRow(const std::string& text);
  void DeleteAllRows();
  int ListCount() const;
  std::string List(int row) const;
  int ListIndex() const; // -1 when no row is chosen
  // From code as from the user, a change raises Change; an index with no row changes nothing.
  // Rows added to an empty popup leave it with no row chosen.
  void SetListIndex(int index);
  std::string Text() const; // the chosen row's text, "" when none
  std::function<void()> Change;

private:
  bool quiet_ = false; // rows being added or removed: no Change
};

class PushButton : public Control {
public:
  PushButton(Window* window, std::string name, Rect bounds, QWidget* parent);
  std::string Caption() const;
  void SetCaption(const std::string& caption);
  void Push(); // as a click
  std::function<void()> Action;
};

class TabPanel : public Control {
public:
  TabPanel(Window* window, std::string name, Rect bounds, QWidget* parent,
           const std::vector<std::string>& tabs);
  int Value() const; // the tab in front, from 0
  void SetValue(int tab);
  int TabCount() const;
  std::string TabText(int tab) const;
  QWidget* page(int tab) const; // parent for the controls on that tab
};

class Listbox : public Control, public RowList {
public:
  Listbox(Window* window, std::string name, Rect bounds, QWidget* parent);
  void AddRow(const std::string& text) override;
  void DeleteAllRows() override;
  int ListCount() const override;
  std::string List(int row) const override;
  int ListIndex() const;
  void SetListIndex(int row);
};

class Canvas : public Control {
public:
  Canvas(Window* window, std::string name, Rect bounds, QWidget* parent);
  ~Canvas() override;
  // Draws into the backing image at once; the widget shows the image.
  Graphics& GetGraphics();
  const QImage& image() const;
  // Erases the backing image and raises Paint on it, then shows it. Coming into
  // view (first showing, its tab brought to front) does the same at the next
  // paint; other repaints show the image as it is.
  void Refresh() override;
  std::function<void(Graphics&)> Paint;

private:
  void paintImage();

  std::unique_ptr<QImage> image_;
  std::unique_ptr<Graphics> graphics_;
  bool needsPaint_ = true;
};

class ScrollBar : public Control {
public:
  ScrollBar(Window* window, std::string name, Rect bounds,
            QWidget* parent); // vertical when taller than wide
  int Minimum() const;
  int Maximum() const;
  int Value() const;
  // Each raises ValueChanged before returning whenever the value changes.
  void SetMinimum(int value);
  void SetMaximum(int value);
  void SetValue(int value);
  int LineStep() const;
  int PageStep() const;
  void SetLineStep(int step);
  void SetPageStep(int step);
  bool LiveScroll() const;
  void SetLiveScroll(bool live);
  std::function<void()> ValueChanged;
};

// A timer owned by a window; Mode 2 fires every Period ms while the window is open.
class Timer {
public:
  Timer(Window* window, std::string name);
  ~Timer();
  const std::string& Name() const { return name_; }
  int Mode() const { return mode_; }
  void SetMode(int mode); // 0 off, 1 once, 2 repeating
  int Period() const { return period_; }
  void SetPeriod(int ms);
  void Reset();
  void fire(); // as the timer would, for tests
  std::function<void()> Action;

private:
  friend class Window;
  // Runs while the mode is not 0 and the window is open.
  void updateRunning();

  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::string name_;
  int mode_ = 2;
  int period_ = 1000;
};

} // namespace fw
