// The test side of the site wire (Wire.cpp, independent of the server and of the client), a
// served site database, and the requests the client sends (same fields, same order).
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <regex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ServerProcess.h"
#include "support/Scratch.h"

namespace sorami::sitetest {

using Fields = std::vector<std::pair<std::string, std::string>>;

// UTF-8 -> code page 932 and back (iconv, test-side).
std::string Sj(std::string_view utf8);
std::string Utf(std::string_view cp932);

// NAME=value, every value byte other than A-Z a-z 0-9 as %XX and a blank as "+", joined by
// "&" with a trailing "&" when there are two or more fields.
std::string UrlEncoded(const Fields& fields);

struct FilePart {
  std::string filename, data;  // the name as the client sends it: the full local path
};
// A multipart/form-data body with FILE0, FILE1, ... parts; "%" in values becomes "％".
std::string Multipart(const Fields& fields, const std::vector<FilePart>& files,
                      const std::string& boundary);

struct Reply {
  int httpStatus = 0;  // 0: no HTTP answer at all
  std::string body;
  std::string status;              // the status text (after the first TAB of the first line)
  bool ok = false;                 // the status text holds "OK(PGM)"
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

// A member; the texts are UTF-8 here and go on the wire as code page 932.
struct Account {
  std::string site, nick, pass, sysuser;
};

// 広場 (public) holds はなこ and たろう; 別館 (public, dynamic key "DYN$bekkan") holds じろう;
// 秘密 (not public) holds ソ表, a nickname whose characters end in the byte 0x5C.
inline const Account kHanako{"広場", "はなこ", "hana-pw", "hiroba"};
inline const Account kTaro{"広場", "たろう", "taro pw%&=", "hiroba"};
inline const Account kJiro{"別館", "じろう", "じろう-pw", "bekkan"};
inline const Account kSohyo{"秘密", "ソ表", "表示", "himitsu"};

class World {
 public:
  // Creates the database, starts a server with the extra arguments, registers the sites there.
  explicit World(const std::vector<std::string>& serveArgs) {
    Admin({"init"});
    std::vector<std::string> args = {"--db", db_, "--listen", "127.0.0.1:0"};
    args.insert(args.end(), serveArgs.begin(), serveArgs.end());
    server_ = std::make_unique<ServerProcess>(args, dir_ / "server.log");  // sees these at once:
    Admin({"addsite", "広場", "--host", address(), "--user", "hiroba", "--public"});
    Admin({"addsite", "別館", "--host", address(), "--user", "bekkan", "--dynamic", "DYN$bekkan",
           "--public"});
    Admin({"addsite", "秘密", "--host", address(), "--user", "himitsu"});
    for (const Account* a : {&kHanako, &kTaro, &kJiro, &kSohyo}) {
      Admin({"adduser", a->site, a->nick, a->pass});
    }
  }

  const std::string& address() const { return server_->address(); }
  // Runs an administrative command on this database; fails the test when it fails.
  void Admin(std::vector<std::string> args) const {
    args.insert(args.end(), {"--db", db_});
    CommandResult r = RunServerCommand(args, dir_.path());
    EXPECT_EQ(r.exitCode, 0) << args[0] << ": " << r.err;
  }
  Reply Message(const Fields& fields) const { return Post(address(), "WbMessage.exe", fields); }

 private:
  test::ScratchDir dir_;
  std::string db_ = (dir_ / "site.db").string();
  std::unique_ptr<ServerProcess> server_;
};

// The world most suites share: a server without SMTP relay, serving the sites at its address.
inline World& SharedWorld() {
  static World world({"--public-host", "127.0.0.1:0"});
  return world;
}

inline bool IsDateTime(const std::string& s) {
  return std::regex_match(s, std::regex(R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d)"));
}

// A fresh send date (distinct for every call), "yyyy/mm/dd hh:nn:ss".
inline std::string NextDate() {
  static int n = 0;
  char buf[32];
  ++n;
  std::snprintf(buf, sizeof buf, "2030/01/%02d %02d:%02d:%02d", 1 + n / 86400 % 28, n / 3600 % 24,
                n / 60 % 60, n % 60);
  return buf;
}

inline Fields FetchFields(const Account& a, const std::string& command, const std::string& host) {
  return {{"COMMAND", command},   {"TOSITE", Sj(a.site)},   {"TOUSER", a.sysuser},
          {"TONAME", Sj(a.nick)}, {"USERPASS", Sj(a.pass)}, {"FROMHOST", host},
          {"FROMUSER", a.sysuser}};
}

// Site addresses, title and body (which may hold TAB and CR LF) in UTF-8; no date: NextDate().
struct Letter {
  std::string to, cc, bcc, title, body, date;
};
inline Fields SendFields(const Account& from, const std::string& host, const Letter& l) {
  // clang-format off
  return {{"FROMHOST", host}, {"FROMUSER", from.sysuser}, {"COMMAND", "SENDWIN"}, {"TOLIST", ""},
          {"TOHOST", ""}, {"TOUSER", ""}, {"TOSITE", ""}, {"CC", Sj(l.cc)}, {"BCC", Sj(l.bcc)},
          {"REPLYTO", ""}, {"TONAME", Sj(l.to)}, {"FROMSITE", Sj(from.site)},
          {"FROMNAME", Sj(from.nick)}, {"FROMDATE", l.date.empty() ? NextDate() : l.date},
          {"TITLE", Sj(l.title)}, {"HONBUN", Sj(l.body)}, {"KANKEI", Sj("知人")},
          {"SHUBETSU", Sj("一般連絡")}, {"USERPASS", Sj(from.pass)}};
  // clang-format on
}

// The receipt a reader's client sends for a fetched message line.
inline Fields FeedbackFields(const Account& reader, const std::string& readerHost,
                             const std::vector<std::string>& line) {
  return {{"COMMAND", "FEEDBACK"},    {"TONAME", Sj(reader.nick)}, {"TOHOST", readerHost},
          {"TOUSER", reader.sysuser}, {"FROMNAME", line.at(6)},    {"FROMDATE", line.at(4)},
          {"FROMUSER", line.at(13)},  {"FROMHOST", line.at(11)}};
}

inline Fields GetFeedbackFields(const Account& a, const std::string& host) {
  return {{"COMMAND", "GETFEEDBACK"}, {"FROMNAME", Sj(a.nick)}, {"FROMSITE", Sj(a.site)},
          {"USERPASS", Sj(a.pass)},   {"FROMHOST", host},       {"FROMUSER", a.sysuser}};
}

// Fetches with GETDEL; returns the message lines (not the notice) split at TAB.
inline std::vector<std::vector<std::string>> Drain(const World& w, const Account& a) {
  Reply r = w.Message(FetchFields(a, "GETDEL", w.address()));
  EXPECT_TRUE(r.ok) << Utf(r.status);
  std::vector<std::vector<std::string>> lines;
  for (const std::string& line : r.lines) {
    if (!line.starts_with("SYS")) lines.push_back(SplitTabs(line));
  }
  return lines;
}

// Suites on the shared world: every test starts with empty mailboxes and no receipts waiting.
class OnSharedWorld : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const Account* a : {&kHanako, &kTaro, &kJiro, &kSohyo}) {
      Drain(*world, *a);
      world->Message(GetFeedbackFields(*a, world->address()));
    }
  }
  World* const world = &SharedWorld();
};

}  // namespace sorami::sitetest
