// Helpers of the mail tests: expected texts are written in UTF-8 in the test source and
// compared as code page 932, the system's text.
#pragma once

#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>

#include "mail/mime/ReceivedMail.h"
#include "mail/mime/VexMsg.h"
#include "mail/mime/VexPop.h"
#include "platform/Codepage.h"
#include "support/Scratch.h"

namespace sorami::test {

// UTF-8 text of the test source as code page 932.
inline std::string Sj(std::string_view utf8) { return Utf8ToCp932(utf8); }
// Code page 932 as UTF-8, for readable failure messages.
inline std::string U8(std::string_view cp932) { return Cp932ToUtf8(cp932); }

// Parses a whole message the way the receive does.
inline TVexMsg ParseMail(std::string raw) {
  TVexMsg msg;
  TVexPOP parser;
  msg.Lines.AssignText(std::move(raw));
  ParseReceivedMail(parser, msg);
  return msg;
}

inline std::string MailData(const std::string& relative) {
  return ReadFileBytes(DataFile("mail/" + relative));
}

// Local time is that of the zone ("Asia/Tokyo") while this lives; mail dates are shown in
// local time.
class LocalZone {
 public:
  explicit LocalZone(const char* tz)
      : had_(std::getenv("TZ")), saved_(had_ ? std::getenv("TZ") : "") {
    Set(tz);
  }
  ~LocalZone() { had_ ? Set(saved_.c_str()) : (unsetenv("TZ"), tzset()); }
  LocalZone(const LocalZone&) = delete;
  LocalZone& operator=(const LocalZone&) = delete;

 private:
  static void Set(const char* tz) {
    setenv("TZ", tz, 1);
    tzset();
  }
  bool had_;
  std::string saved_;
};

}  // namespace sorami::test
