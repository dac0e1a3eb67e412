#include "fw/gui/InstanceChannel.h"

#include "fw/FolderItem.h"

#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <cstdlib>

namespace fw {

namespace {

constexpr int connectTimeoutMs = 1000;
constexpr int writeTimeoutMs = 2000;
constexpr quint32 messageMagic = 0x48764f70; // marks a message of ours
constexpr qint64 largestMessage = 1 << 20;
constexpr auto streamVersion = QDataStream::Qt_6_0;
constexpr const char* bufferProperty = "fwReceived";

QString resolveName(const std::string& key) {
  const QString name = QString::fromStdString(key);
  if (QDir::isAbsolutePath(name))
    return name;
  // In the runtime folder only the user can reach the socket.
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime && QFileInfo(QString::fromLocal8Bit(runtime)).isDir())
    return QDir(QString::fromLocal8Bit(runtime)).filePath(name);
  // Else inside the private temporary folder: a bare name would be placed in
  // the shared temporary folder, where it would take that folder's own path.
  if (const auto temporary = FolderItem::SpecialFolder(SpecialFolderKind::Temporary))
    return QString::fromStdString(temporary->Child(key + ".socket").AbsolutePath());
  return {}; // nowhere only the user can reach: every launch runs on its own
}

} // namespace

InstanceChannel::InstanceChannel(const std::string& key) : name_(resolveName(key)) {}

InstanceChannel::~InstanceChannel() {
  if (server_)
    server_->close();
}

bool InstanceChannel::handOff(const QStringList& paths) const {
  if (name_.isEmpty())
    return false;
  QLocalSocket socket;
  socket.connectToServer(name_);
  if (!socket.waitForConnected(connectTimeoutMs))
    return false;
  QByteArray message;
  QDataStream out(&message, QIODevice::WriteOnly);
  out.setVersion(streamVersion);
  out << messageMagic << paths;
  socket.write(message);
  while (socket.bytesToWrite() > 0)
    if (!socket.waitForBytesWritten(writeTimeoutMs))
      return false;
  socket.disconnectFromServer();
  return true;
}

bool InstanceChannel::listen(std::function<void(const QStringList&)> received) {
  received_ = std::move(received);
  if (name_.isEmpty())
    return false;
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(name_)) {
    // Nobody answered handOff, so a socket file here is a dead instance's.
    QLocalServer::removeServer(name_);
    if (!server_->listen(name_))
      return false;
  }
  connect(server_, &QLocalServer::newConnection, this, &InstanceChannel::accept);
  return true;
}

void InstanceChannel::accept() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::readyRead, socket, [socket] {
      QByteArray buffer = socket->property(bufferProperty).toByteArray();
      buffer += socket->readAll();
      if (buffer.size() > largestMessage) {
        socket->abort();
        return;
      }
      socket->setProperty(bufferProperty, buffer);
    });
    connect(socket, &QLocalSocket::disconnected, this, [this, socket] { readFrom(socket); });
  }
}

void InstanceChannel::readFrom(QLocalSocket* socket) {
  QByteArray message = socket->property(bufferProperty).toByteArray();
  message += socket->readAll();
  socket->deleteLater();
  if (message.size() > largestMessage)
    return;
  QDataStream in(message);
  in.setVersion(streamVersion);
  quint32 magic = 0;
  QStringList paths;
  in >> magic >> paths;
  // A message that is not whole is nobody's request.
  if (in.status() != QDataStream::Ok || magic != messageMagic)
    return;
  if (received_)
    received_(paths);
}

} // namespace fw
