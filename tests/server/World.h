// The test side of the site wire (independent of the server and of the client) on the shared
// world of tests/support, and the requests the client sends (same fields, same order).
#pragma once

#include <gtest/gtest.h>
#include <httplib.h>
#include <iconv.h>

#include <cctype>
#include <memory>
#include <regex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/SiteWorld.h"

namespace sorami::sitetest {

using test::CommandResult;
using test::RunServerCommand;
using test::ServerProcess;

using Fields = std::vector<std::pair<std::string, std::string>>;
using Line = std::vector<std::string>;

inline std::string Iconv(const char* to, const char* from, std::string_view in) {
  iconv_t cd = iconv_open(to, from);
  std::string out(in.size() * 4 + 16, '\0');
  char* src = const_cast<char*>(in.data());
  char* dst = out.data();
  std::size_t left = in.size(), room = out.size();
  const bool failed = iconv(cd, &src, &left, &dst, &room) == static_cast<std::size_t>(-1);
  iconv_close(cd);
  if (failed) throw std::runtime_error("iconv failed");
  out.resize(out.size() - room);
  return out;
}
inline std::string Sj(std::string_view utf8) { return Iconv("CP932", "UTF-8", utf8); }
inline std::string Utf(std::string_view cp932) { return Iconv("UTF-8", "CP932", cp932); }

inline Line Split(const std::string& s, const std::string& sep = "\t") {
  Line out;
  std::size_t start = 0;
  for (std::size_t at; (at = s.find(sep, start)) != std::string::npos; start = at + sep.size()) {
    out.push_back(s.substr(start, at - start));
  }
  out.push_back(s.substr(start));
  return out;
}

inline bool IsDateTime(const std::string& s) {
  return std::regex_match(s, std::regex(R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d)"));
}

// NAME=value, every value byte other than A-Z a-z 0-9 as %XX and a blank as "+", joined by
// "&" with a trailing "&" when there are two or more fields.
inline std::string UrlEncoded(const Fields& fields) {
  std::string body;
  for (const auto& [name, value] : fields) {
    body += name + "=";
    for (unsigned char c : value) {
      const char* hex = "0123456789ABCDEF";
      body += c == ' '                      ? std::string("+")
              : c < 0x80 && std::isalnum(c) ? std::string(1, c)
                                            : std::string{'%', hex[c >> 4], hex[c & 15]};
    }
    if (fields.size() > 1) body += "&";
  }
  return body;
}

struct FilePart {
  std::string filename, data;  // the name as the client sends it: the full local path
};
// A multipart/form-data body with FILE0, FILE1, ... parts; "%" in values becomes "％".
inline const std::string kMultipart = "multipart/form-data; boundary=B0UND";
inline std::string Multipart(const Fields& fields, const std::vector<FilePart>& files) {
  const std::string boundary = "B0UND";
  std::string body;
  auto part = [&](const std::string& head, const std::string& data) {
    body += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + head + "\r\n\r\n" +
            data + "\r\n";
  };
  for (const auto& [name, value] : fields) {
    part(name + "\"", std::regex_replace(value, std::regex("%"), Sj("％")));
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    part("FILE" + std::to_string(i) + "\"; filename=\"" + files[i].filename +
             "\"\r\nContent-Type: application/octet-stream",
         files[i].data);
  }
  return body + "--" + boundary + "--\r\n";
}

struct Reply {
  int httpStatus = 0;        // 0: no HTTP answer at all
  std::string body, status;  // status: the text after the first TAB of the first line
  bool ok = false;           // the status holds "OK(PGM)"
  std::string message;       // the text after "OK(PGM)"
  Line lines;                // the value lines
};
inline Reply ReadReply(int httpStatus, std::string body) {
  Reply r{httpStatus, std::move(body), "", false, "", {}};
  Line lines = Split(r.body, "\r\n");
  const std::size_t tab = lines[0].find('\t');
  r.status = tab == std::string::npos ? "" : lines[0].substr(tab + 1);
  const std::size_t ok = r.status.find("OK(PGM)");
  r.ok = ok != std::string::npos;
  r.message = r.ok ? r.status.substr(ok + 7) : r.status;
  r.lines.assign(lines.begin() + 1, lines.end());
  return r;
}

// POSTs to http://ADDRESS/bn/PROGRAM? (no type: GETs .../PROGRAM?BODY) and reads the answer.
inline Reply Request(const std::string& address, const std::string& program,
                     const std::string& body,
                     const std::string& type = "application/x-www-form-urlencoded") {
  httplib::Client c("http://" + address);
  c.set_read_timeout(30, 0);
  auto r = type.empty() ? c.Get("/bn/" + program + "?" + body)
                        : c.Post("/bn/" + program + "?", body, type);
  return r ? ReadReply(r->status, r->body) : Reply{};
}

// The members of the world (tests/support) by the name these tests give them.
using Account = test::Member;
using test::kHanako;
using test::kJiro;
using test::kSohyo;
using test::kTaro;

// Site addresses, title and body (which may hold TAB and CR LF) in UTF-8; no date: a fresh one.
struct Letter {
  std::string to = "はなこ%広場", cc = {}, bcc = {}, title = "t", body = "b", date = {};
};

// The shared world of the tests and the requests the client sends to it.
class World : public test::SiteWorld {
 public:
  using SiteWorld::SiteWorld;
  Reply Message(const Fields& f) const {
    return Request(address(), "WbMessage.exe", UrlEncoded(f));
  }
  Reply Send(const Account& from, const Letter& l = {}) const {
    return Message(SendFields(from, l));
  }
  Reply Upload(const Fields& f, const std::vector<FilePart>& files) const {
    return Request(address(), "WbMessage.exe", Multipart(f, files), kMultipart);
  }

  // The requests the client sends, from this host.
  // clang-format off
  Fields SendFields(const Account& from, const Letter& l) const {
    static int n = 0;  // a fresh date for every letter without one
    const std::string date = l.date.empty() ? std::to_string(2030 + ++n) + "/01/01 00:00:00" : l.date;
    return {{"FROMHOST", address()}, {"FROMUSER", from.sysuser}, {"COMMAND", "SENDWIN"},
            {"TOLIST", ""}, {"TOHOST", ""}, {"TOUSER", ""}, {"TOSITE", ""}, {"CC", Sj(l.cc)},
            {"BCC", Sj(l.bcc)}, {"REPLYTO", ""}, {"TONAME", Sj(l.to)}, {"FROMSITE", Sj(from.site)},
            {"FROMNAME", Sj(from.nick)}, {"FROMDATE", date}, {"TITLE", Sj(l.title)},
            {"HONBUN", Sj(l.body)}, {"KANKEI", Sj("知人")}, {"SHUBETSU", Sj("一般連絡")},
            {"USERPASS", Sj(from.pass)}};
  }
  Fields FetchFields(const Account& a, const std::string& command) const {
    return {{"COMMAND", command}, {"TOSITE", Sj(a.site)}, {"TOUSER", a.sysuser},
            {"TONAME", Sj(a.nick)}, {"USERPASS", Sj(a.pass)}, {"FROMHOST", address()},
            {"FROMUSER", a.sysuser}};
  }
  Fields FeedbackFields(const Account& reader, const Line& line) const {  // a read receipt
    return {{"COMMAND", "FEEDBACK"}, {"TONAME", Sj(reader.nick)}, {"TOHOST", address()},
            {"TOUSER", reader.sysuser}, {"FROMNAME", line.at(6)}, {"FROMDATE", line.at(4)},
            {"FROMUSER", line.at(13)}, {"FROMHOST", line.at(11)}};
  }
  Reply GetFeedback(const Account& a) const {
    return Message({{"COMMAND", "GETFEEDBACK"}, {"FROMNAME", Sj(a.nick)}, {"FROMSITE", Sj(a.site)},
                    {"USERPASS", Sj(a.pass)}, {"FROMHOST", address()}, {"FROMUSER", a.sysuser}});
  }
  // clang-format on
  // Fetches with GETDEL; returns the message lines (not the notice) split at TAB.
  std::vector<Line> Drain(const Account& a) const {
    Reply r = Message(FetchFields(a, "GETDEL"));
    EXPECT_TRUE(r.ok) << Utf(r.status);
    std::vector<Line> lines;
    for (const std::string& line : r.lines)
      if (!line.starts_with("SYS")) lines.push_back(Split(line));
    return lines;
  }
};

}  // namespace sorami::sitetest
