#include "fw/gui/MenuShortcutHook.h"

#include "fw/gui/Application.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>

namespace fw {

namespace {

class MenuShortcutHook : public QObject {
public:
  using QObject::QObject;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
    case QEvent::ShortcutOverride:
      // Qt hands one override event to the window, the focus widget and its
      // parents in turn; the states need updating once.
      if (event != lastOverride_ && isChord(static_cast<QKeyEvent*>(event))) {
        lastOverride_ = event;
        updateMenuEnabling();
      }
      break;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
      // The override is over; the next one may reuse its address.
      lastOverride_ = nullptr;
      break;
    default:
      break;
    }
    return QObject::eventFilter(watched, event);
  }

private:
  // Menu shortcuts all need a modifier; plain typing does not pay for the update.
  static bool isChord(const QKeyEvent* key) {
    switch (key->key()) {
    case Qt::Key_Control:
    case Qt::Key_Shift:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
      return false; // a modifier on its own chooses nothing
    default:
      return key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    }
  }

  const QEvent* lastOverride_ = nullptr;
};

} // namespace

void installMenuShortcutHook() {
  static QPointer<QObject> hook;
  if (hook || !qApp)
    return;
  hook = new MenuShortcutHook(qApp);
  qApp->installEventFilter(hook);
}

} // namespace fw
