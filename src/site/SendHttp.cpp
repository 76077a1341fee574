#include "site/SendHttp.h"

#include <random>

#include "platform/AtomicFile.h"
#include "platform/Codepage.h"
#include "shell/MbText.h"
#include "site/SiteWire.h"

namespace sorami {

namespace {

bool ShowsProgress(std::string_view kind) {
  return kind == "GET" || kind == "GETDEL" || kind == "GETHOST" || kind == "SENDSMTP" ||
         kind == "SENDWIN";
}

std::string MakeBoundary() {
  std::random_device rd;
  std::string b = "--------sorami";
  static constexpr char kDigits[] = "0123456789abcdef";
  for (int i = 0; i < 24; ++i) b += kDigits[rd() % 16];
  return b;
}

// Hides the progress window however the request ends.
class ProgressShown {
 public:
  ProgressShown(AppState& st, bool show) : st_(st), shown_(show && st.progress) {
    if (shown_) st_.progress->Show(Utf8ToCp932("実行中　しばらくお待ちください"));
  }
  ~ProgressShown() {
    if (shown_) st_.progress->Hide();
  }

 private:
  AppState& st_;
  bool shown_;
};

}  // namespace

std::string BusyMessage() { return Utf8ToCp932("他の通信が終わるまでお待ちください"); }

bool SendHTTP(AppState& st, std::string_view kind, std::string_view host,
              const std::vector<std::string>& fields, std::string& value, std::string& msg) {
  st.log.Log(".SendHTTP " + std::string(kind) + " " + std::string(host));
  if (host.empty()) {
    msg = Utf8ToCp932("HOST未設定");
    st.log.Log(msg);
    return false;
  }
  const bool multipart = kind == "SENDWIN" && !st.send_attachments.empty();
  if (multipart) st.log.Log(Utf8ToCp932("添付ファイル有り"));
  HttpRequest req;
  req.url = SiteUrl(kind, host);
  st.log.Log("url:" + req.url);
  ProgressShown progress(st, ShowsProgress(kind));

  if (multipart) {
    for (const std::string& line : fields) {
      std::string v = line;
      std::string name;
      SplitToken("=", v, name);
      st.log.Log("val:" + name + " str:" + v.substr(0, 40));
    }
    std::vector<MultipartFile> files;
    for (const std::string& path : st.send_attachments) {
      MultipartFile f{path, {}};
      if (!ReadWholeFile(FsPath(path), f.bytes)) {
        st.log.Log("errorrr");  // what could be read is sent
        continue;
      }
      files.push_back(std::move(f));
    }
    const std::string boundary = MakeBoundary();
    req.content_type = "multipart/form-data; boundary=" + boundary;
    req.body = MultipartBody(fields, files, boundary);
  } else {
    for (const std::string& line : fields) st.log.Log(line);
    req.content_type = "application/x-www-form-urlencoded";
    req.body = UrlEncodedBody(fields);
  }

  st.log.Log("Http2 Post");
  const HttpResponse resp = st.http ? st.http->Send(req) : HttpResponse{};
  bool result = false;
  if (!resp.ok) {
    msg = Utf8ToCp932("接続エラー");
    value = msg;
    st.log.Log(msg + (resp.error.empty() ? "" : " (" + resp.error + ")"));
    st.aclog.AddLogText(msg);
  } else {
    st.log.Log(resp.body.substr(0, 40));
    if (kind == "SENDSMTP") {
      const size_t at = resp.body.find(kOkPgm);
      if (at != std::string::npos) {
        st.log.Log("OK");
        value = resp.body.substr(0, at);
        msg = resp.body.substr(at + kOkPgm.size());
      }
    } else {
      result = GetResult(resp.body, value, msg);
      st.log.Log("msg:" + msg);
      st.log.Log("value:" + value);
      if (!result) st.aclog.AddLogText(value);
    }
  }
  st.log.Log("end(SendHTTP)");
  return result;
}

}  // namespace sorami
