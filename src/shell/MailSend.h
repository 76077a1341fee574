// The direct mail send wired to the application: the SMTP server and the sender from the
// mail settings, the data directory for Send.log, the Qt line socket with the extra trusted
// certificate file.
#pragma once

#include <string>

#include "mail/SendMail.h"
#include "settings/Settei.h"

namespace sorami {

class AppState;

// The SMTP server of the mail page: the port box's text as a number (25 when it is none),
// the security box, the account with its own password (the receive password when that box is
// empty), the certificate file.
SmtpConfig SmtpConfigFromSettings(const SetteiValues& v);

// The sender of the mail page ("氏名", "アドレス") into the mail.
void FillSender(const SetteiValues& v, OutgoingMail& mail);

// SendMail with the sender and the server of the settings as they stand; refused (when given)
// receives the recipients the server would not take.
bool SendMailWithSettings(AppState& st, OutgoingMail mail, SmtpEvents* events, std::string& result,
                          std::vector<std::string>* refused = nullptr);

}  // namespace sorami
