// Mail as an mbox file (the "mboxrd" form other mail programs read and write): each mail
// after a "From " line, its lines ended by LF, a line that begins with ">"s and "From " given
// one more ">", and an empty line after it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "mail/mime/MailDate.h"

namespace sorami {

// Appends one mail (lines ended by CR LF or LF) to the text of an mbox file; the "From "
// line names the envelope sender (an address without blanks; "MAILER-DAEMON" when empty)
// and the date (local time).
void AppendMbox(std::string& mbox, std::string_view envelope_from, MailDateTime date,
                std::string_view mail);

// The mails of an mbox file, each with its lines ended by CR LF as a server sends them and
// its quoted "From " lines given back.
std::vector<std::string> ReadMbox(std::string_view mbox);

// A plain-text mail in UTF-8 for a message that has no original: From, To, Subject and Date
// as given (UTF-8 text, the date a local time), the body base64-encoded; lines ended by
// CR LF.
struct TextMailFields {
  std::string from, to, subject;
  MailDateTime date = 0;
  std::string body;
};
std::string MakeTextMail(const TextMailFields& fields);

}  // namespace sorami
