// The process-wide state of one run: the message store, the current account, the lists the
// main window keeps, the logs and the services the routines use. One object, made at start
// and handed by reference to the windows; core routines get only the parts they use.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/AccountLog.h"
#include "base/DiagLog.h"
#include "compose/Addresses.h"
#include "mail/MailJushin.h"
#include "platform/AppPaths.h"
#include "platform/FileCrypto.h"
#include "platform/IniStore.h"
#include "settings/Settei.h"
#include "settings/SettingPasswords.h"
#include "shell/Busy.h"
#include "shell/MasterPreload.h"
#include "site/Receipts.h"
#include "site/SiteSession.h"
#include "store/MastStore.h"
#include "store/MasterFile.h"
#include "store/Originals.h"
#include "store/TenpuWait.h"
#include "views/History.h"

namespace sorami {

class AppState {
 public:
  AppState(
      AppPaths paths, std::unique_ptr<FileCrypto> crypto,
      DiagLog::Clock clock = [] { return std::time(nullptr); });
  AppState(const AppState&) = delete;
  AppState& operator=(const AppState&) = delete;

  // Reads the settings the core needs before their windows exist (the encryption switch).
  void LoadCoreSettings();
  // What the settings routines read and write.
  SetteiStore SetteiPlace();

  AppPaths paths;
  Registry registry;
  std::unique_ptr<FileCrypto> crypto;
  DiagLog log;
  AccountLog aclog;  // the account log ("送受信ログ")

  TArMastd store;               // ArMast with CtMaster
  MasterFiles master;           // the master file; master.encrypt is CkAngouka
  Originals originals{master};  // received mails as their servers sent them
  Settei settei;                // the settings window's values and account list
  // Where the passwords of the settings and the account list are kept: the files, until
  // start-up finds the desktop's keyring (OpenPasswordVault).
  SettingPasswords passwords;
  SiteAccount& cur = settei.cur;
  Busy busy;                            // one exchange with a server at a time
  SiteSession site;                     // site requests: HTTP client, progress window
  JushinSession mail;                   // the mail receive: one at a time
  History history;                      // navigation history of shown records and help pages
  ReceiptLedger receipts;               // the received messages whose read receipt went out
  TenpuWaitList tenpu_wait;             // attachments of received messages still to download
  std::vector<AddressEntry> send_list;  // the address list ("送信先リスト"), in list order
  // The default help directory: the installed topics (set by MakeAppState), else app_dir/Help.
  std::filesystem::path help_dir;
  std::string doc_root;      // glDocRoot: the help directory
  bool save_on_exit = true;  // SaveOnExit
  // The master file being read while the windows are built; last, so it is waited for
  // before anything it uses goes.
  MasterPreload preload;
};

}  // namespace sorami
