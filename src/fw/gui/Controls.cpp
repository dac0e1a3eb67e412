#include "fw/gui/Controls.h"

#include "fw/gui/CanvasView.h"
#include "fw/gui/ControlPlacement.h"
#include "fw/gui/Fonts.h"
#include "fw/gui/KeyLineEdit.h"
#include "fw/gui/TabPanelWidget.h"

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <algorithm>

namespace fw {

namespace {

constexpr const char* systemFamily = "System";

QString toQString(const std::string& text) {
  return QString::fromStdString(text);
}

Qt::Alignment alignmentOf(TextAlign align) {
  switch (align) {
  case TextAlign::Center:
    return Qt::AlignHCenter | Qt::AlignVCenter;
  case TextAlign::Right:
    return Qt::AlignRight | Qt::AlignVCenter;
  case TextAlign::Left:
    break;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

QLabel* label(QWidget* w) {
  return static_cast<QLabel*>(w);
}
KeyLineEdit* lineEdit(QWidget* w) {
  return static_cast<KeyLineEdit*>(w);
}
QComboBox* combo(QWidget* w) {
  return static_cast<QComboBox*>(w);
}
QPushButton* button(QWidget* w) {
  return static_cast<QPushButton*>(w);
}
TabPanelWidget* tabs(QWidget* w) {
  return static_cast<TabPanelWidget*>(w);
}
QListWidget* list(QWidget* w) {
  return static_cast<QListWidget*>(w);
}
QScrollBar* scroll(QWidget* w) {
  return static_cast<QScrollBar*>(w);
}

} // namespace

// ---- Control

Control::Control(Window* window, std::string name, Rect bounds, QWidget* widget)
    : window_(window), name_(std::move(name)), bounds_(bounds), widget_(widget) {
  widget_->setObjectName(toQString(name_));
  placeWidget(widget_, bounds_);
  widget_->show();
}

Control::~Control() = default;

bool Control::Enabled() const {
  QWidget* parent = widget_->parentWidget();
  return parent ? widget_->isEnabledTo(parent) : widget_->isEnabled();
}

void Control::SetEnabled(bool enabled) {
  widget_->setEnabled(enabled);
}

bool Control::Visible() const {
  return !widget_->isHidden();
}

void Control::SetVisible(bool visible) {
  widget_->setVisible(visible);
}

void Control::SetTextSize(int pixels) {
  textSize_ = pixels;
  widget_->setFont(fontOf(systemFamily, pixels));
}

void Control::Refresh() {
  // A status line set inside a long handler must show before the handler ends.
  if (widget_->isVisible())
    widget_->repaint();
  else
    widget_->update();
}

// ---- StaticText

StaticText::StaticText(Window* window, std::string name, Rect bounds, QWidget* parent)
    : Control(window, std::move(name), bounds, new QLabel(parent)) {
  label(widget_)->setTextFormat(Qt::PlainText);
  label(widget_)->setAlignment(alignmentOf(TextAlign::Left));
}

std::string StaticText::Text() const {
  return label(widget_)->text().toStdString();
}

void StaticText::SetText(const std::string& text) {
  label(widget_)->setText(toQString(text));
}

void StaticText::SetTextAlign(TextAlign align) {
  label(widget_)->setAlignment(alignmentOf(align));
}

// ---- TextField

TextField::TextField(Window* window, std::string name, Rect bounds, QWidget* parent)
    : Control(window, std::move(name), bounds, new KeyLineEdit(parent)) {
  lineEdit(widget_)->keyDown = [this](const std::string& key) { return KeyDown && KeyDown(key); };
}

std::string TextField::Text() const {
  return lineEdit(widget_)->text().toStdString();
}

void TextField::SetText(const std::string& text) {
  lineEdit(widget_)->setText(toQString(text));
}

void TextField::SetFocus() {
  widget_->setFocus(Qt::OtherFocusReason);
}

// ---- PopupMenu

PopupMenu::PopupMenu(Window* window, std::string name, Rect bounds, QWidget* parent)
    : Control(window, std::move(name), bounds, new QComboBox(parent)) {
  QObject::connect(combo(widget_), &QComboBox::currentIndexChanged, widget_, [this](int) {
    if (!quiet_ && Change)
      Change();
  });
}

void PopupMenu::AddRow(const std::string& text) {
  QComboBox* box = combo(widget_);
  const bool wasEmpty = box->count() == 0;
  quiet_ = true;
  box->addItem(toQString(text));
  // Qt chooses the first row of an empty box by itself; nobody chose it here.
  if (wasEmpty)
    box->setCurrentIndex(-1);
  quiet_ = false;
}

void PopupMenu::DeleteAllRows() {
  quiet_ = true;
  combo(widget_)->clear();
  quiet_ = false;
}

int PopupMenu::ListCount() const {
  return combo(widget_)->count();
}

std::string PopupMenu::List(int row) const {
  if (row < 0 || row >= ListCount())
    return {};
  return combo(widget_)->itemText(row).toStdString();
}

int PopupMenu::ListIndex() const {
  return combo(widget_)->currentIndex();
}

void PopupMenu::SetListIndex(int index) {
  if (index < 0 || index >= ListCount())
    return;
  combo(widget_)->setCurrentIndex(index);
}

std::string PopupMenu::Text() const {
  return List(ListIndex());
}

// ---- PushButton

PushButton::PushButton(Window* window, std::string name, Rect bounds, QWidget* parent)
    : Control(window, std::move(name), bounds, new QPushButton(parent)) {
  // Return in a field must not press a button.
  button(widget_)->setAutoDefault(false);
  QObject::connect(button(widget_), &QPushButton::clicked, widget_, [this] {
    if (Action)
      Action();
  });
}

std::string PushButton::Caption() const {
  return button(widget_)->text().toStdString();
}

void PushButton::SetCaption(const std::string& caption) {
  button(widget_)->setText(toQString(caption));
}

void PushButton::Push() {
  button(widget_)->click();
}

// ---- TabPanel

TabPanel::TabPanel(Window* window, std::string name, Rect bounds, QWidget* parent,
                   const std::vector<std::string>& tabNames)
    : Control(window, std::move(name), bounds, new TabPanelWidget(parent)) {
  for (const std::string& tab : tabNames)
    tabs(widget_)->addPage(toQString(tab));
}

int TabPanel::Value() const {
  return tabs(widget_)->currentIndex();
}

void TabPanel::SetValue(int tab) {
  if (tab >= 0 && tab < TabCount())
    tabs(widget_)->setCurrentIndex(tab);
}

int TabPanel::TabCount() const {
  return tabs(widget_)->count();
}

std::string TabPanel::TabText(int tab) const {
  return tabs(widget_)->tabText(tab).toStdString();
}

QWidget* TabPanel::page(int tab) const {
  return tabs(widget_)->widget(tab);
}

// ---- Listbox

Listbox::Listbox(Window* window, std::string name, Rect bounds, QWidget* parent)
    : Control(window, std::move(name), bounds, new QListWidget(parent)) {
  QListWidget* rows = list(widget_);
  rows->setUniformItemSizes(true);
  rows->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  rows->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void Listbox::AddRow(const std::string& text) {
  list(widget_)->addItem(toQString(text));
}

void Listbox::DeleteAllRows() {
  list(widget_)->clear();
}

int Listbox::ListCount() const {
  return list(widget_)->count();
}

std::string Listbox::List(int row) const {
  const QListWidgetItem* item = list(widget_)->item(row);
  return item ? item->text().toStdString() : std::string{};
}

int Listbox::ListIndex() const {
  return list(widget_)->currentRow();
}

void Listbox::SetListIndex(int row) {
  if (row >= -1 && row < ListCount())
    list(widget_)->setCurrentRow(row);
}

// ---- Canvas

Canvas::Canvas(Window* window, std::string name, Rect bounds, QWidget* parent)
    : Control(window, std::move(name), bounds, new CanvasView(parent)),
      image_(std::make_unique<QImage>(std::max(bounds.width, 1), std::max(bounds.height, 1),
                                      QImage::Format_RGB32)),
      graphics_(std::make_unique<Graphics>(*image_)) {
  image_->fill(widget_->palette().color(QPalette::Window));
  auto* view = static_cast<CanvasView*>(widget_);
  view->setImage(image_.get());
  view->beforeShowing = [this] {
    if (needsPaint_)
      paintImage();
  };
  // Brought back into view (its tab in front, its window restored), the canvas
  // paints afresh, so that it shows what its handler would draw now.
  view->cameIntoView = [this] { needsPaint_ = true; };
}

Canvas::~Canvas() = default;

Graphics& Canvas::GetGraphics() {
  // Whatever is drawn now shows at the next paint, without raising Paint.
  needsPaint_ = false;
  widget_->update();
  return *graphics_;
}

const QImage& Canvas::image() const {
  return *image_;
}

void Canvas::Refresh() {
  paintImage();
  widget_->update();
}

void Canvas::paintImage() {
  needsPaint_ = false;
  image_->fill(widget_->palette().color(QPalette::Window));
  if (Paint)
    Paint(*graphics_);
}

// ---- ScrollBar

ScrollBar::ScrollBar(Window* window, std::string name, Rect bounds, QWidget* parent)
    : Control(
          window, std::move(name), bounds,
          new QScrollBar(bounds.height > bounds.width ? Qt::Vertical : Qt::Horizontal, parent)) {
  QScrollBar* bar = scroll(widget_);
  bar->setRange(0, 0);
  bar->setSingleStep(1);
  bar->setPageStep(1);
  QObject::connect(bar, &QScrollBar::valueChanged, widget_, [this](int) {
    if (ValueChanged)
      ValueChanged();
  });
}

int ScrollBar::Minimum() const {
  return scroll(widget_)->minimum();
}

int ScrollBar::Maximum() const {
  return scroll(widget_)->maximum();
}

int ScrollBar::Value() const {
  return scroll(widget_)->value();
}

void ScrollBar::SetMinimum(int value) {
  scroll(widget_)->setMinimum(value);
}

void ScrollBar::SetMaximum(int value) {
  scroll(widget_)->setMaximum(value);
}

void ScrollBar::SetValue(int value) {
  scroll(widget_)->setValue(value);
}

int ScrollBar::LineStep() const {
  return scroll(widget_)->singleStep();
}

int ScrollBar::PageStep() const {
  return scroll(widget_)->pageStep();
}

void ScrollBar::SetLineStep(int step) {
  scroll(widget_)->setSingleStep(step);
}

void ScrollBar::SetPageStep(int step) {
  scroll(widget_)->setPageStep(step);
}

bool ScrollBar::LiveScroll() const {
  return scroll(widget_)->hasTracking();
}

void ScrollBar::SetLiveScroll(bool live) {
  // Without tracking, dragging reports the value only when the thumb is let go.
  scroll(widget_)->setTracking(live);
}

} // namespace fw
