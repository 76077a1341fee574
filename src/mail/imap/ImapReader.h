// Reading an IMAP server's responses off a line socket: one whole response at a time, its
// line and the literals ("{n}" and the n bytes after it) it announced, so a mail inside a
// FETCH answer arrives as its exact bytes. Untagged ("* ..."), tagged ("A1 OK ...") and
// continuation ("+ ...") responses come out alike; the caller tells them apart.
//
// Nothing is trusted for size: a line is bounded by the socket, each literal by the limit
// the caller sets before reading it (a mail's announced size, or a small default), and a
// response by the number of literals it may hold; a count is compared before a byte is read
// and never used to reserve memory.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/LineSocket.h"

namespace sorami {

struct ImapResponse {
  // The response's text between its literals: text[0] up to the first literal's "{n}"
  // (included), and so on; the last one ends the response.
  std::vector<std::string> text;
  std::vector<std::string> literals;  // literals[i] follows text[i]

  const std::string& head() const { return text.front(); }
  bool untagged() const { return head().starts_with("* "); }
  bool continuation() const { return head().starts_with("+"); }
  // The tag of a tagged response ("A1" of "A1 OK done"); empty otherwise.
  std::string_view tag() const;
  // After the tag (or "* "): "OK", "NO", "BAD", "BYE", "PREAUTH", a number, "CAPABILITY"...
  std::string_view word() const;
  // The text after the word.
  std::string_view rest() const;
};

class ImapReader {
 public:
  // The largest literal of a response while the caller has not set one: enough for any
  // answer but a mail.
  static constexpr size_t kDefaultMaxLiteral = 64 * 1024;
  // Literals one response may hold (a FETCH of one mail holds one or two).
  static constexpr size_t kMaxLiterals = 64;

  explicit ImapReader(LineSocket& socket) : socket_(socket) {}

  // From now on a literal may hold up to `bytes`.
  void SetMaxLiteral(size_t bytes) { max_literal_ = bytes; }
  size_t max_literal() const { return max_literal_; }

  // The next response. False with a text (code page 932) when the connection fails, or when
  // the server announces a literal over the limit or too many literals: the connection is
  // then closed, since what follows cannot be read as responses any more.
  bool Read(ImapResponse& response, std::string& error);

 private:
  LineSocket& socket_;
  size_t max_literal_ = kDefaultMaxLiteral;
};

// The count of a literal announcement at the end of a line ("... {123}" or "{123+}"), or
// false when the line does not end in one. A count of more than 20 digits is refused.
bool LiteralCount(std::string_view line, size_t& count);

}  // namespace sorami
