// The bytes of a site request: the URL, the url-encoded and the multipart bodies, and the
// reading of an answer. The service relies on these bytes exactly.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace sorami {

// The kinds of site request, by their COMMAND value.
enum class SiteRequest {
  kGet,
  kGetDel,
  kGetHost,
  kGetDyn,
  kCheck,
  kSendWin,
  kSendSmtp,
  kFeedback,
  kGetFeedback,
};

// The COMMAND value of a kind: "GET", "GETDEL", "GETHOST", "GETDYN", "CHECK", "SENDWIN",
// "SENDSMTP".
std::string_view SiteRequestName(SiteRequest kind);

// "http://HOST/bn/WbUpdate.exe?" for "GETDYN", "http://HOST/bn/WbMessage.exe?" else.
std::string SiteUrl(SiteRequest kind, std::string_view host);

// One value url-encoded: letters and digits stay, a blank becomes "+", every other byte
// "%XX" with upper-case hex.
std::string UrlEncodeValue(std::string_view value);
// The url-encoded body of NAME=value lines: joined by "&", and with two or more fields a "&"
// after the last one too.
std::string UrlEncodedBody(const std::vector<std::string>& fields);

struct MultipartFile {
  std::string name;   // the file name sent (code page 932)
  std::string bytes;  // the file's contents
};
// The name a local file goes out under: its own file name (no folders) in code page 932, with
// "_" for each character the code page cannot hold, so the recipient sees a name close to the
// real one and never a row of "〓", and for control characters and the marks the service does
// not keep in a name (, # < > : " | ? * \), so the name is the one the recipients get.
std::string SendFileName(const std::filesystem::path& file);
// The multipart/form-data body: one part per field (its value raw, "%" replaced by "％"),
// then FILE0, FILE1 ... with "application/octet-stream".
std::string MultipartBody(const std::vector<std::string>& fields,
                          const std::vector<MultipartFile>& files, std::string_view boundary);

// A "NAME=value" field as the diagnostic log shows it: the value of a password field (a name
// holding "PASS", as "USERPASS") is masked, so that no saved log gives a password away.
std::string FieldForLog(std::string_view field);

// Splits an answer: status line (text after its first TAB is the message), then the value.
// True when the message holds "OK(PGM)"; the message is then what follows it. An answer whose
// status line ends in LF alone has LF line ends: its value is given with CR LF ones.
bool GetResult(std::string_view body, std::string& value, std::string& msg);

inline constexpr std::string_view kOkPgm = "OK(PGM)";

}  // namespace sorami
