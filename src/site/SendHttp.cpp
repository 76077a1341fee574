#include "site/SendHttp.h"

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

std::string BusyMessage() { return "他の通信が終わるまでお待ちください"_cp932; }

bool SendHTTP(SiteSession& ss, SiteRequest kind, std::string_view host,
              const std::vector<std::string>& fields, std::string& value, std::string& msg) {
  ss.log.Log(".SendHTTP " + std::string(SiteRequestName(kind)) + " " + std::string(host));
  if (host.empty()) {
    msg = "HOST未設定"_cp932;
    ss.log.Log(msg);
    return false;
  }
  const bool multipart = kind == SiteRequest::kSendWin && !ss.send_attachments.empty();
  if (multipart) ss.log.Log("添付ファイル有り"_cp932);
  HttpRequest req;
  req.url = SiteUrl(kind, host);
  ss.log.Log("url:" + req.url);
  ProgressShown progress(ss, ShowsProgress(kind));

  if (multipart) {
    for (const std::string& line : fields) {
      std::string v = line;
      std::string name;
      SplitToken("=", v, name);
      ss.log.Log("val:" + name + " str:" + v.substr(0, 40));
    }
    std::vector<MultipartFile> files;
    for (const std::string& path : ss.send_attachments) {
      MultipartFile f{path, {}};
      if (!ReadWholeFile(FsPath(path), f.bytes)) {
        ss.log.Log("errorrr");  // what could be read is sent
        continue;
      }
      files.push_back(std::move(f));
    }
    const std::string boundary = MakeBoundary();
    req.content_type = "multipart/form-data; boundary=" + boundary;
    req.body = MultipartBody(fields, files, boundary);
  } else {
    for (const std::string& line : fields) ss.log.Log(line);
    req.content_type = "application/x-www-form-urlencoded";
    req.body = UrlEncodedBody(fields);
  }

  ss.log.Log("Http2 Post");
  const HttpResponse resp = ss.http ? ss.http->Send(req) : HttpResponse{};
  bool result = false;
  if (!resp.ok) {
    msg = "接続エラー"_cp932;
    value = msg;
    ss.log.Log(msg + (resp.error.empty() ? "" : " (" + resp.error + ")"));
    ss.aclog.AddLogText(msg);
  } else {
    ss.log.Log(resp.body.substr(0, 40));
    if (kind == SiteRequest::kSendSmtp) {
      const size_t at = resp.body.find(kOkPgm);
      if (at != std::string::npos) {
        ss.log.Log("OK");
        value = resp.body.substr(0, at);
        msg = resp.body.substr(at + kOkPgm.size());
      }
    } else {
      result = GetResult(resp.body, value, msg);
      ss.log.Log("msg:" + msg);
      ss.log.Log("value:" + value);
      if (!result) ss.aclog.AddLogText(value);
    }
  }
  ss.log.Log("end(SendHTTP)");
  return result;
}

}  // namespace sorami
