#include "shell/ui/DesktopNotifier.h"

#include <sorami/Version.h>

#include <QApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QIcon>
#include <QSystemTrayIcon>
#include <QTimer>

#include "base/ui/ProductText.h"
#include "shell/NewMessageNotice.h"

namespace sorami {

namespace {

constexpr const char* kInterface = "org.freedesktop.Notifications";
// The action the service invokes when the notification itself is clicked.
const QString kDefaultAction = QStringLiteral("default");

}  // namespace

DesktopNotifier::DesktopNotifier(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), bus_(bus) {
  bus_.connect(QString::fromLatin1(kService), QString::fromLatin1(kPath),
               QString::fromLatin1(kInterface), QStringLiteral("ActionInvoked"), this,
               SLOT(OnActionInvoked(uint, QString)));
  if (QSystemTrayIcon::isSystemTrayAvailable()) {
    tray_ = new QSystemTrayIcon(QApplication::windowIcon(), this);
    tray_->setObjectName(QStringLiteral("TrayIcon"));
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
      if (r == QSystemTrayIcon::Trigger && activated) activated();
    });
    tray_->setToolTip(ProductTitle());
    tray_->show();
  }
}

DesktopNotifier::~DesktopNotifier() {
  if (store_) store_->Unwatch(this);
}

void DesktopNotifier::Notify(const QString& summary, const QString& body) {
  QDBusMessage call =
      QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                     QString::fromLatin1(kInterface), QStringLiteral("Notify"));
  QVariantMap hints;
  hints.insert(QStringLiteral("desktop-entry"), QStringLiteral(SORAMI_APP_ID));
  hints.insert(QStringLiteral("category"), QStringLiteral("im.received"));
  call << ProductTitle() << last_id_ << QStringLiteral(SORAMI_APP_ID) << summary << body
       << QStringList{kDefaultAction, QStringLiteral("開く")} << hints << int(-1);
  // Not waited for: the window stays responsive whatever the service does.
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
    const QDBusPendingReply<uint> reply = *w;
    if (reply.isValid()) last_id_ = reply.value();
    w->deleteLater();
  });
}

void DesktopNotifier::WatchUnread(const TArMastd& store) {
  if (store_) store_->Unwatch(this);
  store_ = &store;
  store.Watch(this);
  Reset();
}

void DesktopNotifier::Appended(int32_t) { Reset(); }

void DesktopNotifier::Changed(int32_t, MastCol col, std::string_view) {
  if (col == MastCol::kReadDate || col == MastCol::kFolder) Reset();
}

// A fetch or a read of the store changes many records at once: one count after them all.
void DesktopNotifier::Reset() {
  if (recount_pending_) return;
  recount_pending_ = true;
  QTimer::singleShot(0, this, [this] { Recount(); });
}

void DesktopNotifier::Recount() {
  recount_pending_ = false;
  unread_ = UnreadInInbox(*store_);
  if (tray_) tray_->setToolTip(ProductTitle() + QStringLiteral("\n未読 %1 件").arg(unread_));
}

void DesktopNotifier::OnActionInvoked(uint id, const QString& action) {
  // Other programs' notifications use the same signal; only ours, and only its default action.
  if (id == 0 || id != last_id_ || action != kDefaultAction) return;
  if (activated) activated();
}

}  // namespace sorami
