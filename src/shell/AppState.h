// The process-wide state of one run: the message store, the current account, the lists the
// main window keeps, the diagnostic log and the services the routines use. One object, made
// at start and handed by reference to every window and routine.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/AppPaths.h"
#include "platform/FileCrypto.h"
#include "platform/HttpClient.h"
#include "platform/IniStore.h"
#include "settings/AccountLog.h"
#include "settings/Settei.h"
#include "shell/DiagLog.h"
#include "store/MastStore.h"

namespace sorami {

// The account that site requests act for.
struct CurrentAccount {
  std::string site;     // curSite
  std::string account;  // curAccount
  std::string pass;     // curPass
  std::string host;     // curHost
  std::string user;     // curUser
  std::string dyn;      // curDyn: prefix "$" key, empty for a fixed host
};

// What the last read of the master file left behind, so a save never overwrites a master
// file that exists but could not be read (a wrong key, a damaged or unreadable file).
struct MasterFileState {
  bool unread_file_on_disk = false;
};

// The progress window shown while a site request waits.
class SiteProgress {
 public:
  virtual ~SiteProgress() = default;
  virtual void Show(const std::string& caption) = 0;
  virtual void Hide() = 0;
};

inline constexpr const char* kDefaultDirectoryHost = "directory.sorami.example";

class AppState {
 public:
  AppState(AppPaths paths, std::unique_ptr<FileCrypto> crypto,
           DiagLog::Clock clock = [] { return std::time(nullptr); });

  // Reads the settings the core needs before their windows exist (the encryption switch).
  void LoadCoreSettings();

  AppPaths paths;
  Registry registry;
  std::unique_ptr<FileCrypto> crypto;
  DiagLog log;

  TArMastd store;  // ArMast with CtMaster
  MasterFileState master;
  CurrentAccount cur;
  std::string directory_host = kDefaultDirectoryHost;
  std::string doc_root;                       // glDocRoot: the help directory
  std::vector<std::string> send_attachments;  // files to upload with the next site send
  std::vector<std::string> history;           // navigation history of shown records
  int history_pos = 0;
  std::array<int32_t, 7> folder_counts{};  // per folder; 32-bit: stores exceed 32767
  bool save_on_exit = true;  // SaveOnExit
  bool angouka = true;       // keep the master file encrypted on disk (CkAngouka)

  Settei settei;     // the settings window's values and account list
  AccountLog aclog;  // the account log ("送受信ログ")

  // Site requests: the HTTP client, the progress window, and the guard that lets only one
  // request (a fetch, a check, a send) run at a time.
  std::unique_ptr<HttpClient> http;
  std::unique_ptr<SiteProgress> progress;
  bool site_busy = false;
  bool leave_on_site = false;  // "サイトに残す": fetch with "GET" instead of "GETDEL"
};

}  // namespace sorami
