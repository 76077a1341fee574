// Sending a message through the site service: "SENDWIN" to site recipients (with the files of
// the send attachment list) and "SENDSMTP", which has the service mail Internet recipients
// for the member. The message's own fields come from the compose side; these add who sends
// and, for a mail, the SMTP settings, and turn the answer into the result text.
#pragma once

#include <string>
#include <vector>

#include "site/SendHttp.h"
#include "site/SiteSession.h"

namespace sorami {

// The mail settings the service uses to mail for the member.
struct SmtpRelayFields {
  std::string smtp_host, smtp_user, mail_address, mail_name;
};

// "SENDWIN" from the account: message_fields (the record's fields, in the service's order)
// after the sender's host and system user. Goes once more through the dynamic host when the
// account's host cannot be reached.
SiteAnswer SendWinRequest(SiteSession& ss, const SiteAccount& sender,
                          const std::vector<std::string>& message_fields);

// "SENDSMTP" from the account: the message's fields, then the SMTP settings.
SiteAnswer SendSmtpRequest(SiteSession& ss, const SiteAccount& sender,
                           const std::vector<std::string>& message_fields,
                           const SmtpRelayFields& relay);

// The result text of a send: the service's message, "送信完了" when it accepted without one.
std::string SendResultText(const SiteAnswer& answer);

}  // namespace sorami
