#include "fw/gui/CanvasView.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QShowEvent>

namespace fw {

CanvasView::CanvasView(QWidget* parent) : QWidget(parent) {
  // The image covers every pixel, so Qt need not erase beneath it.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CanvasView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (cameIntoView)
    cameIntoView();
}

void CanvasView::paintEvent(QPaintEvent* event) {
  if (beforeShowing)
    beforeShowing();
  if (!image_)
    return;
  QPainter painter(this);
  painter.drawImage(event->rect(), *image_, event->rect());
}

} // namespace fw
