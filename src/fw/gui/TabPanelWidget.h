#pragma once
// The tab widget of a TabPanel. Controls on its pages are placed in window
// content coordinates; whenever Qt lays the panel out, each page's controls are
// moved so that they keep those coordinates.

#include <QTabWidget>

namespace fw {

class TabPanelWidget : public QTabWidget {
  Q_OBJECT
public:
  explicit TabPanelWidget(QWidget* parent);
  QWidget* addPage(const QString& title);
  void placePageControls();

protected:
  bool event(QEvent* event) override;
};

} // namespace fw
