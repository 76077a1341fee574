// The HTTP client under the site requests: one POST (or GET) at a time, blocking the caller
// while the user interface keeps running. Every request has time-outs: connecting, waiting
// for data, and the whole request; and a limit on the answer's size. A closed connection ends
// the wait.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sorami {

struct HttpRequest {
  std::string method = "POST";
  std::string url;
  std::string content_type;  // empty for a request without a body
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;
  int total_ms = -1;  // the whole request's limit: -1 the client's, 0 none (idle time-out only)
};

struct HttpResponse {
  bool ok = false;  // the exchange completed with a success status
  int status = 0;   // HTTP status, 0 when there was no answer
  std::string body;
  std::string error;       // what went wrong, for the log (code page 932)
  bool too_large = false;  // stopped because the answer passed the size limit
  // The whole request went out (or an answer began): a failure after this point may come after
  // the server acted on it, so the request must not be taken as never made.
  bool request_sent = false;
};

struct HttpTimeouts {
  int connect_ms = 15000;  // to establish the connection
  int idle_ms = 60000;     // without any data arriving
  // Bounds on the whole request, so a server that trickles or floods cannot hold the one
  // request that may run, or the memory, without end.
  int total_ms = 5 * 60 * 1000;
  long long max_answer_bytes = 64LL * 1024 * 1024;
};

// Takes the bytes of an answer as they arrive; false stops the transfer.
using HttpSink = std::function<bool(std::string_view chunk)>;

class HttpClient {
 public:
  virtual ~HttpClient() = default;
  virtual HttpResponse Send(const HttpRequest& request) = 0;
  // Like Send, but the answer's body goes to the sink as it arrives instead of into the
  // response, so a large download needs no more memory than a chunk. Only a success status
  // reaches the sink. An answer longer than max_bytes stops with an error. This default is for
  // clients without streaming: it holds the whole answer before handing it on.
  virtual HttpResponse SendToSink(const HttpRequest& request, const HttpSink& sink,
                                  long long max_bytes) {
    HttpResponse r = Send(request);
    if (!r.ok) return r;
    if (static_cast<long long>(r.body.size()) > max_bytes) {
      r.ok = false;
      r.too_large = true;
      r.error = "answer larger than " + std::to_string(max_bytes) + " bytes";
    } else if (!sink(r.body)) {
      r.ok = false;
      r.error = "not written";
    }
    r.body.clear();
    return r;
  }
};

// QtNetwork, waiting in a local event loop so windows repaint and timers tick.
std::unique_ptr<HttpClient> MakeQtHttpClient(HttpTimeouts timeouts = {});

}  // namespace sorami
