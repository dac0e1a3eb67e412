#pragma once
// One running instance per user: a later launch hands its document paths over
// a local socket to the instance that listens, and exits.

#include <QObject>
#include <QStringList>
#include <functional>

class QLocalServer;
class QLocalSocket;

namespace fw {

class InstanceChannel : public QObject {
  Q_OBJECT
public:
  // `key` names the socket: an absolute path, or a name placed in the user's
  // runtime folder ($XDG_RUNTIME_DIR) when there is one, else in the private
  // Temporary folder. Without either there is no socket: handOff and listen
  // fail.
  explicit InstanceChannel(const std::string& key);
  ~InstanceChannel() override;

  // Sends the paths to a running instance; false when none answers.
  bool handOff(const QStringList& paths) const;
  // Listens for later launches; a stale socket left by a crashed instance is
  // removed first. False when the socket cannot be made.
  bool listen(std::function<void(const QStringList&)> received);

  const QString& socketName() const { return name_; }

private:
  void accept();
  void readFrom(QLocalSocket* socket);

  QString name_;
  QLocalServer* server_ = nullptr;
  std::function<void(const QStringList&)> received_;
};

} // namespace fw
