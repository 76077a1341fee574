#include <QEventLoop>
#include <QNetworkProxy>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#include <QSslSocket>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <functional>

#include "platform/Codepage.h"
#include "platform/LineSocket.h"

namespace sorami {

namespace {

// Qt's texts are UTF-16; every system text is code page 932.
std::string SystemText(const QString& s) {
  return Utf16ToCp932(std::u16string_view(reinterpret_cast<const char16_t*>(s.utf16()),
                                          static_cast<size_t>(s.size())));
}

QString QtText(const std::string& cp932) {
  const std::u16string text = Cp932ToUtf16(cp932);
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

// What the user reads for a failed connection: which failure, then Qt's own words.
std::string FailureText(QAbstractSocket::SocketError error, const QString& detail) {
  std::string head;
  switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
      head = "サーバーが接続を拒否しました"_cp932;
      break;
    case QAbstractSocket::HostNotFoundError:
      head = "ホストが見つかりません"_cp932;
      break;
    case QAbstractSocket::RemoteHostClosedError:
      head = "サーバーが接続を切りました"_cp932;
      break;
    case QAbstractSocket::SslHandshakeFailedError:
      head = "TLS の接続に失敗しました"_cp932;
      break;
    case QAbstractSocket::SocketTimeoutError:
      head = "タイムアウトしました"_cp932;
      break;
    default:
      head = "通信エラー"_cp932;
      break;
  }
  return head + " (" + SystemText(detail) + ")";
}

class QtLineSocket : public LineSocket {
 public:
  explicit QtLineSocket(LineSocketTimeouts t) : timeouts_(t) {
    socket_.setProxy(QNetworkProxy::NoProxy);
    QObject::connect(&socket_, &QAbstractSocket::errorOccurred,
                     [this](QAbstractSocket::SocketError e) {
                       if (failure_.empty()) failure_ = FailureText(e, socket_.errorString());
                     });
    QObject::connect(&socket_, &QSslSocket::sslErrors, [this](const QList<QSslError>& errors) {
      // The handshake is abandoned after this signal; keep the reasons, not Qt's summary.
      QString text;
      for (const QSslError& e : errors) text += (text.isEmpty() ? "" : "; ") + e.errorString();
      failure_ = "サーバーの証明書を信頼できません"_cp932 + " (" + SystemText(text) + ")";
    });
  }
  ~QtLineSocket() override { socket_.abort(); }

  void SetTimeouts(LineSocketTimeouts t) override { timeouts_ = t; }

  void SetDeadline(int ms) override {
    has_deadline_ = ms > 0;
    deadline_ = Clock::now() + std::chrono::milliseconds(ms);
  }

  bool SetExtraCaFile(const std::string& path, std::string& error) override {
    QList<QSslCertificate> extra;
    if (!path.empty()) {
      extra = QSslCertificate::fromPath(QtText(path), QSsl::Pem);
      if (extra.isEmpty()) {
        error = "証明書ファイルを読めません : "_cp932 + path;
        return false;
      }
    }
    extra_ca_ = std::move(extra);
    ca_chosen_ = true;
    return true;
  }

  bool Connect(const std::string& host, int port, SocketSecurity security,
               std::string& error) override {
    Close();
    has_deadline_ = false;
    if (port <= 0 || port > 65535) {
      error = "ポート番号が正しくありません : "_cp932 + std::to_string(port);
      return false;
    }
    if (security == SocketSecurity::kTls && !QSslSocket::supportsSsl()) {
      error = "この環境では TLS を使えません"_cp932;
      return false;
    }
    const QString qhost = QtText(host);
    const auto qport = static_cast<quint16>(port);
    if (security == SocketSecurity::kTls) {
      TrustChosenCas();
      socket_.connectToHostEncrypted(qhost, qport);
    } else {
      socket_.connectToHost(qhost, qport);
    }
    const bool ok = Wait(
        [&] {
          return security == SocketSecurity::kTls
                     ? socket_.isEncrypted()
                     : socket_.state() == QAbstractSocket::ConnectedState;
        },
        timeouts_.connect_ms, false, "タイムアウト : サーバーに接続できません"_cp932, error);
    if (!ok) Close();
    return ok;
  }

  bool StartTls(std::string& error) override {
    if (!IsOpen(error)) return false;
    if (socket_.isEncrypted()) {
      error = "接続はすでに TLS です"_cp932;
      return false;
    }
    Drain();
    // Whatever the server sent before the negotiation would pass for protected data after it.
    if (read_pos_ < buffer_.size()) {
      error = "サーバーが TLS の開始前にデータを送りました"_cp932;
      Close();
      return false;
    }
    if (!QSslSocket::supportsSsl()) {
      error = "この環境では TLS を使えません"_cp932;
      return false;
    }
    TrustChosenCas();
    socket_.startClientEncryption();
    const bool ok = Wait([&] { return socket_.isEncrypted(); }, timeouts_.connect_ms, false,
                         "タイムアウト : TLS の接続が終わりません"_cp932, error);
    if (!ok) Close();
    return ok;
  }

  bool ReadLine(std::string& line, std::string& error) override {
    line.clear();
    size_t end = std::string::npos;
    bool too_long = false;
    auto complete = [&] {
      Drain();
      end = buffer_.find('\n', std::max(read_pos_, scanned_));
      if (end != std::string::npos) return true;
      scanned_ = buffer_.size();  // those bytes hold no line end: never searched again
      too_long = buffer_.size() - read_pos_ > kMaxLineBytes;
      return too_long;
    };
    if (!complete()) {
      if (!IsOpen(error)) return false;
      if (!Wait(complete, timeouts_.reply_ms, true,
                "タイムアウト : サーバーから応答がありません"_cp932, error)) {
        return false;
      }
    }
    if (too_long) {
      Close();
      error = "サーバーから届いた行が長すぎます ("_cp932 + std::to_string(kMaxLineBytes) +
              " バイトを超えました)"_cp932;
      return false;
    }
    size_t stop = end;
    if (stop > read_pos_ && buffer_[stop - 1] == '\r') --stop;
    line.assign(buffer_, read_pos_, stop - read_pos_);
    read_pos_ = end + 1;
    if (read_pos_ >= buffer_.size() / 2) {  // drop what was read, now and then, not every line
      buffer_.erase(0, read_pos_);
      read_pos_ = 0;
    }
    scanned_ = read_pos_;
    return true;
  }

  bool ReadBytes(size_t count, std::string& bytes, std::string& error) override {
    auto complete = [&] {
      Drain();
      return buffer_.size() - read_pos_ >= count;
    };
    if (!complete()) {
      if (!IsOpen(error)) return false;
      if (!Wait(complete, timeouts_.reply_ms, true,
                "タイムアウト : サーバーから応答がありません"_cp932, error)) {
        return false;
      }
    }
    bytes.append(buffer_, read_pos_, count);
    read_pos_ += count;
    if (read_pos_ >= buffer_.size() / 2) {
      buffer_.erase(0, read_pos_);
      read_pos_ = 0;
    }
    scanned_ = read_pos_;
    return true;
  }

  bool Write(std::string_view bytes, std::string& error) override {
    if (!IsOpen(error)) return false;
    const auto size = static_cast<qint64>(bytes.size());
    if (socket_.write(bytes.data(), size) != size) {
      error = failure_.empty() ? SystemText(socket_.errorString()) : failure_;
      return false;
    }
    return Wait([&] { return socket_.bytesToWrite() == 0 && socket_.encryptedBytesToWrite() == 0; },
                timeouts_.reply_ms, true, "タイムアウト : サーバーへ送れません"_cp932, error);
  }

  void Close() override {
    socket_.abort();
    buffer_.clear();
    read_pos_ = 0;
    scanned_ = 0;
    failure_.clear();
  }

 private:
  // The system's authorities, read once for the whole run (some hundred certificates: reading
  // them for every connection cost more than a whole plain mail exchange).
  static const QList<QSslCertificate>& SystemCas() {
    static const QList<QSslCertificate> system = QSslConfiguration::systemCaCertificates();
    return system;
  }

  // Before a TLS negotiation: the authorities SetExtraCaFile chose, when it was called.
  void TrustChosenCas() {
    if (!ca_chosen_) return;
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setCaCertificates(SystemCas() + extra_ca_);
    socket_.setSslConfiguration(config);
  }

  // Moves what arrived into our own buffer, where a closed socket cannot take it away.
  void Drain() {
    if (socket_.bytesAvailable() <= 0) return;
    const QByteArray data = socket_.readAll();
    buffer_.append(data.constData(), static_cast<size_t>(data.size()));
  }

  bool IsOpen(std::string& error) const {
    if (socket_.state() == QAbstractSocket::ConnectedState) return true;
    error = failure_.empty() ? "接続が切れています"_cp932 : failure_;
    return false;
  }

  // Runs a local event loop until `done` holds, the connection fails or ends, `timeout_ms`
  // passes (counted from the last bytes in or out when `progress_restarts`) or the deadline
  // set by SetDeadline() comes.
  bool Wait(const std::function<bool()>& done, int timeout_ms, bool progress_restarts,
            const std::string& timeout_text, std::string& error) {
    auto ended = [&] { return socket_.state() == QAbstractSocket::UnconnectedState; };
    if (!done() && !ended()) {
      QEventLoop loop;
      QTimer watchdog, limit;
      watchdog.setSingleShot(true);
      limit.setSingleShot(true);
      bool timed_out = false, past_deadline = false;
      QObject::connect(&watchdog, &QTimer::timeout, &loop, [&] {
        timed_out = true;
        loop.quit();
      });
      QObject::connect(&limit, &QTimer::timeout, &loop, [&] {
        past_deadline = true;
        loop.quit();
      });
      auto check = [&] {
        if (done() || ended()) loop.quit();
      };
      auto progress = [&] {
        if (progress_restarts) watchdog.start(timeout_ms);
        check();
      };
      QObject::connect(&socket_, &QIODevice::readyRead, &loop, progress);
      QObject::connect(&socket_, &QIODevice::bytesWritten, &loop, progress);
      QObject::connect(&socket_, &QSslSocket::encryptedBytesWritten, &loop, progress);
      QObject::connect(&socket_, &QAbstractSocket::stateChanged, &loop, check);
      QObject::connect(&socket_, &QSslSocket::encrypted, &loop, check);
      QObject::connect(&socket_, &QAbstractSocket::errorOccurred, &loop, check);
      watchdog.start(timeout_ms);
      if (has_deadline_) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now());
        limit.start(static_cast<int>(std::max<long long>(0, left.count())));
      }
      loop.exec();  // windows keep running while we wait
      if ((timed_out || past_deadline) && !done()) {
        error =
            past_deadline ? "タイムアウト : 受信に時間がかかりすぎています"_cp932 : timeout_text;
        return false;
      }
    }
    if (done()) return true;
    error = failure_.empty() ? "サーバーが接続を切りました"_cp932 : failure_;
    return false;
  }

  using Clock = std::chrono::steady_clock;
  LineSocketTimeouts timeouts_;
  QSslSocket socket_;
  std::string buffer_;  // received bytes; those before read_pos_ are already returned
  size_t read_pos_ = 0;
  size_t scanned_ = 0;  // bytes from read_pos_ up to here hold no line end
  bool has_deadline_ = false;
  Clock::time_point deadline_;
  std::string failure_;     // why the connection failed, from Qt
  bool ca_chosen_ = false;  // SetExtraCaFile was called: its choice applies to TLS
  QList<QSslCertificate> extra_ca_;
};

}  // namespace

std::unique_ptr<LineSocket> MakeQtLineSocket(LineSocketTimeouts timeouts) {
  return std::make_unique<QtLineSocket>(timeouts);
}

}  // namespace sorami
