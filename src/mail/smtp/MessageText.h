// The text of an outgoing mail: the header block in its fixed order, the body in
// ISO-2022-JP (in UTF-8, base64 encoded, when it holds characters ISO-2022-JP cannot carry) and
// the attachments in base64, every line ended by CR LF and at most 998 octets long.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "mail/mime/VexMsg.h"

namespace sorami {

class SmtpEvents;

// Shift_JIS text as ISO-2022-JP. With close, ESC ( J is appended when the text holds
// Japanese (so an encoded word or a body line ends in the one-byte set). The one-byte set
// after Japanese is JIS-Roman (ESC ( J) as Windows writes it, except where a "\" or "~"
// follows before the next escape: readers show those as a yen sign and an overline in
// JIS-Roman, so the set is ASCII (ESC ( B) there.
std::string OutgoingJis(std::string_view sjis, bool close);

// "=?ISO-2022-JP?B?" + base64 of the bytes + "?=".
std::string JisWord(std::string_view jis);

// An address header value: each comma-separated element "name<address>" with its name
// made an encoded word; an element without "<" stays as it is.
std::string EncodeAddressHeader(std::string_view value);

// Appends the file's content as base64 lines of 76 characters (57 bytes each) ended by
// CR LF, read in blocks of 2,280 bytes; progress every `step` percent. False with an error
// text when the file cannot be read.
bool EncodeAttachment(const std::filesystem::path& path, SmtpEvents* events, int step,
                      std::string& out, std::string& error);

// The whole message text of msg, which carries its Message-Id, Date text, sender, recipients,
// subject, body lines, charset and attachments. The boundary is used only with attachments.
bool BuildMessageText(const TVexMsg& msg, std::string_view boundary, std::string_view mailer,
                      SmtpEvents* events, int encode_step, std::string& out, std::string& error);

}  // namespace sorami
