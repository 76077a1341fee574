// The mail receive as the windows and the command line run it: the mail settings turned into
// the receive job, the receive with a Qt socket, and its outcome turned into the status line.
//
// The mail page's "受信" button fills a PopConfig from what its boxes show and calls
// ReceiveMail; "最新取得(&G)" calls ReceiveStoredMail when "有効" is checked.
#pragma once

#include <string>

#include "mail/MailJushin.h"
#include "settings/MailSettings.h"
#include "shell/AppState.h"

namespace sorami {

struct MailReceiveReport : JushinOutcome {
  std::string bar;  // what the status bar shows at the end
};

// The receive job from the stored mail settings: host, port (typed, or of the box's index),
// security, user, password, extra CA file, leave on server, POP3 or IMAP and its folders. False
// with the reason in msg when the port box holds no port number.
bool PopConfigFromSettei(const SetteiValues& v, PopConfig& c, std::string& msg);
// The receive job of a "受信" press.
PopConfig PopConfigFromJob(const MailReceiveJob& job);

// Receives with this job; socket: the connection to use (when none: st.mail.make_socket's, or
// a Qt socket). When mail came, the folder counts are refreshed and the status line is their
// summary.
MailReceiveReport ReceiveMail(AppState& st, const PopConfig& config, JushinEvents* events = nullptr,
                              LineSocket* socket = nullptr);
// The same with the stored mail settings.
MailReceiveReport ReceiveStoredMail(AppState& st, JushinEvents* events = nullptr);

}  // namespace sorami
