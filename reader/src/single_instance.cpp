#include "single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace tamblor {

SingleInstance::SingleInstance(const QString& folder, QObject* parent) : QObject(parent) {
  QString dir = folder;
  if (dir.isEmpty()) dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (dir.isEmpty()) dir = QDir::tempPath();
  QDir().mkpath(dir);
  lock_path_ = QDir(dir).filePath(QStringLiteral("TamblorInstMutex.lock"));
  // The server name follows the lock, so tests with their own folder do not
  // meet a reader that is really running.
  server_name_ =
      QStringLiteral("tamblor-") +
      QString::fromLatin1(QCryptographicHash::hash(lock_path_.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::Acquire() {
  lock_ = std::make_unique<QLockFile>(lock_path_);
  lock_->setStaleLockTime(0);
  if (!lock_->tryLock(0)) {
    lock_.reset();
    return false;
  }
  server_ = new QLocalServer(this);
  QLocalServer::removeServer(server_name_);  // a socket left by a crashed reader
  if (server_->listen(server_name_)) {
    connect(server_, &QLocalServer::newConnection, this, [this] {
      while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
          if (socket->readAll().contains("raise")) emit raiseRequested();
        });
      }
    });
  }
  return true;
}

bool SingleInstance::RaiseRunning() {
  QLocalSocket socket;
  socket.connectToServer(server_name_);
  if (!socket.waitForConnected(1000)) return false;
  socket.write("raise\n");
  const bool sent = socket.waitForBytesWritten(1000);
  socket.disconnectFromServer();
  return sent;
}

}  // namespace tamblor
