// The desktop's keyring through QtKeychain. QtKeychain's jobs answer through the event loop;
// each call here waits for its job in a local loop that takes no user input, so no window can
// start another save or read while one is under way, and the windows are still painted.
#include <qt6keychain/keychain.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QEventLoop>
#include <QString>
#include <QTimer>

#include "platform/Codepage.h"
#include "platform/PasswordVault.h"

namespace sorami {

namespace {

// A locked keyring asks the user for its password, so the wait allows for a person typing.
constexpr int kAnswerLimitMs = 120 * 1000;

// The Unicode text of a code page 932 text, when it converts back to the same bytes.
bool ToKeyringText(const std::string& text, QString& out) {
  const std::string utf8 = Cp932ToUtf8(text);
  if (Utf8ToCp932(utf8) != text) return false;
  out = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  return true;
}

std::string FromKeyringText(const QString& text) {
  return Utf8ToCp932(text.toUtf8().toStdString());
}

struct JobEnd {
  bool done = false;
  QKeychain::Error error = QKeychain::NoError;
  std::string message;  // the keyring's own words
  QString text;         // a read's password
};

// Starts the job and waits for its end. The job deletes itself once finished, also when the
// wait gave up on it first (its late answer then reaches no one).
JobEnd Run(QKeychain::Job* job) {
  JobEnd end;
  QEventLoop loop;
  QObject::connect(job, &QKeychain::Job::finished, &loop, [&end, &loop](QKeychain::Job* j) {
    end.done = true;
    end.error = j->error();
    end.message = j->errorString().toStdString();
    if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(j)) end.text = read->textData();
    loop.quit();
  });
  QTimer::singleShot(kAnswerLimitMs, &loop, &QEventLoop::quit);
  job->setAutoDelete(true);
  job->start();
  if (!end.done) loop.exec(QEventLoop::ExcludeUserInputEvents);
  if (!end.done) {
    end.error = QKeychain::OtherError;
    end.message = "the keyring did not answer";
  }
  return end;
}

class DesktopKeyring final : public PasswordVault {
 public:
  explicit DesktopKeyring(QString service) : service_(std::move(service)) {}

  bool Keeps() const override { return true; }

  VaultRead Read(const std::string& key, std::string& password, std::string& error) override {
    QString k;
    if (!ToKeyringText(key, k)) {
      error = "the key is not Unicode text";
      return VaultRead::kFailed;
    }
    auto* job = new QKeychain::ReadPasswordJob(service_);
    job->setKey(k);
    const JobEnd end = Run(job);
    if (end.error == QKeychain::EntryNotFound) return VaultRead::kMissing;
    if (end.error != QKeychain::NoError) {
      error = end.message;
      return VaultRead::kFailed;
    }
    password = FromKeyringText(end.text);
    return VaultRead::kFound;
  }

  bool Write(const std::string& key, const std::string& password, std::string& error) override {
    QString k, p;
    if (!ToKeyringText(key, k) || !ToKeyringText(password, p)) {
      error = "the text does not convert to Unicode and back unchanged";
      return false;
    }
    auto* job = new QKeychain::WritePasswordJob(service_);
    job->setKey(k);
    job->setTextData(p);
    const JobEnd end = Run(job);
    if (end.error != QKeychain::NoError) error = end.message;
    return end.error == QKeychain::NoError;
  }

  bool Remove(const std::string& key, std::string& error) override {
    QString k;
    if (!ToKeyringText(key, k)) return true;  // such a key was never written
    auto* job = new QKeychain::DeletePasswordJob(service_);
    job->setKey(k);
    const JobEnd end = Run(job);
    if (end.error == QKeychain::NoError || end.error == QKeychain::EntryNotFound) return true;
    error = end.message;
    return false;
  }

 private:
  QString service_;
};

}  // namespace

std::unique_ptr<PasswordVault> OpenDesktopKeyring(const std::string& service, std::string& reason) {
  const QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    reason = "no session D-Bus: " + bus.lastError().message().toStdString();
    return nullptr;
  }
  const QDBusConnectionInterface* names = bus.interface();
  if (names == nullptr ||
      !names->isServiceRegistered(QStringLiteral("org.freedesktop.secrets")).value()) {
    reason = "no Secret Service running on the session D-Bus";
    return nullptr;
  }
  return std::make_unique<DesktopKeyring>(QString::fromStdString(service));
}

}  // namespace sorami
