#pragma once
// The line edit of a TextField: each typed key goes to a handler first, which
// may keep it out of the field.

#include <QLineEdit>
#include <functional>
#include <string>

namespace fw {

class KeyLineEdit : public QLineEdit {
  Q_OBJECT
public:
  explicit KeyLineEdit(QWidget* parent);
  // True consumes the key.
  std::function<bool(const std::string& key)> keyDown;

  // The key as the handler sees it: the typed character, Return and Enter as
  // character 13, editing and arrow keys as their classic control characters;
  // "" for keys that type nothing (modifiers, commands).
  static std::string keyText(const QKeyEvent& event);

protected:
  void keyPressEvent(QKeyEvent* event) override;
};

} // namespace fw
