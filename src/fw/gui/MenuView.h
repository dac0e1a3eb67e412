#pragma once
// A window's Qt menu bar, built from the shared menu model. Every view takes
// the model's texts and enabled states whenever the enabling is brought up to
// date; a chosen action runs the item by name.

#include <QAction>
#include <QMenuBar>
#include <QPointer>
#include <string>
#include <utility>
#include <vector>

class QKeySequence;
class QMainWindow;
class QMenu;

namespace fw {

class MenuBar;
class MenuItem;
class Window;

class MenuView {
public:
  MenuView(QMainWindow* host, MenuBar* model);
  ~MenuView();
  MenuView(const MenuView&) = delete;
  MenuView& operator=(const MenuView&) = delete;

  QMenuBar* bar() const { return bar_; }
  // Brings every view's actions in line with the model.
  static void syncAll();

private:
  void addItems(QMenu* menu, MenuItem* parent);
  QMenu* addMenu(QMenuBar* bar, QMenu* parent, MenuItem* item);
  void sync();

  QPointer<QMenuBar> bar_;
  MenuBar* model_;
  std::vector<std::pair<QPointer<QAction>, MenuItem*>> actions_;
};

// The menu bar a window shows: its own, else the application's; may be null.
MenuBar* menuBarShownBy(const Window* window);
// "Cmd+N" as Qt's Ctrl+N.
QKeySequence keySequenceOf(const std::string& shortcut);

} // namespace fw
