// A mail read from its original bytes into UTF-8 text, every character kept: the header
// fields a reader sees and the body as the sender wrote it (emoji, 𠮷, Hangul, ①, half-width
// katakana). The store's code page 932 text of the same mail is what lists, search and
// replies use; this is what the message pane and `show` put before the reader.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sorami {

struct UnicodeMail {
  std::string from, to, cc, subject, date;  // decoded header values, UTF-8
  std::string body;                         // the text body, lines ended by LF
  std::vector<std::string> attachments;     // names of the parts that are files, UTF-8
};

// Reads a whole mail (lines ended by CR LF or LF). The body is the plain text of the mail
// (of each multipart/alternative its plain rendering); a mail with only HTML shows the text
// of its HTML. A forwarded message (message/rfc822 part) is listed as an ".eml" file named
// after its subject.
UnicodeMail ReadUnicodeMail(std::string_view raw);

// The mail as a reader sees it: "From: ", "To: ", "Cc: " (when any), "Date: ", "Subject: "
// lines, a blank line, then the body.
std::string UnicodeMailText(const UnicodeMail& mail);

}  // namespace sorami
