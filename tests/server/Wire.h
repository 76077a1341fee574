// The test side of the site wire, written independently of the server and of the client:
// code page 932 conversion, the url-encoded and multipart bodies as the client sends them,
// and the reading of answers.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sorami::sitetest {

using Fields = std::vector<std::pair<std::string, std::string>>;

// UTF-8 -> code page 932 and back (iconv, test-side).
std::string Sj(std::string_view utf8);
std::string Utf(std::string_view cp932);

// NAME=value, every value byte other than A-Z a-z 0-9 as %XX and a blank as "+", joined by
// "&" with a trailing "&" when there are two or more fields.
std::string UrlEncoded(const Fields& fields);

struct FilePart {
  std::string filename;  // as the client sends it: the full local path
  std::string data;
};
// A multipart/form-data body with FILE0, FILE1, ... parts; "%" in values becomes "％".
std::string Multipart(const Fields& fields, const std::vector<FilePart>& files,
                      const std::string& boundary);

struct Reply {
  int httpStatus = 0;  // 0: no HTTP answer at all
  std::string body;
  bool ok = false;                 // the status text holds "OK(PGM)"
  std::string status;              // the status text (after the first TAB)
  std::string message;             // the text after "OK(PGM)"
  std::vector<std::string> lines;  // the value lines
};
Reply ReadReply(int httpStatus, std::string body);

// POSTs to http://ADDRESS/bn/PROGRAM? and reads the answer.
Reply Post(const std::string& address, const std::string& program, const Fields& fields);
Reply PostRaw(const std::string& address, const std::string& program, const std::string& body,
              const std::string& contentType);
Reply PostMultipart(const std::string& address, const Fields& fields,
                    const std::vector<FilePart>& files);
// GET of an attachment: FILE, TOUSER and TONO with only bytes >= 0x80 escaped (lower case).
Reply GetAttachment(const std::string& address, const std::string& file, const std::string& user,
                    const std::string& number);

std::vector<std::string> SplitTabs(const std::string& line);

}  // namespace sorami::sitetest
