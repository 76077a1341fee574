// A private session bus for the notification tests: its own dbus-daemon, and a recorder that
// takes the notification service's name on it and keeps every call it gets.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVirtualObject>
#include <QDeadlineTimer>
#include <QProcess>
#include <functional>
#include <vector>

namespace sorami::test {

// Runs the event loop until pred holds (true) or a generous while has passed (false).
inline bool WaitFor(const std::function<bool()>& pred) {
  QDeadlineTimer deadline(10000);
  while (!pred() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  return pred();
}

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
  // A connection of its own to the bus (each client of the bus has one).
  QDBusConnection Connect(const QString& name) {
    names_.push_back(name);
    return QDBusConnection::connectToBus(address_, name);
  }

 private:
  QProcess daemon_;
  QString address_;
  std::vector<QString> names_;
};

// Answers Notify with ids 1, 2... and records each call; any other call is recorded and
// answered empty, so a call can serve as a marker that every earlier one has arrived.
class NotificationRecorder : public QDBusVirtualObject {
 public:
  explicit NotificationRecorder(QDBusConnection bus) : bus_(bus) {
    ok_ = bus_.registerService(QStringLiteral("org.freedesktop.Notifications")) &&
          bus_.registerVirtualObject(QStringLiteral("/org/freedesktop/Notifications"), this);
  }
  bool ok() const { return ok_; }

  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    calls.push_back(message);
    QVariant answer;
    if (message.member() == QStringLiteral("Notify")) answer = QVariant::fromValue(++last_id);
    connection.send(answer.isValid() ? message.createReply(answer) : message.createReply());
    return true;
  }
  std::vector<QDBusMessage> Notifies() const {
    std::vector<QDBusMessage> out;
    for (const auto& m : calls) {
      if (m.member() == QStringLiteral("Notify")) out.push_back(m);
    }
    return out;
  }
  // The user activates notification id.
  void Activate(uint id, const QString& action = QStringLiteral("default")) {
    QDBusMessage signal = QDBusMessage::createSignal(
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("ActionInvoked"));
    signal << id << action;
    bus_.send(signal);
  }

  std::vector<QDBusMessage> calls;
  uint last_id = 0;

 private:
  QDBusConnection bus_;
  bool ok_ = false;
};

// Every call `from` sent so far has reached the recorder: a marker call went after them.
inline bool Flush(QDBusConnection from, NotificationRecorder& recorder) {
  const size_t before = recorder.calls.size();
  from.asyncCall(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.Notifications"),
                                                QStringLiteral("/org/freedesktop/Notifications"),
                                                QStringLiteral("org.freedesktop.Notifications"),
                                                QStringLiteral("GetCapabilities")));
  return WaitFor([&] {
    return recorder.calls.size() > before &&
           recorder.calls.back().member() == QStringLiteral("GetCapabilities");
  });
}

}  // namespace sorami::test
