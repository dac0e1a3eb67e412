#pragma once
// The widget of a Canvas: shows the canvas's backing image, after giving the
// canvas the chance to paint it.

#include <QWidget>
#include <functional>

class QImage;

namespace fw {

class CanvasView : public QWidget {
  Q_OBJECT
public:
  explicit CanvasView(QWidget* parent);
  void setImage(const QImage* image) { image_ = image; }
  std::function<void()> beforeShowing;
  std::function<void()> cameIntoView;

protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;

private:
  const QImage* image_ = nullptr;
};

} // namespace fw
