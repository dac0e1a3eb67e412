#include "fw/gui/MenuView.h"

#include "fw/gui/Application.h"
#include "fw/gui/Menu.h"
#include "fw/gui/Window.h"

#include <QAction>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>

namespace fw {

namespace {

std::vector<MenuView*>& liveViews() {
  static std::vector<MenuView*> views;
  return views;
}

QString textOf(const MenuItem* item) {
  return QString::fromStdString(item->Text());
}

// A user's choice: the states are made current first, so that an item that
// has just become unusable does nothing.
void choose(MenuBar* model, const std::string& name) {
  updateMenuEnabling();
  MenuItem* item = model->Find(name);
  if (item && item->Enabled())
    chooseMenuItem(name);
}

} // namespace

MenuBar* menuBarShownBy(const Window* window) {
  if (window && window->GetMenuBar())
    return window->GetMenuBar();
  Application* app = Application::Instance();
  return app ? app->GetMenuBar() : nullptr;
}

QKeySequence keySequenceOf(const std::string& shortcut) {
  QString text = QString::fromStdString(shortcut);
  text.replace("Cmd", "Ctrl", Qt::CaseInsensitive);
  text.replace("Option", "Alt", Qt::CaseInsensitive);
  return QKeySequence::fromString(text, QKeySequence::PortableText);
}

MenuView::MenuView(QMainWindow* host, MenuBar* model) : bar_(new QMenuBar(host)), model_(model) {
  bar_->setNativeMenuBar(false);
  for (int i = 0; i < model_->Count(); ++i) {
    MenuItem* menuItem = model_->Item(i);
    if (!menuItem->IsSeparator())
      addItems(addMenu(bar_, nullptr, menuItem), menuItem);
  }
  host->setMenuBar(bar_);
  liveViews().push_back(this);
  sync();
}

MenuView::~MenuView() {
  auto& views = liveViews();
  views.erase(std::remove(views.begin(), views.end(), this), views.end());
  delete bar_.data();
}

QMenu* MenuView::addMenu(QMenuBar* bar, QMenu* parent, MenuItem* item) {
  QMenu* menu = bar ? bar->addMenu(textOf(item)) : parent->addMenu(textOf(item));
  menu->setObjectName(QString::fromStdString(item->Name()));
  menu->menuAction()->setObjectName(menu->objectName());
  QObject::connect(menu, &QMenu::aboutToShow, menu, [] { updateMenuEnabling(); });
  actions_.emplace_back(menu->menuAction(), item);
  return menu;
}

void MenuView::addItems(QMenu* menu, MenuItem* parent) {
  for (int i = 0; i < parent->Count(); ++i) {
    MenuItem* item = parent->Item(i);
    if (item->IsSeparator()) {
      menu->addSeparator();
    } else if (item->Count() > 0) {
      addItems(addMenu(nullptr, menu, item), item);
    } else {
      QAction* action = menu->addAction(textOf(item));
      action->setObjectName(QString::fromStdString(item->Name()));
      action->setShortcut(keySequenceOf(item->KeyboardShortcut()));
      action->setShortcutContext(Qt::WindowShortcut);
      // A held chord runs its command once, not once per key repeat (a window
      // or a search each time).
      action->setAutoRepeat(false);
      QObject::connect(action, &QAction::triggered, action,
                       [model = model_, name = item->Name()] { choose(model, name); });
      actions_.emplace_back(action, item);
    }
  }
}

void MenuView::sync() {
  for (const auto& [action, item] : actions_) {
    if (!action)
      continue;
    action->setEnabled(item->Enabled() || item->Count() > 0);
    if (action->text() != textOf(item))
      action->setText(textOf(item));
  }
}

void MenuView::syncAll() {
  for (MenuView* view : liveViews())
    view->sync();
}

} // namespace fw
