#include "fw/gui/KeyLineEdit.h"

#include <QKeyEvent>
#include <array>
#include <utility>

namespace fw {

namespace {

constexpr std::array<std::pair<int, char>, 12> controlKeys = {{
    {Qt::Key_Return, '\r'},
    {Qt::Key_Enter, '\r'},
    {Qt::Key_Backspace, '\b'},
    {Qt::Key_Delete, '\x7f'},
    {Qt::Key_Escape, '\x1b'},
    {Qt::Key_Left, '\x1c'},
    {Qt::Key_Right, '\x1d'},
    {Qt::Key_Up, '\x1e'},
    {Qt::Key_Down, '\x1f'},
    {Qt::Key_Home, '\x01'},
    {Qt::Key_End, '\x04'},
    {Qt::Key_Tab, '\t'},
}};

} // namespace

KeyLineEdit::KeyLineEdit(QWidget* parent) : QLineEdit(parent) {}

std::string KeyLineEdit::keyText(const QKeyEvent& event) {
  // Control and Meta chords are commands (menu shortcuts, editing), not typing.
  if (event.modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
    return {};
  for (const auto& [key, character] : controlKeys)
    if (event.key() == key)
      return std::string(1, character);
  const QString text = event.text();
  if (text.isEmpty() || !text.at(0).isPrint())
    return {};
  return text.toStdString();
}

void KeyLineEdit::keyPressEvent(QKeyEvent* event) {
  const std::string key = keyText(*event);
  if (!key.empty() && keyDown && keyDown(key)) {
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

} // namespace fw
