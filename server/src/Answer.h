// The answer of a site request: a status line (a head text, TAB, the status text), then the
// value lines, joined by CR LF, all in code page 932. A success status starts with "OK(PGM)";
// a refusal carries a Japanese error text instead.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sorami::site {

inline constexpr std::string_view kOkMark = "OK(PGM)";

struct Answer {
  std::string head;
  std::string status;
  std::vector<std::string> lines;
  // Value lines after `lines`, already joined by CR LF: a long answer is built in one piece.
  std::string joined;

  bool ok() const { return std::string_view(status).starts_with(kOkMark); }
  std::string Body() const;
};

// A success: status "OK(PGM)" followed by the given message (UTF-8 in the source).
Answer Success(std::string head, std::string_view utf8Message);
// A refusal with an error text already in code page 932.
Answer Refusal(std::string head, std::string cp932Message);

// Thrown by a command to refuse the request; the text (code page 932) becomes the status.
class Refused : public std::runtime_error {
 public:
  explicit Refused(std::string cp932Message)
      : std::runtime_error("refused"), message_(std::move(cp932Message)) {}
  const std::string& message() const { return message_; }

 private:
  std::string message_;
};

}  // namespace sorami::site
