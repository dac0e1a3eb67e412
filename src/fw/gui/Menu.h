#pragma once
// One menu model shared by the application and every window. Items are found by
// name anywhere in the tree. Shortcut texts ("Cmd+N") become Ctrl+N.

#include <memory>
#include <string>
#include <vector>

namespace fw {

class MenuItem {
public:
  MenuItem(std::string name, std::string text, std::string shortcut = {});
  virtual ~MenuItem();

  const std::string& Name() const { return name_; }
  const std::string& Text() const { return text_; }
  void SetText(const std::string& text) { text_ = text; }
  const std::string& KeyboardShortcut() const { return shortcut_; }
  bool AutoEnable = true;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  void Enable() { enabled_ = true; }
  // A text of "-" makes the entry a separator, whatever its name.
  bool IsSeparator() const { return text_ == "-"; }

  MenuItem* Append(std::unique_ptr<MenuItem> child);
  int Count() const { return static_cast<int>(children_.size()); }
  MenuItem* Item(int index) const;
  // The direct child with that name; nullptr when none.
  MenuItem* Child(const std::string& name) const;
  // This item or a descendant with that name; nullptr when none.
  MenuItem* Find(const std::string& name);

private:
  std::string name_, text_, shortcut_;
  bool enabled_ = false;
  std::vector<std::unique_ptr<MenuItem>> children_;
};

// The item that quits the application when no handler takes it; always enabled.
class QuitMenuItem : public MenuItem {
public:
  using MenuItem::MenuItem;
};

// The root of a menu tree; its children are the menus shown in the bar.
class MenuBar : public MenuItem {
public:
  explicit MenuBar(std::string name) : MenuItem(std::move(name), {}) {}
};

} // namespace fw
