#include "fw/gui/ControlPlacement.h"

#include "fw/gui/Controls.h"

#include <QMainWindow>
#include <QRect>
#include <QVariant>
#include <QWidget>

namespace fw {

namespace {

constexpr const char* boundsProperty = "fwContentBounds";

// Where `parent`'s origin lies in its window's content area.
QPoint contentOrigin(QWidget* parent) {
  auto* window = qobject_cast<QMainWindow*>(parent->window());
  QWidget* content = window ? window->centralWidget() : nullptr;
  if (!content || parent == content || !content->isAncestorOf(parent))
    return {};
  return parent->mapTo(content, QPoint(0, 0));
}

void place(QWidget* widget, const QRect& bounds) {
  QWidget* parent = widget->parentWidget();
  const QPoint origin = parent ? contentOrigin(parent) : QPoint();
  widget->setGeometry(bounds.translated(-origin));
}

} // namespace

void placeWidget(QWidget* widget, const Rect& bounds) {
  const QRect rect(bounds.left, bounds.top, bounds.width, bounds.height);
  widget->setProperty(boundsProperty, rect);
  place(widget, rect);
}

void placeChildren(QWidget* parent) {
  if (!parent)
    return;
  for (QObject* child : parent->children()) {
    auto* widget = qobject_cast<QWidget*>(child);
    if (!widget)
      continue;
    const QVariant bounds = widget->property(boundsProperty);
    if (bounds.isValid())
      place(widget, bounds.toRect());
  }
}

} // namespace fw
