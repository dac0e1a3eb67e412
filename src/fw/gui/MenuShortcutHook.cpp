#include "fw/gui/MenuShortcutHook.h"

#include "fw/gui/Application.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

namespace fw {

namespace {

class MenuShortcutHook : public QObject {
public:
  using QObject::QObject;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ShortcutOverride && isFirstDelivery(watched) &&
        isChord(static_cast<QKeyEvent*>(event)))
      updateMenuEnabling();
    return false;
  }

private:
  // Qt hands the override to the focus widget, then to each of its parents;
  // the states need updating once.
  static bool isFirstDelivery(QObject* watched) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget)
      return false;
    QWidget* focus = widget->window()->focusWidget();
    return focus ? widget == focus : widget->isWindow();
  }

  // Menu shortcuts all need a modifier; plain typing does not pay for the update.
  static bool isChord(const QKeyEvent* key) {
    return key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  }
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
