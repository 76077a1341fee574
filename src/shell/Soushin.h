// The compose window's send and draft buttons as one run: the check, the mail route (direct to
// the SMTP server, or through the site service with "SENDSMTP"), the site route ("SENDWIN",
// once more through the dynamic host when the host cannot be reached), then the sent copy filed,
// the address list taught the destination and the account log told.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "compose/ComposeCheck.h"
#include "shell/AppState.h"

namespace sorami {

// The direct mail route: send the checked message to the SMTP server (result text in msg),
// and note a mail the site service sent for us in the send log.
struct MailRoute {
  // The recipients the server refused go into check.mail_refused (bare, lower-case addresses).
  std::function<bool(const ComposeFields&, ComposeOutcome& check, std::string& msg)> send_mail;
  std::function<void(const std::string& to, const std::string& title, const std::string& from)>
      save_send_log;
};
// The route through the mail settings of st.
MailRoute DirectMailRoute(AppState& st);

struct SendReport {
  bool ok = false;
  std::string msg;  // the result text
  // Texts for the compose window's status bar, in the order they appear.
  std::vector<std::string> compose_status;
  // The main window shows the sent folder and this text; the compose window closes.
  bool show_sent = false;
  bool close_window = false;
  bool refused = false;  // another request was running; nothing was sent
  // The message went out whole and no answer came: it may have arrived. The copy is filed
  // with the read date "(結果不明)" and the window stays open; ok stays false.
  bool unknown = false;
  // It went to some recipients only (a refused mail address, or one route of two failed):
  // ok, the copy is filed with those it went to, and the window stays open to say so.
  bool partial = false;
  // The filed copy (or draft) reached the disk; save_error holds the reason when it did not.
  bool saved = false;
  std::string save_error;
};

// SoushinJikkou: check (a file to attach that cannot be read stops the send before anything
// goes out), then the mail route and the site route. check receives the check's outcome (and
// its record, with the columns the routes wrote, and the names of the files sent).
bool SoushinJikkou(AppState& st, const MailRoute& mail, ComposeFields& fields,
                   ComposeOutcome& check, SendReport& report);

// The send button: SoushinJikkou; on success the sent copy is filed in the store ("送信箱") and
// saved, the destination joins the address list and the send attachment list is emptied (its
// files went with this message); an account-log line "SEND" OK or NG either way. A send
// without an answer files its copy as "(結果不明)" and keeps the window and the attachments
// for the user to decide.
SendReport SendButton(AppState& st, const MailRoute& mail, ComposeFields& fields);

// The draft button: the check for "草稿" (no recipient needed); on success the draft joins the
// store, which is saved, and the window closes.
SendReport DraftButton(AppState& st, ComposeFields& fields);

}  // namespace sorami
