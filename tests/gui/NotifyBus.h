// A private session bus for the notification tests: its own dbus-daemon, and a recorder that
// takes the notification service's name on it and keeps every call it gets.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVirtualObject>
#include <QProcess>
#include <vector>

#include "gui/GuiFixture.h"

namespace sorami::test {

inline const QString kNotifyName = QStringLiteral("org.freedesktop.Notifications");
inline const QString kNotifyPath = QStringLiteral("/org/freedesktop/Notifications");

class PrivateBus {
 public:
  PrivateBus() {
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"),
                   QStringLiteral("--print-address=1")});
    if (daemon_.waitForStarted() && daemon_.waitForReadyRead()) {
      address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
  }
  ~PrivateBus() {
    for (const QString& name : names_) QDBusConnection::disconnectFromBus(name);
    daemon_.kill();
    daemon_.waitForFinished();
  }
  const QString& address() const { return address_; }
  QDBusConnection Connect(const QString& name) {
    names_.push_back(name);
    return QDBusConnection::connectToBus(address_, name);
  }

 private:
  QProcess daemon_;
  QString address_;
  std::vector<QString> names_;
};

// Answers Notify with ids 1, 2... and keeps each; any other call is a marker, answered empty,
// that shows every earlier call has arrived.
class NotificationRecorder : public QDBusVirtualObject {
 public:
  explicit NotificationRecorder(QDBusConnection bus) : bus_(bus) {
    ok_ = bus_.registerService(kNotifyName) && bus_.registerVirtualObject(kNotifyPath, this);
  }
  bool ok() const { return ok_; }

  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    if (message.member() != QStringLiteral("Notify")) {
      ++markers_;
      return connection.send(message.createReply());
    }
    notifies.push_back(message);
    return connection.send(message.createReply(++last_id));
  }
  // The user activates notification id.
  void Activate(uint id) {
    bus_.send(QDBusMessage::createSignal(kNotifyPath, kNotifyName, QStringLiteral("ActionInvoked"))
              << id << QStringLiteral("default"));
  }
  // Every call `from` sent so far has arrived: a marker call went after them.
  bool Flush(QDBusConnection from) {
    const int want = markers_ + 1;
    from.asyncCall(QDBusMessage::createMethodCall(kNotifyName, kNotifyPath, kNotifyName,
                                                  QStringLiteral("GetCapabilities")));
    return WaitFor([&] { return markers_ >= want; });
  }

  std::vector<QDBusMessage> notifies;
  uint last_id = 0;

 private:
  QDBusConnection bus_;
  bool ok_ = false;
  int markers_ = 0;
};

}  // namespace sorami::test
