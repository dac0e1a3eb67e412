#include "fw/gui/TabPanelWidget.h"

#include "fw/gui/ControlPlacement.h"

#include <QEvent>

namespace fw {

namespace {

// A page tells its panel when Qt moves it, which happens when it first comes
// to the front.
class TabPage : public QWidget {
public:
  TabPage(TabPanelWidget* panel) : panel_(panel) {}

protected:
  void moveEvent(QMoveEvent* event) override {
    QWidget::moveEvent(event);
    panel_->placePageControls();
  }

private:
  TabPanelWidget* panel_;
};

} // namespace

TabPanelWidget::TabPanelWidget(QWidget* parent) : QTabWidget(parent) {}

QWidget* TabPanelWidget::addPage(const QString& title) {
  auto* page = new TabPage(this);
  addTab(page, title);
  return page;
}

void TabPanelWidget::placePageControls() {
  for (int i = 0; i < count(); ++i)
    placeChildren(widget(i));
}

bool TabPanelWidget::event(QEvent* event) {
  const bool handled = QTabWidget::event(event);
  switch (event->type()) {
  case QEvent::Show:
  case QEvent::Resize:
  case QEvent::Move:
  case QEvent::LayoutRequest:
  case QEvent::FontChange:
  case QEvent::StyleChange:
    placePageControls();
    break;
  default:
    break;
  }
  return handled;
}

} // namespace fw
