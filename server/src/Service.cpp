#include "Service.h"

#include <cerrno>
#include <cstring>
#include <optional>

#include "RequestBody.h"
#include "RequestLog.h"
#include "Text.h"

namespace sorami::site {
namespace {

constexpr const char* kAnswerType = "text/plain; charset=Shift_JIS";

// The database connection of the request this thread answers, closed only once the answer was
// written: closing the last connection folds the write-ahead log back into the file, with
// syncs of its own, and the client need not wait for that. What the request changed was
// committed and synced before it answered. (An answer whose head could not be written leaves
// its connection to the thread's next request, which closes it first.)
thread_local std::optional<Db> answering;

Answer DispatchMessage(const Request& r) {
  const std::string& c = r.form.Get("COMMAND");
  if (r.form.Get("OPTION") == "AZUKARI") return Deposit(r);
  if (c == "GETHOST") return GetHost(r);
  if (c == "SITELIST") return SiteList(r);
  if (c == "CHECK") return Check(r);
  if (c == "GET") return Fetch(r, false);
  if (c == "GETDEL") return Fetch(r, true);
  if (c == "SENDWIN") return SendWin(r);
  if (c == "SENDSMTP") return SendSmtp(r);
  if (c == "FEEDBACK") return Feedback(r);
  if (c == "GETFEEDBACK") return GetFeedback(r);
  if (c.empty()) throw Refused(Sj("コマンドが指定されていません"));
  throw Refused(Sj("不明なコマンドです : ") + c);
}

Answer DispatchUpdate(const Request& r) {
  if (r.form.Get("COMMAND") == "GETDYN") return GetDyn(r);
  throw Refused(Sj("不明なコマンドです : ") + r.form.Get("COMMAND"));
}

Answer DispatchClaim(const Request& r) {
  if (r.form.Get("COMMAND") == "CLAIM") return Claim(r);
  throw Refused(Sj("不明なコマンドです : ") + r.form.Get("COMMAND"));
}

// Who the request is about, for the log: the member as the request names it.
std::string LogMember(const Form& f) {
  const std::string& c = f.Get("COMMAND");
  if (c == "GET" || c == "GETDEL") return f.Get("TONAME") + "%" + f.Get("TOSITE");
  if (c == "FEEDBACK") return f.Get("TONAME") + "%" + f.Get("TOUSER");
  if (c == "CHECK") return f.Get("FROMNAME") + "%" + f.Get("FROMUSER");
  if (!f.Get("FROMNAME").empty()) return f.Get("FROMNAME") + "%" + f.Get("FROMSITE");
  return "-";
}

std::string Outcome(const Answer& a) {
  return a.ok() ? "OK " + a.status.substr(kOkMark.size()) : "NG " + a.status;
}

std::string Program(const httplib::Request& req) {
  std::size_t slash = req.path.rfind('/');
  return slash == std::string::npos ? req.path : req.path.substr(slash + 1);
}

}  // namespace

std::string WithoutBrotli(std::string_view accept_encoding) {
  std::string out;
  size_t at = 0;
  while (at <= accept_encoding.size()) {
    size_t comma = accept_encoding.find(',', at);
    if (comma == std::string_view::npos) comma = accept_encoding.size();
    std::string_view item = accept_encoding.substr(at, comma - at);
    while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
    // httplib takes any "br" in the header for Brotli: such codings are left out whole.
    if (!item.empty() && item.find("br") == std::string_view::npos) {
      if (!out.empty()) out += ", ";
      out += item;
    }
    at = comma + 1;
  }
  return out.empty() ? "identity" : out;
}

Service::Service(Config config, const ConnectionLimits& limits)
    : config_(std::move(config)), http_(limits) {
  // httplib's default options set SO_REUSEPORT, with which a second server could bind the same
  // port and take half of the requests into another database. SO_REUSEADDR alone still lets a
  // restarted server bind while old connections linger, but not while another one listens.
  http_.set_socket_options([](socket_t sock) {
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  http_.set_payload_max_length(kMaxRequestBytes);
  // Answers go out plain or, when the client asks for it, gzip: never Brotli, whose
  // compression of a long fetch answer costs many times the answer's own work.
  http_.before_routing = [](const httplib::Request& req) {
    // httplib picks the coding from this header of the request it owns (a non-const object
    // handed on as const); only the codings offered change.
    auto& headers = const_cast<httplib::Headers&>(req.headers);
    const auto it = headers.find("Accept-Encoding");
    if (it != headers.end()) it->second = WithoutBrotli(it->second);
  };
  // Called once a request's answer was written.
  http_.set_logger([](const httplib::Request&, const httplib::Response&) { answering.reset(); });
  AddPostProgram("WbMessage.exe", DispatchMessage);
  AddPostProgram("WbUpdate.exe", DispatchUpdate);
  AddPostProgram("WbClaim.exe", DispatchClaim);
  AddAttachmentProgram();
  // Errors that httplib answers itself: oversized or unreadable requests, unknown paths.
  // An answer that already carries its text (a missing attachment) is left alone.
  http_.set_error_handler(
      httplib::Server::HandlerWithResponse([](const httplib::Request& req, httplib::Response& res) {
        if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
        std::string text = res.status == 413   ? Sj("要求が大きすぎます (上限 32 MiB)")
                           : res.status == 404 ? Sj("見つかりません")
                                               : Sj("要求の形式が正しくありません");
        res.set_content(Refusal("NG", text).Body(), kAnswerType);
        LogRequest(Program(req), "-", "-", "NG HTTP " + std::to_string(res.status) + " " + text);
        return httplib::Server::HandlerResponse::Handled;
      }));
}

void Service::AddPostProgram(const std::string& program, Answer (*dispatch)(const Request&)) {
  http_.Post("/bn/" + program,
             [this, program, dispatch](const httplib::Request& req, httplib::Response& res,
                                       const httplib::ContentReader& reader) {
               Body body = ReadBody(req, reader);
               body.form.peer = req.remote_addr;
               if (body.status != BodyStatus::kOk) {
                 // The error handler writes the answer and the log line.
                 // httplib may already have set the status (413 for a declared length over the
                 // limit).
                 if (res.status < 400)
                   res.status = body.status == BodyStatus::kTooLarge ? 413 : 400;
                 return;
               }
               Answer answer;
               std::string failure;  // what went wrong inside, for the log only
               try {
                 Db& db = answering.emplace(config_.dbPath);
                 answer = dispatch(Request{db, config_, body.form});
               } catch (const Refused& e) {
                 answer = Refusal("NG", e.message());
               } catch (const std::exception& e) {
                 answer = Refusal("NG", Sj("サーバー内部エラー"));
                 failure = std::string(" (") + e.what() + ")";
               }
               std::string command = body.form.Get("COMMAND");
               if (body.form.Get("OPTION") == "AZUKARI") command += "/AZUKARI";
               LogRequest(program, command, LogMember(body.form), Outcome(answer) + failure);
               // The answer's text is handed over, not copied: a fetch's can be megabytes.
               res.body = answer.Body();
               res.set_header("Content-Type", kAnswerType);
             });
}

void Service::AddAttachmentProgram() {
  http_.Get("/bn/WbTenpu.exe", [this](const httplib::Request& req, httplib::Response& res) {
    std::size_t q = req.target.find('?');
    std::optional<TenpuQuery> query =
        ParseTenpuQuery(q == std::string::npos ? "" : std::string_view(req.target).substr(q + 1));
    std::optional<std::string> data;
    std::string failure;
    try {
      Db db(config_.dbPath);
      if (query) data = Attachment(db, *query, config_.attachmentLifetime);
    } catch (const std::exception& e) {
      failure = std::string(" (") + e.what() + ")";
    }
    std::string member = query ? query->file + " " + query->user + " " + query->number : "-";
    if (!data) {
      std::string text = Sj("添付ファイルが見つかりません");
      res.status = 404;
      res.set_content(Refusal("NG", text).Body(), kAnswerType);
      LogRequest("WbTenpu.exe", "FILE", member, "NG " + text + failure);
      return;
    }
    LogRequest("WbTenpu.exe", "FILE", member, "OK " + std::to_string(data->size()) + " bytes");
    res.set_content(std::move(*data), "application/octet-stream");
  });
}

int Service::Bind(const std::string& host, int port, std::string& error) {
  errno = 0;
  int bound = port == 0 ? http_.bind_to_any_port(host) : http_.bind_to_port(host, port) ? port : -1;
  if (bound < 0) {
    error = errno == EADDRINUSE ? "the port is in use (is another server running on it?)"
            : errno != 0        ? std::strerror(errno)
                                : "no such address";
  }
  return bound;
}

void Service::SetBoundPort(int port) {
  const std::string suffix = ":0";
  std::string& p = config_.publicHost;
  if (p.size() > suffix.size() && p.compare(p.size() - suffix.size(), suffix.size(), suffix) == 0) {
    p = p.substr(0, p.size() - 1) + std::to_string(port);
  }
}

bool Service::Run() { return http_.listen_after_bind(); }

}  // namespace sorami::site
