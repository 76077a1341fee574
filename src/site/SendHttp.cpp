#include "site/SendHttp.h"

#include <cstring>
#include <fstream>
#include <random>

#include "base/MbText.h"
#include "platform/AtomicFile.h"
#include "platform/Codepage.h"
#include "site/SiteWire.h"

namespace sorami {

namespace {

bool ShowsProgress(SiteRequest kind) {
  return kind == SiteRequest::kGet || kind == SiteRequest::kGetDel ||
         kind == SiteRequest::kGetHost || kind == SiteRequest::kSendSmtp ||
         kind == SiteRequest::kSendWin;
}

std::string MakeBoundary() {
  std::random_device rd;
  std::string b = "--------sorami";
  static constexpr char kDigits[] = "0123456789abcdef";
  for (int i = 0; i < 24; ++i) b += kDigits[rd() % 16];
  return b;
}

}  // namespace

ProgressShown::ProgressShown(SiteSession& ss, bool show) : ss_(ss), shown_(show && ss.progress) {
  if (shown_) ss_.progress->Show("実行中　しばらくお待ちください"_cp932);
}

ProgressShown::~ProgressShown() {
  if (shown_) ss_.progress->Hide();
}

std::string TransportFailureText(SiteOutcome) { return "接続エラー"_cp932; }

std::string UnreadableAttachmentText(const std::filesystem::path& file) {
  return "添付ファイルを読めません : "_cp932 + PathText(file);
}

bool SendAttachmentsReadable(const std::vector<std::filesystem::path>& files, std::string& msg) {
  for (const std::filesystem::path& f : files) {
    std::error_code ec;
    std::ifstream in(f, std::ios::binary);
    if (!std::filesystem::is_regular_file(f, ec) || !in) {
      msg = UnreadableAttachmentText(f);
      return false;
    }
  }
  return true;
}

SiteOutcome TransportOutcome(const HttpResponse& resp) {
  if (resp.ok) return SiteOutcome::kOk;
  // An error status is the service's own refusal; a success status whose body did not come
  // whole is no answer.
  const bool error_status = resp.status != 0 && (resp.status < 200 || resp.status > 299);
  if (error_status && !resp.too_large) {
    return SiteOutcome::kRefused;
  }
  return resp.request_sent ? SiteOutcome::kNoAnswer : SiteOutcome::kUnreachable;
}

namespace {

// The text of an error status: the service's message (after the TAB of the body's first line,
// as in any answer), else the whole first line, else the status.
std::string StatusText(const HttpResponse& resp) {
  std::string_view rest = resp.body, line;
  CutLine(rest, line);
  const size_t tab = line.find('\t');
  if (tab != std::string_view::npos && !TrimBytes(line.substr(tab + 1)).empty()) {
    line = line.substr(tab + 1);
  }
  line = TrimBytes(line);
  return line.empty() ? "HTTP " + std::to_string(resp.status) : std::string(line);
}

void ReadAnswer(SiteSession& ss, SiteRequest kind, const std::string& body, SiteAnswer& a) {
  if (kind == SiteRequest::kSendSmtp) {
    // The mail route's answer: the value, "OK(PGM)", then the message.
    const size_t at = body.find(kOkPgm);
    if (at != std::string::npos) {
      ss.log.Log("OK");
      a.outcome = SiteOutcome::kOk;
      a.value = body.substr(0, at);
      a.msg = body.substr(at + kOkPgm.size());
      return;
    }
  }
  a.outcome = GetResult(body, a.value, a.msg) ? SiteOutcome::kOk : SiteOutcome::kRefused;
  ss.log.Log("msg:" + a.msg);
  ss.log.Log("value:", a.value);
  if (!a.ok()) ss.aclog.AddLogText(a.value);
}

// The status line of a spooled answer; the spool is left at the first value line. A refused
// answer's value (a short text) is read whole, for the account log.
void ReadSpooledStatus(SiteSession& ss, AnswerSpool& spool, SiteAnswer& a) {
  std::string status;
  bool had_cr = false;
  if (!spool.file.Rewind()) {
    a.outcome = SiteOutcome::kNoAnswer;
    a.msg = a.value = TransportFailureText(a.outcome);
    ss.log.Log(a.msg + " (spool file)");
    return;
  }
  const bool more = spool.file.NextLine(status, false, &had_cr);
  spool.lf_only = more && !had_cr;
  ss.log.Log(status.substr(0, 40));
  std::string ignored;
  a.outcome = GetResult(status, ignored, a.msg) ? SiteOutcome::kOk : SiteOutcome::kRefused;
  ss.log.Log("msg:" + a.msg);
  if (a.ok()) return;
  constexpr size_t kRefusalText = 64 * 1024;
  for (std::string line; a.value.size() < kRefusalText && spool.file.NextLine(line);) {
    a.value += line + "\r\n";
  }
  ss.aclog.AddLogText(a.value);
}

}  // namespace

SiteAnswer SendHTTP(SiteSession& ss, SiteRequest kind, std::string_view host,
                    const std::vector<std::string>& fields, AnswerSpool* spool) {
  ss.log.Log(".SendHTTP " + std::string(SiteRequestName(kind)) + " " + std::string(host));
  SiteAnswer answer;
  if (host.empty()) {
    answer.msg = "HOST未設定"_cp932;
    ss.log.Log(answer.msg);
    return answer;
  }
  const bool multipart = kind == SiteRequest::kSendWin && !ss.send_attachments.empty();
  if (multipart) ss.log.Log("添付ファイル有り"_cp932);
  HttpRequest req;
  req.url = SiteUrl(kind, host);
  ss.log.Log("url:" + req.url);
  ProgressShown progress(ss, ShowsProgress(kind));

  if (multipart) {
    for (const std::string& line : fields) {
      std::string v = FieldForLog(line);
      std::string name;
      SplitToken("=", v, name);
      ss.log.Log("val:" + name + " str:" + v.substr(0, 40));
    }
    std::vector<MultipartFile> files;
    for (const std::filesystem::path& path : ss.send_attachments) {
      MultipartFile f{SendFileName(path), {}};
      if (!ReadWholeFile(path, f.bytes)) {
        // Never send the message without one of its files: nothing goes out.
        answer.msg = UnreadableAttachmentText(path);
        ss.log.Log(answer.msg);
        ss.aclog.AddLogText(answer.msg);
        return answer;
      }
      files.push_back(std::move(f));
    }
    const std::string boundary = MakeBoundary();
    req.content_type = "multipart/form-data; boundary=" + boundary;
    req.body = MultipartBody(fields, files, boundary);
  } else {
    for (const std::string& line : fields) ss.log.Log(FieldForLog(line));
    req.content_type = "application/x-www-form-urlencoded";
    req.body = UrlEncodedBody(fields);
  }

  ss.log.Log("Http2 Post");
  HttpResponse resp;
  if (!ss.http) {
    resp.error = "no HTTP client";
  } else if (spool) {
    const bool created = spool->file.Create(ss.spool_dir);
    const int create_errno = errno;
    if (created) {
      resp = ss.http->SendToSink(
          req, [spool](std::string_view chunk) { return spool->file.Write(chunk); },
          spool->max_bytes > 0 ? spool->max_bytes : ss.max_fetch_answer_bytes);
    }
    if (!created || spool->file.error() != 0) {
      // The answer could not be kept (a full disk...): said as a failed save, with the reason.
      spool->write_failed = true;
      answer.outcome = created ? SiteOutcome::kNoAnswer : SiteOutcome::kUnreachable;
      answer.msg = "保存失敗 : "_cp932 +
                   strerrordesc_np(created ? spool->file.error() : create_errno) + " (" +
                   PathText(ss.spool_dir) + ")";
      answer.value = answer.msg;
      ss.log.Log(answer.msg);
      ss.aclog.AddLogText(answer.msg);
      return answer;
    }
  } else {
    resp = ss.http->Send(req);
  }
  answer.outcome = TransportOutcome(resp);
  if (answer.outcome == SiteOutcome::kOk && spool) {
    ReadSpooledStatus(ss, *spool, answer);
  } else if (answer.outcome == SiteOutcome::kOk) {
    ss.log.Log(resp.body.substr(0, 40));
    ReadAnswer(ss, kind, resp.body, answer);
  } else {
    answer.msg = answer.outcome == SiteOutcome::kRefused ? StatusText(resp)
                                                         : TransportFailureText(answer.outcome);
    answer.value = answer.msg;
    ss.log.Log(answer.msg + (resp.error.empty() ? "" : " (" + resp.error + ")"));
    ss.aclog.AddLogText(answer.msg);
  }
  ss.log.Log("end(SendHTTP)");
  return answer;
}

}  // namespace sorami
