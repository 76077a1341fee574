// The settings of the settings window: the account list (ListU, file KRList.dat) and every
// persisted value, as plain data the window copies into and out of its controls.
#pragma once

#include <string>
#include <vector>

namespace sorami {

class AppState;

// One row of the account list: the site name, then its sub-items.
struct AccountRow {
  enum Col { kSite = 0, kAccount, kPassword, kLastCheck, kHost, kUser, kEnabled, kDyn, kCount };
  std::vector<std::string> cols;  // up to kCount; a row read from the file may be shorter

  const std::string& Get(int c) const;
  bool Enabled() const { return Get(kEnabled) == "on"; }
};

struct SetteiValues {
  // The settings window's placement; the design values until read or moved, so a save made
  // without the window (the command line) writes a usable place.
  int left = 190, top = 110, width = 520, height = 420;
  std::string ed_server;   // "サーバー名": persisted, read by no request
  std::string ed_kairo;    // site name, default "パブリック"
  std::string ed_account;  // nickname
  std::string ed_password;
  std::string lb_host, lb_sys_user, lb_url, lb_dyn;
  std::string ed_smtp, ed_user, ed_address, ed_name, ed_pop, ed_pop_user, ed_mail_pass;
  long cb_smtp = 0, cb_pop = 0;
  bool ck_pop = true, ck_nokosu = false, ck_server = false;  // CkAngouka lives in AppState
};

struct Settei {
  SetteiValues v;
  std::vector<AccountRow> rows;  // ListU
  bool ck_yuukou = false;        // "有効" of the account page
  int clicked_row = -1;          // the row last clicked; -1: none
  std::string label_jikoku;      // last check time of the shown row
};

// The settings window's creation: persisted values read (design defaults when absent),
// the current account restored from them, the account list read. Logs what it does.
void LoadSettei(AppState& st);
// Saves every persisted value and the account list; false when something was not written.
bool SetteiHozon(AppState& st, std::string& msg);

bool SaveKairoIDList(AppState& st, std::string& msg);
bool ReadKairoIDList(AppState& st, std::string& msg);

// The edit boxes of the account page changed: copy into the current account (the password
// only when it is not the mask "＊＊＊＊＊").
void SetEditKairo(AppState& st, const std::string& text);
void SetEditAccount(AppState& st, const std::string& text);
void SetEditPassword(AppState& st, const std::string& text);

// Records the account page as a row: a new row, or over row `index` when not new.
bool UpdateAcList(AppState& st, bool is_new, int index);
// Records the checked current account as an enabled row: over the row of the same site and
// nickname when there is one, else as a new row.
void RecordCheckedAccount(AppState& st);
// Shows row `index` on the account page and makes it the current account.
void ShowAccountRow(AppState& st, int index);
// Deletes the row last clicked (the remembered index stays).
void DeleteClickedRow(AppState& st);
// A dynamic host moved: every row with the key "$"+key gets the host; saves when changed.
void SetForDynamic(AppState& st, const std::string& key, const std::string& host);

// "＊＊＊＊＊": the password box text that keeps the stored password.
const std::string& PasswordMask();

}  // namespace sorami
