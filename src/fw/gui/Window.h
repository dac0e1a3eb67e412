#pragma once
// A window. Window::New<W>() constructs it and raises, in order, Layout,
// CreateControls, AddMenuHandlers and Event_Open; the framework then holds it
// until Close, which raises Event_Close and disposes of it.

#include "fw/gui/Controls.h"
#include "fw/gui/MenuHandlers.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMainWindow;
class QWidget;

namespace fw {

class MenuBar;
class MenuView;
class TabPanel;

class Window {
public:
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  template <class W, class... Args> static W* New(Args&&... args) {
    W* w = new W(std::forward<Args>(args)...);
    w->construct();
    return w;
  }

  // Every open window, front-most first.
  static std::vector<Window*> Windows();
  static Window* Frontmost();

  // Raises Event_Close and hides the window; the object itself is deleted once
  // control is back in the event loop, so a handler of the window may close it.
  void Close();
  bool IsOpen() const { return open_; }
  std::string Title() const;
  void SetTitle(const std::string& title);
  // The window's own menu bar; a window without one shows the application's.
  MenuBar* GetMenuBar() const { return menuBar_; }
  void SetMenuBar(MenuBar* menuBar);
  void SetSize(int width, int height, bool resizable = false);
  // The title bar's minimise and maximise buttons; a window has both until told
  // otherwise, and always its close button.
  void SetTitleBarButtons(bool minimize, bool maximize);
  int Width() const;
  int Height() const;
  void Show();

  // Controls, created on the window (or on a tab of a panel) and found by name.
  template <class C, class... Args>
  C* AddControl(const std::string& name, Rect bounds, Args&&... args) {
    return addControl(
        std::make_unique<C>(this, name, bounds, content(), std::forward<Args>(args)...));
  }
  template <class C, class... Args>
  C* AddControlOnTab(TabPanel* panel, int tab, const std::string& name, Rect bounds,
                     Args&&... args) {
    return addControl(
        std::make_unique<C>(this, name, bounds, tabPage(panel, tab), std::forward<Args>(args)...));
  }
  Timer* AddTimer(const std::string& name);
  Control* FindControl(const std::string& name) const; // nullptr when none
  template <class C> C* Find(const std::string& name) const {
    return dynamic_cast<C*>(FindControl(name));
  }
  Timer* FindTimer(const std::string& name) const;

  // Menu handlers by item name; true = handled.
  void AddMenuHandler(const std::string& itemName, std::function<bool()> handler);
  bool HasMenuHandler(const std::string& itemName) const;
  bool RunMenuHandler(const std::string& itemName);

  virtual void Event_EnableMenuItems() {}
  QMainWindow* qwindow() const { return qwindow_; }

protected:
  Window();
  virtual void Layout() {}
  virtual void CreateControls() {}
  virtual void AddMenuHandlers() {}
  virtual void Event_Open() {}
  virtual void Event_Close() {}

private:
  void construct();
  QWidget* content() const;
  QWidget* tabPage(TabPanel* panel, int tab) const;
  template <class C> C* addControl(std::unique_ptr<C> control) {
    C* raw = control.get();
    registerControl(std::move(control));
    return raw;
  }
  void registerControl(std::unique_ptr<Control> control);
  void dispose();
  void showMenuBar();
  void runTimers();
  static void moveToFront(Window* window);

  QMainWindow* qwindow_ = nullptr;
  QWidget* content_ = nullptr;
  std::unique_ptr<MenuView> menuView_;
  MenuBar* menuBar_ = nullptr;
  bool open_ = false;
  std::vector<std::unique_ptr<Control>> controls_;
  std::vector<std::unique_ptr<Timer>> timers_;
  MenuHandlers menuHandlers_;
  friend class WindowHost;
};

} // namespace fw
