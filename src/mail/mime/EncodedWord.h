// MIME encoded words (=?charset?B?...?= and =?charset?Q?...?=) in header text.
#pragma once

#include <string>
#include <string_view>

namespace sorami {

// Replaces every "=?ISO-2022-JP?B?...?=" word (found without regard to case) by its decoded
// JIS bytes followed by ESC ( J. The result is still JIS.
std::string DecodeJisHeader(std::string_view text);

// Decodes a header value to code page 932. Each encoded word is decoded (B or Q) and
// converted by the charset it names; adjacent words of the same charset are joined as bytes
// first, so a character split across two words comes out whole; blanks between two encoded
// words go. Text outside encoded words that is not plain ASCII (raw JIS, UTF-8, EUC-JP) is
// converted by GuessToSjis. A malformed word is left as it stands. Control characters of the
// decoded text go (a tab becomes a blank).
std::string DecodeHeader(std::string_view text);

// The same to UTF-8, every character of the header kept (emoji, Hangul, ...).
std::string DecodeHeaderUtf8(std::string_view text);

// DecodeJisHeader, then ConvertKanji to Shift_JIS.
std::string DecodeSubjectText(std::string_view text);

// One mailbox "name <address>": the name decoded (encoded words and raw Japanese text) with
// trailing blanks removed, directly followed by the address part.
std::string DecodeMailbox(std::string_view text);

// An address header (To, Cc): double quotes removed, each comma-separated mailbox (commas
// inside quotes, comments and angle brackets do not separate) through DecodeMailbox, joined
// with ",".
std::string DecodeAddressField(std::string_view text);

}  // namespace sorami
