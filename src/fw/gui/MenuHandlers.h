#pragma once
// Menu handlers registered by item name, as a window and the application keep them.

#include <functional>
#include <map>
#include <string>

namespace fw {

class MenuHandlers {
public:
  void add(const std::string& itemName, std::function<bool()> handler) {
    handlers_[itemName] = std::move(handler);
  }
  bool has(const std::string& itemName) const {
    auto it = handlers_.find(itemName);
    return it != handlers_.end() && it->second;
  }
  // False when there is no handler or it did not handle the item.
  bool run(const std::string& itemName) const {
    auto it = handlers_.find(itemName);
    if (it == handlers_.end() || !it->second)
      return false;
    // A copy, so that a handler that replaces itself keeps running.
    const std::function<bool()> handler = it->second;
    return handler();
  }

private:
  std::map<std::string, std::function<bool()>> handlers_;
};

} // namespace fw
