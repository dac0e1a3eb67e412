#include "fw/gui/EditCommands.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <array>

namespace fw {

namespace {

struct EditCommand {
  const char* itemName;
  bool (*available)(const QLineEdit&);
  void (*run)(QLineEdit&);
};

bool showsText(const QLineEdit& field) {
  return field.echoMode() == QLineEdit::Normal;
}

bool canChange(const QLineEdit& field) {
  return !field.isReadOnly();
}

bool clipboardHasText() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  return data && data->hasText();
}

const std::array<EditCommand, 5> commands = {{
    {"EditUndo", [](const QLineEdit& f) { return canChange(f) && f.isUndoAvailable(); },
     [](QLineEdit& f) { f.undo(); }},
    {"EditCut",
     [](const QLineEdit& f) { return canChange(f) && showsText(f) && f.hasSelectedText(); },
     [](QLineEdit& f) { f.cut(); }},
    {"EditCopy", [](const QLineEdit& f) { return showsText(f) && f.hasSelectedText(); },
     [](QLineEdit& f) { f.copy(); }},
    {"EditPaste", [](const QLineEdit& f) { return canChange(f) && clipboardHasText(); },
     [](QLineEdit& f) { f.paste(); }},
    {"EditClear", [](const QLineEdit& f) { return canChange(f) && f.hasSelectedText(); },
     [](QLineEdit& f) { f.del(); }},
}};

const EditCommand* commandNamed(const std::string& itemName) {
  for (const EditCommand& command : commands)
    if (itemName == command.itemName)
      return &command;
  return nullptr;
}

QLineEdit* focusedField() {
  auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  return field && field->isEnabled() ? field : nullptr;
}

} // namespace

bool isEditCommand(const std::string& itemName) {
  return commandNamed(itemName) != nullptr;
}

bool editCommandAvailable(const std::string& itemName) {
  const EditCommand* command = commandNamed(itemName);
  const QLineEdit* field = focusedField();
  return command && field && command->available(*field);
}

bool runEditCommand(const std::string& itemName) {
  if (!editCommandAvailable(itemName))
    return false;
  commandNamed(itemName)->run(*focusedField());
  return true;
}

} // namespace fw
