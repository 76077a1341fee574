// The connection check: the site name, nickname and password of the main window are checked
// against the service ("GETHOST", then "CHECK") and, when valid, recorded as an enabled
// account and saved; and the settings window's own check of the account it shows. These join
// the settings (the account) and the site requests (the check), so they live here.
#pragma once

#include <string>

#include "shell/AppState.h"

namespace sorami {

struct CheckOutcome {
  bool refused = false;  // another site request was running; nothing was done
  bool ok = false;       // the account was found and its password accepted
  std::string msg;       // the account test's message, shown in both windows' status bars
};

// The account test of the current account: where its site lives (the host, system user and
// dynamic key found go into the account page and the current account), then its nickname and
// password on that host. A site name, nickname or password holding TAB, CR or LF is refused
// without a request.
bool ExecTest(AppState& st, std::string& msg);

// The main window's "接続確認". pass_box is the text of its password box: the mask
// "＊＊＊＊＊" keeps the stored password, any other text becomes the password at once (and
// stays even when the check fails). The host and system user are looked up afresh. Texts
// holding TAB, CR or LF are refused with a message and change nothing.
CheckOutcome SetsuzokuKakunin(AppState& st, const std::string& site, const std::string& nick,
                              const std::string& pass_box);

// The settings window's "接続確認": tests the current account; saves the settings when it is
// valid.
CheckOutcome KakuninAccount(AppState& st);

}  // namespace sorami
