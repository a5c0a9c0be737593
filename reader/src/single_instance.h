// One reader per user: a lock file in the user's runtime folder (released
// by the system when a crashed process left it), and a local socket through
// which a second start asks the first window to come forward.
#ifndef TAMBLOR_SINGLE_INSTANCE_H
#define TAMBLOR_SINGLE_INSTANCE_H

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;

namespace tamblor {

class SingleInstance : public QObject {
  Q_OBJECT
 public:
  // folder: where the lock lives (the runtime folder by default).
  explicit SingleInstance(const QString& folder = QString(), QObject* parent = nullptr);
  ~SingleInstance() override;

  // True when this process is the only reader; it then listens for others.
  bool Acquire();
  // Asks the running reader to bring its window forward; false when it
  // cannot be reached.
  bool RaiseRunning();

 signals:
  void raiseRequested();

 private:
  QString lock_path_;
  QString server_name_;
  std::unique_ptr<QLockFile> lock_;
  QLocalServer* server_ = nullptr;
};

}  // namespace tamblor

#endif
