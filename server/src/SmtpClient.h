// A small blocking SMTP client for relaying mail: one connection per mail, EHLO (HELO when
// EHLO is refused), MAIL, RCPT for each recipient, DATA with dot-stuffing, QUIT.
#pragma once

#include <string>
#include <vector>

namespace sorami::site {

struct OutgoingMail {
  std::string from;             // envelope sender address
  std::vector<std::string> to;  // envelope recipient addresses
  std::string message;          // header and body, lines ended by CR LF
};

// Sends the mail through the relay "host:port". Returns an empty text on success, otherwise
// what went wrong (the relay's reply or a network error), in ASCII.
std::string SendThroughRelay(const std::string& relay, const OutgoingMail& mail,
                             int timeoutSeconds = 30);

}  // namespace sorami::site
