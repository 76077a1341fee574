// New messages told to the desktop: a notification through the desktop's notification service
// on the session bus, and, where the desktop has a tray, a tray icon with the unread count.
// Activating the notification (its default action) or clicking the tray icon runs `activated`.
// A desktop without the service simply shows nothing: the call is sent without waiting.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <functional>

#include "store/MastStore.h"

class QSystemTrayIcon;

namespace sorami {

class DesktopNotifier : public QObject, private StoreObserver {
  Q_OBJECT

 public:
  static constexpr const char* kService = "org.freedesktop.Notifications";
  static constexpr const char* kPath = "/org/freedesktop/Notifications";

  // bus: where the notification service is found (the session bus of the desktop).
  explicit DesktopNotifier(const QDBusConnection& bus, QObject* parent = nullptr);
  ~DesktopNotifier() override;

  // Shows a notification; it replaces the one shown before, if the service still shows it.
  void Notify(const QString& summary, const QString& body);
  // The tray icon's tooltip follows the unread messages of this store's inbox, counted again
  // once after a run of changes.
  void WatchUnread(const TArMastd& store);
  // The id the service gave the last notification (0 before it answered).
  uint last_id() const { return last_id_; }
  QSystemTrayIcon* tray() const { return tray_; }
  // The count the tray shows.
  long unread() const { return unread_; }

  std::function<void()> activated;

 private slots:
  void OnActionInvoked(uint id, const QString& action);

 private:
  void Appended(int32_t row) override;
  void Changed(int32_t row, MastCol col, std::string_view before) override;
  void Reset() override;
  void Recount();

  QDBusConnection bus_;
  const TArMastd* store_ = nullptr;
  bool recount_pending_ = false;
  long unread_ = 0;
  uint last_id_ = 0;
  QSystemTrayIcon* tray_ = nullptr;
};

}  // namespace sorami
