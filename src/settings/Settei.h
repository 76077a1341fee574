// The settings of the settings window: the account list (ListU, file KRList.dat) and every
// persisted value, as plain data the window copies into and out of its controls.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "base/AccountLog.h"
#include "base/DiagLog.h"
#include "platform/Codepage.h"
#include "platform/IniStore.h"
#include "store/SiteAccount.h"
#include "store/UserFolders.h"

namespace sorami {

struct SetteiValues {
  // The settings window's placement; the design values until read or moved, so a save made
  // without the window (the command line) writes a usable place.
  int left = 190, top = 110, width = 520, height = 420;
  // The account page ("EdServer" ... "LbDyn"): the directory server ("サーバー名", persisted,
  // read by no request), the account, and what the look-up found for it.
  std::string directory_server;
  std::string site_name = "パブリック"_cp932;
  std::string nickname;
  std::string password;
  std::string host, sys_user, url, dyn_key;
  // The mail page ("EdSMTP" ... "CkServer"): the SMTP server and sender, the POP3 server and
  // login, the port boxes' indexes and the switches.
  std::string smtp_host, smtp_user, mail_address, mail_name, pop_host, pop_user, pop_password;
  long smtp_port_index = 0, pop_port_index = 0;
  bool pop_enabled = true, leave_mail_on_server = false, send_through_site = false;
  // Beyond the port lists ("SMTPPort", "PopPort" ... "TlsCaFile"): a typed port that is not
  // in its list (empty when the list entry is used; it wins over the index), the security
  // boxes' indexes ("自動", "なし", "STARTTLS", "SSL/TLS") and a certificate file trusted
  // besides the system's authorities.
  std::string smtp_port_text, pop_port_text;
  long smtp_tls_index = 0, pop_tls_index = 0;
  std::string tls_ca_file;
  // The SMTP login's own password ("EdSmtpPass"); empty: the receive password logs in.
  std::string smtp_password;
  // How mail is received ("CbJushinHoushiki": 0 "POP3", 1 "IMAP") and, for IMAP, the folders
  // read ("ImapFolders", comma-separated).
  long receive_protocol_index = 0;
  std::string imap_folders = "INBOX";
  // "CkAngouka" as read or written: the switch itself lives with the master file
  // (SetteiStore::angouka); this carries it through the settings table.
  bool encrypt_store = true;
};

struct Settei {
  SetteiValues v;
  std::vector<SiteAccount> rows;  // ListU
  bool account_enabled = false;   // "有効" of the account page
  int clicked_row = -1;           // the row last clicked; -1: none
  std::string shown_last_check;   // last check time of the shown row
  // The account that site requests act for (curSite ... curDyn): the account page's account.
  // Written only through the routines below, which keep it with the account page.
  SiteAccount cur;
  std::vector<UserFolder> user_folders;  // "フォルダ設定", in list order
};

class SettingPasswords;

// Where the settings are kept and who hears of them: the settings store, the data directory
// (KRList.dat), the logs, the encryption switch of the master file (saved with the settings),
// the directory server (the design value of "サーバー名") and where the passwords are kept
// (the desktop's keyring, or the files themselves).
struct SetteiStore {
  Registry& registry;
  std::filesystem::path data_dir;
  DiagLog& log;
  AccountLog& aclog;
  bool& angouka;
  const std::string& directory_host;
  SettingPasswords& passwords;
};

// The settings window's creation: persisted values read (design defaults when absent),
// the current account restored from them, the account list read. Logs what it does.
void LoadSettei(Settei& s, const SetteiStore& where);
// Saves every persisted value and the account list; false when something was not written.
bool SetteiHozon(const Settei& s, const SetteiStore& where, std::string& msg);

bool SaveKairoIDList(const Settei& s, const SetteiStore& where, std::string& msg);
bool ReadKairoIDList(Settei& s, const SetteiStore& where, std::string& msg);

// The edit boxes of the account page changed: copy into the account page's values and the
// current account. The mask "＊＊＊＊＊" as a password changes nothing: the stored password
// stays.
void SetEditKairo(Settei& s, const std::string& text);
void SetEditAccount(Settei& s, const std::string& text);
void SetEditPassword(Settei& s, const std::string& text);

// The directory server's look-up for the account page: where its site lives. The current
// account follows.
void SetFoundHost(Settei& s, const std::string& host, const std::string& sys_user,
                  const std::string& dyn_key);

// Records the account page as a row: a new row, or over row `index` when not new. False,
// recording nothing, when a text holds TAB, CR or LF (msg, when given, says which).
bool UpdateAcList(Settei& s, DiagLog& log, bool is_new, int index, std::string* msg = nullptr);
// Records the checked current account as an enabled row: over the row of the same site and
// nickname when there is one, else as a new row.
void RecordCheckedAccount(Settei& s, DiagLog& log);
// Shows row `index` on the account page and makes it the current account.
void ShowAccountRow(Settei& s, int index);
// Deletes the row last clicked (the remembered index stays).
void DeleteClickedRow(Settei& s);
// A dynamic host moved: every row with the key "$"+key gets the host, and the account page
// and the current account when theirs is that key; saves when a row changed.
void SetForDynamic(Settei& s, const SetteiStore& where, const std::string& key,
                   const std::string& host);

// "＊＊＊＊＊": the password box text that keeps the stored password.
const std::string& PasswordMask();

}  // namespace sorami
