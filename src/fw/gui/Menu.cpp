#include "fw/gui/Menu.h"

namespace fw {

MenuItem::MenuItem(std::string name, std::string text, std::string shortcut)
    : name_(std::move(name)), text_(std::move(text)), shortcut_(std::move(shortcut)) {}

MenuItem::~MenuItem() = default;

MenuItem* MenuItem::Append(std::unique_ptr<MenuItem> child) {
  if (!child)
    return nullptr;
  children_.push_back(std::move(child));
  return children_.back().get();
}

MenuItem* MenuItem::Item(int index) const {
  if (index < 0 || index >= Count())
    return nullptr;
  return children_[static_cast<std::size_t>(index)].get();
}

MenuItem* MenuItem::Child(const std::string& name) const {
  if (name.empty())
    return nullptr;
  for (const auto& child : children_)
    if (child->Name() == name)
      return child.get();
  return nullptr;
}

MenuItem* MenuItem::Find(const std::string& name) {
  // Unnamed separators must not answer a lookup of "".
  if (name.empty())
    return nullptr;
  if (name_ == name)
    return this;
  for (const auto& child : children_)
    if (MenuItem* found = child->Find(name))
      return found;
  return nullptr;
}

} // namespace fw
