#include "site/TenpuDownload.h"

#include <stdexcept>
#include <system_error>

#include "base/MbText.h"
#include "platform/AtomicFile.h"
#include "platform/Codepage.h"
#include "store/AttachNames.h"

namespace sorami {

namespace fs = std::filesystem;

namespace {

enum class Got { kSaved, kFailed };

// One file: the GET streamed into a temporary file beside `path`, renamed over it only when
// the whole answer came with a success status.
Got DownloadOne(SiteSession& ss, const std::string& url, const fs::path& path, std::string& msg) {
  AtomicFileWriter file;
  if (!file.Open(path)) {
    msg = "保存失敗 : "_cp932 + PathText(path);
    ss.log.Log(msg);
    return Got::kFailed;
  }
  HttpRequest req;
  req.method = "GET";
  req.url = url;
  req.total_ms = 0;  // a large file on a slow line takes what it takes; idle and size bound it
  const HttpResponse resp =
      ss.http ? ss.http->SendToSink(
                    req, [&file](std::string_view chunk) { return file.Write(chunk); },
                    ss.max_download_bytes)
              : HttpResponse{false, 0, "", "no HTTP client"};
  if (!resp.ok) {
    file.Abandon();
    if (resp.too_large) {
      constexpr long long kMb = 1024 * 1024;
      const long long limit = ss.max_download_bytes;
      msg = "添付ファイルが大きすぎます (上限 "_cp932 +
            (limit % kMb == 0 ? std::to_string(limit / kMb) + " MB)"
                              : std::to_string(limit) + " バイト)"_cp932);
    } else {
      msg = "接続エラー"_cp932;
    }
    ss.log.Log(msg + (resp.error.empty() ? "" : " (" + resp.error + ")"));
    return Got::kFailed;
  }
  ss.log.Log("HTTP Get OK");
  if (!file.Commit()) {
    msg = "保存失敗 : "_cp932 + PathText(path);
    ss.log.Log(msg);
    return Got::kFailed;
  }
  ss.log.Log("Save OK : " + PathText(path));
  return Got::kSaved;
}

}  // namespace

std::string EscapeHighBytes(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

namespace {

// The download of one file of a message: its name as the service gave it, the recipient's
// system user and the message's number on the service.
std::string TenpuUrl(const std::string& host, const std::string& name, const std::string& user,
                     const std::string& server_no) {
  return "http://" + host + "/bn/WbTenpu.exe?" +
         EscapeHighBytes("FILE=" + name + "&TOUSER=" + user + "&TONO=" + server_no);
}

}  // namespace

bool DownloadTenpu(SiteSession& ss, const fs::path& attach_dir, const std::string& host,
                   const std::string& user, const std::string& server_no, const std::string& files,
                   TenpuDownload& out, std::string& msg) {
  ss.log.Log("DownloadTenpu ");
  ss.log.Log("host:" + host + " user:" + user + " idno:" + server_no + " tenpu:" + files);
  out = TenpuDownload{};
  if (host.empty()) {
    msg = "HOST未設定"_cp932;
    ss.log.Log(msg);
    out.names = files;
    return false;
  }
  ss.log.Log(PathText(attach_dir));
  std::error_code ec;
  fs::create_directories(attach_dir, ec);
  std::string rest = files;
  std::string name;
  while (!rest.empty()) {
    SplitToken(",", rest, name);
    if (name.empty()) continue;
    std::string listed = name;  // what the record lists for this file
    try {
      const fs::path path = GetUniqName(attach_dir, SafeAttachmentName(name));
      if (path.empty()) throw std::runtime_error("no free name");
      ss.log.Log("local:" + PathText(path));
      const std::string url = TenpuUrl(host, name, user, server_no);
      ss.log.Log("url:" + url);
      if (DownloadOne(ss, url, path, msg) == Got::kSaved) {
        listed = PathText(path.filename());
        out.last_path = PathText(path);
        ++out.saved;
      } else {
        ++out.failed;
      }
    } catch (...) {
      ss.log.Log("ERROR : " + name);
      ++out.failed;
    }
    out.names += (out.names.empty() ? "" : ",") + listed;
  }
  ss.log.Log("end(Download Tenpu)");
  return out.failed == 0;
}

std::string ReserveTenpu(const fs::path& attach_dir, TenpuWaitList& wait, const std::string& host,
                         const std::string& user, const std::string& server_no,
                         const std::string& files) {
  std::string listed, rest = files, name;
  while (!rest.empty()) {
    SplitToken(",", rest, name);
    if (name.empty()) continue;
    const fs::path path = GetUniqName(attach_dir, SafeAttachmentName(name), std::time(nullptr),
                                      [&wait](const std::string& n) { return wait.Reserved(n); });
    // Without a free name the record keeps the service's name, made safe: never a path.
    const std::string local = path.empty() ? SafeAttachmentName(name) : PathText(path.filename());
    if (!path.empty()) wait.Add({host, user, server_no, name, local});
    listed += (listed.empty() ? "" : ",") + local;
  }
  return listed;
}

bool WaitsForRecord(const TArMastd& store, int32_t row, const WaitingTenpu& file) {
  if (store.Get(row, MastCol::kServerNo) != file.server_no ||
      store.Get(row, MastCol::kRecipientUser) != file.user) {
    return false;
  }
  std::string rest(store.Get(row, MastCol::kAttachments)), name;
  while (!rest.empty()) {
    SplitToken(",", rest, name);
    if (name == file.local) return true;
  }
  return false;
}

WaitingFetch DownloadWaiting(SiteSession& ss, const fs::path& attach_dir, TenpuWaitList& wait,
                             const TArMastd& store,
                             const std::function<bool(const WaitingTenpu&)>& only) {
  WaitingFetch out;
  const std::vector<WaitingTenpu> files = wait.entries();  // a copy: the list changes below
  std::error_code ec;
  fs::create_directories(attach_dir, ec);
  for (const WaitingTenpu& f : files) {
    if (only && !only(f)) continue;
    bool has_record = false;
    for (int32_t r = 0; r < store.CtMaster() && !has_record; ++r) {
      has_record = WaitsForRecord(store, r, f);
    }
    const fs::path path = attach_dir / FsPath(f.local);
    std::string msg;
    if (!has_record) {
      ss.log.Log("no record : " + f.local);  // the message was deleted, or never saved
    } else if (PathExists(path)) {
      ss.log.Log("present : " + f.local);
    } else {
      const std::string url = TenpuUrl(f.host, f.name, f.user, f.server_no);
      ss.log.Log("url:" + url);
      if (f.host.empty() || DownloadOne(ss, url, path, msg) != Got::kSaved) {
        if (f.host.empty()) msg = "HOST未設定"_cp932;
        ++out.failed;
        out.msg +=
            (out.msg.empty() ? "添付ファイル取得失敗 : "_cp932 : ", ") + f.local + " (" + msg + ")";
        continue;
      }
      ++out.saved;
    }
    wait.Remove(f);
    std::string save_msg;
    if (!wait.Save(save_msg)) ss.log.Log(save_msg);  // the next fetch finds the file present
  }
  std::string save_msg;
  if (!wait.Save(save_msg)) ss.log.Log(save_msg);  // files put on the list by the caller
  return out;
}

}  // namespace sorami
