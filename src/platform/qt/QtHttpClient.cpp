#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include "platform/Codepage.h"
#include "platform/HttpClient.h"

namespace sorami {

namespace {

class QtHttpClient : public HttpClient {
 public:
  explicit QtHttpClient(HttpTimeouts t) : timeouts_(t) {}

  HttpResponse Send(const HttpRequest& request) override {
    return Run(request, nullptr, timeouts_.max_answer_bytes);
  }

  HttpResponse SendToSink(const HttpRequest& request, const HttpSink& sink,
                          long long max_bytes) override {
    return Run(request, &sink, max_bytes);
  }

 private:
  static bool SuccessStatus(int status) { return status >= 200 && status <= 299; }

  // One exchange. With a sink, the body of a success answer is handed on chunk by chunk as it
  // arrives (the reply buffers at most kChunk), and the body of any other answer is dropped.
  HttpResponse Run(const HttpRequest& request, const HttpSink* sink, long long max_bytes) {
    HttpResponse out;
    const QUrl url(QString::fromLatin1(request.url.data(), static_cast<int>(request.url.size())));
    if (!url.isValid() || url.host().isEmpty()) {
      out.error = "invalid URL";
      return out;
    }
    // A new manager per request: no connection, cookie or cache survives a call.
    QNetworkAccessManager manager;
    manager.setProxy(QNetworkProxy::NoProxy);
    QNetworkRequest req(url);
    req.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                     QNetworkRequest::ManualRedirectPolicy);
    req.setRawHeader("Accept", "text/html, */*");
    req.setRawHeader("User-Agent", "Mozilla/3.0 (compatible; Indy Library)");
    // The answers are text of a few megabytes at most on fast links: compressing them (Qt
    // offers Brotli first) costs the service far more time than the transfer it saves.
    req.setRawHeader("Accept-Encoding", "identity");
    if (!request.content_type.empty()) {
      req.setHeader(QNetworkRequest::ContentTypeHeader,
                    QByteArray::fromStdString(request.content_type));
    }
    for (const auto& [name, value] : request.headers) {
      req.setRawHeader(QByteArray::fromStdString(name), QByteArray::fromStdString(value));
    }
    const QByteArray body = QByteArray::fromStdString(request.body);
    QNetworkReply* reply =
        request.method == "GET"
            ? manager.get(req)
            : manager.sendCustomRequest(req, QByteArray::fromStdString(request.method), body);
    constexpr qint64 kChunk = 256 * 1024;
    if (sink) reply->setReadBufferSize(kChunk);

    QEventLoop loop;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QTimer whole;
    whole.setSingleShot(true);
    bool connected = false;
    bool timed_out = false;
    bool too_large = false;
    bool sink_refused = false;
    QObject::connect(&whole, &QTimer::timeout, [&] {
      timed_out = true;
      reply->abort();
    });
    auto restart = [&] { watchdog.start(connected ? timeouts_.idle_ms : timeouts_.connect_ms); };
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
      timed_out = true;
      reply->abort();
    });
    auto progress = [&](qint64, qint64) {
      connected = true;
      restart();
    };
    bool request_sent = false;
    QObject::connect(reply, &QNetworkReply::uploadProgress, [&](qint64 sent, qint64 total) {
      if (total > 0 && sent >= total) request_sent = true;
      progress(sent, total);
    });
    QObject::connect(reply, &QNetworkReply::downloadProgress, [&](qint64 received, qint64 total) {
      progress(received, total);
      if (received > max_bytes || total > max_bytes) {
        too_large = true;
        reply->abort();
      }
    });
    QObject::connect(reply, &QNetworkReply::metaDataChanged, [&] {
      request_sent = true;  // an answer began: the server had the request
      progress(0, 0);
    });
    if (sink) {
      QObject::connect(reply, &QNetworkReply::readyRead, [&] {
        const QByteArray chunk = reply->readAll();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (!SuccessStatus(status) || too_large || sink_refused) return;  // never an error page
        if (!(*sink)(std::string_view(chunk.constData(), static_cast<size_t>(chunk.size())))) {
          sink_refused = true;
          reply->abort();
        }
      });
    }
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    restart();
    const int total_ms = request.total_ms < 0 ? timeouts_.total_ms : request.total_ms;
    if (total_ms > 0) whole.start(total_ms);
    if (!reply->isFinished()) loop.exec();  // windows keep running while we wait

    out.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    out.request_sent = request_sent || out.status != 0;
    if (sink) {
      const QByteArray rest = reply->readAll();
      if (!rest.isEmpty() && SuccessStatus(out.status) && !too_large && !sink_refused &&
          !(*sink)(std::string_view(rest.constData(), static_cast<size_t>(rest.size())))) {
        sink_refused = true;
      }
    } else {
      const QByteArray data = reply->readAll();
      out.body.assign(data.constData(), static_cast<size_t>(data.size()));
    }
    if (too_large) {
      out.body.clear();
      out.too_large = true;
      out.error = "answer larger than " + std::to_string(max_bytes) + " bytes";
    } else if (timed_out) {
      out.error = "time-out";
    } else if (sink_refused) {
      out.error = "not written";
    } else if (reply->error() != QNetworkReply::NoError) {
      // Qt's text is UTF-16; the log and every other system text are code page 932.
      const QString e = reply->errorString();
      out.error =
          Utf16ToCp932(std::u16string_view(reinterpret_cast<const char16_t*>(e.utf16()), e.size()));
    } else if (!SuccessStatus(out.status)) {
      out.error = "HTTP status " + std::to_string(out.status);
    } else {
      out.ok = true;
    }
    delete reply;
    return out;
  }

  HttpTimeouts timeouts_;
};

}  // namespace

std::unique_ptr<HttpClient> MakeQtHttpClient(HttpTimeouts timeouts) {
  return std::make_unique<QtHttpClient>(timeouts);
}

}  // namespace sorami
