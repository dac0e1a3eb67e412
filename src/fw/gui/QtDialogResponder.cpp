#include "fw/gui/QtDialogResponder.h"

#include "fw/gui/Window.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QStandardPaths>

namespace fw {

namespace {

QWidget* dialogParent() {
  Window* front = Window::Frontmost();
  return front ? front->qwindow() : nullptr;
}

QString dialogTitle() {
  return QGuiApplication::applicationDisplayName();
}

// "tidesearch (*.tides)", or "" (every file) for a type without an extension.
QString filterFor(const std::string& fileType) {
  const std::string extension = fileTypeExtension(fileType);
  if (extension.empty())
    return {};
  return QString::fromStdString(fileType) + " (*" + QString::fromStdString(extension) + ")";
}

QString startFolder() {
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

std::optional<FolderItem> itemFor(const QString& path) {
  if (path.isEmpty())
    return std::nullopt;
  return FolderItem(QFileInfo(path).absoluteFilePath().toStdString());
}

} // namespace

void QtDialogResponder::MsgBox(const std::string& message) {
  QMessageBox box(QMessageBox::NoIcon, dialogTitle(), QString::fromStdString(message),
                  QMessageBox::Ok, dialogParent());
  box.exec();
}

std::optional<FolderItem> QtDialogResponder::GetOpenFolderItem(const std::string& fileType) {
  return itemFor(
      QFileDialog::getOpenFileName(dialogParent(), QString(), startFolder(), filterFor(fileType)));
}

std::optional<FolderItem> QtDialogResponder::GetSaveFolderItem(const std::string& fileType,
                                                               const std::string& suggestedName) {
  const std::string extension = fileTypeExtension(fileType);
  QFileDialog dialog(dialogParent(), QString(), startFolder(), filterFor(fileType));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (extension.size() > 1)
    dialog.setDefaultSuffix(QString::fromStdString(extension.substr(1)));
  dialog.selectFile(QString::fromStdString(suggestedName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return std::nullopt;
  const QString chosen = dialog.selectedFiles().constFirst();
  const QString path = QString::fromStdString(withExtension(chosen.toStdString(), extension));
  // The dialog asked about replacing the name as typed; a name that only now
  // gained its extension may hit another existing file.
  if (path != chosen && QFileInfo::exists(path)) {
    const auto answer =
        QMessageBox::question(dialogParent(), dialogTitle(),
                              QString("\"%1\" already exists. Do you want to replace it?")
                                  .arg(QFileInfo(path).fileName()));
    if (answer != QMessageBox::Yes)
      return std::nullopt;
  }
  return itemFor(path);
}

std::optional<FolderItem> QtDialogResponder::SelectFolder() {
  return itemFor(QFileDialog::getExistingDirectory(dialogParent(), QString(), startFolder()));
}

std::string QtDialogResponder::withExtension(const std::string& path,
                                             const std::string& extension) {
  const QString qpath = QString::fromStdString(path);
  const QString qextension = QString::fromStdString(extension);
  if (qextension.isEmpty() || qpath.endsWith(qextension, Qt::CaseInsensitive))
    return path;
  return (qpath + qextension).toStdString();
}

} // namespace fw
