// What every site request works with: the HTTP client, the progress window, the logs, the
// directory server and the files to upload with the next send. One session for the whole run, owned
// by the application state.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/AccountLog.h"
#include "base/DiagLog.h"
#include "platform/HttpClient.h"
#include "store/SiteAccount.h"

namespace sorami {

// The progress window shown while a site request waits.
class SiteProgress {
 public:
  virtual ~SiteProgress() = default;
  virtual void Show(const std::string& caption) = 0;
  virtual void Hide() = 0;
};

inline constexpr const char* kDefaultDirectoryHost = "directory.sorami.example";

struct SiteSession {
  SiteSession(DiagLog& l, AccountLog& a) : log(l), aclog(a) {}

  DiagLog& log;
  AccountLog& aclog;  // "送受信ログ": failures of requests are noted there
  std::unique_ptr<HttpClient> http;
  std::unique_ptr<SiteProgress> progress;
  std::string directory_host = kDefaultDirectoryHost;
  // The files to send with the next message, by their real paths (whatever their names).
  std::vector<std::filesystem::path> send_attachments;
  long long max_download_bytes = 200LL * 1024 * 1024;  // one attachment downloaded at most
  // A fetch's answer goes to a private scratch file here (the data directory) and is read from
  // it, so its size never has to fit in memory; empty: the current directory.
  std::filesystem::path spool_dir;
  long long max_fetch_answer_bytes = 2LL * 1024 * 1024 * 1024;  // one fetch answer at most
  // New messages stored by one fetch of an account at most; the rest stay on the site (it is
  // then not asked to delete anything) and come with the next fetch.
  int max_fetch_messages = 100;
  bool leave_on_site = false;  // "サイトに残す": fetch with "GET" instead of "GETDEL"
  // A dynamic host moved: told the key (without "$") and the new host, so the account list
  // follows. Empty: nobody listens.
  std::function<void(const std::string& key, const std::string& host)> on_dynamic_host;
};

// Where the directory server says a site lives.
struct SiteHostInfo {
  std::string host, user, dyn;
};

}  // namespace sorami
