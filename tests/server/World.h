// A site database with three sites and four members, served by one sorami-site-server on a
// loopback port, and builders of the requests the client sends (same fields, same order).
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "ServerProcess.h"
#include "Wire.h"
#include "support/Scratch.h"

namespace sorami::sitetest {

// A member; the texts are UTF-8 here and go on the wire as code page 932.
struct Account {
  std::string site;
  std::string nick;
  std::string pass;
  std::string sysuser;
};

// 広場 (public) holds はなこ and たろう; 別館 (public, dynamic key "DYN$bekkan") holds じろう;
// 秘密 (not public) holds ソ表, a nickname whose characters end in the byte 0x5C.
inline const Account kHanako{"広場", "はなこ", "hana-pw", "hiroba"};
inline const Account kTaro{"広場", "たろう", "taro pw%&=", "hiroba"};
inline const Account kJiro{"別館", "じろう", "じろう-pw", "bekkan"};
inline const Account kSohyo{"秘密", "ソ表", "表示", "himitsu"};

class World {
 public:
  // Creates the database, starts a server (with the extra serve arguments) and registers the
  // sites at the server's address.
  explicit World(const std::vector<std::string>& serveArgs = {}) {
    Admin({"init"});
    std::vector<std::string> args = {"--db", db_, "--listen", "127.0.0.1:0"};
    args.insert(args.end(), serveArgs.begin(), serveArgs.end());
    server_ = std::make_unique<ServerProcess>(args, dir_ / "server.log");
    // The running server sees these at once.
    Admin({"addsite", "広場", "--host", address(), "--user", "hiroba", "--public"});
    Admin({"addsite", "別館", "--host", address(), "--user", "bekkan", "--dynamic", "DYN$bekkan",
           "--public"});
    Admin({"addsite", "秘密", "--host", address(), "--user", "himitsu"});
    for (const Account* a : {&kHanako, &kTaro, &kJiro, &kSohyo}) {
      Admin({"adduser", a->site, a->nick, a->pass});
    }
  }

  const std::string& address() const { return server_->address(); }
  const std::string& db() const { return db_; }
  const test::ScratchDir& dir() const { return dir_; }
  ServerProcess& server() { return *server_; }
  // Runs an administrative command on this database; fails the test when it fails.
  CommandResult Admin(std::vector<std::string> args) const {
    args.insert(args.end(), {"--db", db_});
    CommandResult r = RunServerCommand(args, dir_.path());
    EXPECT_EQ(r.exitCode, 0) << args[0] << ": " << r.err;
    return r;
  }
  Reply Message(const Fields& fields) const { return Post(address(), "WbMessage.exe", fields); }

 private:
  test::ScratchDir dir_;
  std::string db_ = (dir_ / "site.db").string();
  std::unique_ptr<ServerProcess> server_;
};

// The world most suites share (a server without SMTP relay or public host). Tests using it
// drain the mailboxes they look at before they start.
inline World& SharedWorld() {
  static World world;
  return world;
}

// Whether s has the form "yyyy/mm/dd hh:nn:ss".
inline bool IsDateTime(const std::string& s) {
  return std::regex_match(s, std::regex(R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d)"));
}

// A fresh send date (distinct for every call), "yyyy/mm/dd hh:nn:ss".
inline std::string NextDate() {
  static int n = 0;
  ++n;
  char buf[32];
  std::snprintf(buf, sizeof buf, "2030/01/%02d %02d:%02d:%02d", 1 + n / 86400 % 28, n / 3600 % 24,
                n / 60 % 60, n % 60);
  return buf;
}

inline Fields CheckFields(const Account& a, const std::string& host) {
  return {{"COMMAND", "CHECK"},
          {"FROMSITE", host},
          {"FROMUSER", a.sysuser},
          {"FROMNAME", Sj(a.nick)},
          {"USERPASS", Sj(a.pass)}};
}

inline Fields FetchFields(const Account& a, const std::string& command, const std::string& host) {
  return {{"COMMAND", command},   {"TOSITE", Sj(a.site)},   {"TOUSER", a.sysuser},
          {"TONAME", Sj(a.nick)}, {"USERPASS", Sj(a.pass)}, {"FROMHOST", host},
          {"FROMUSER", a.sysuser}};
}

struct Letter {
  std::string to, cc, bcc;  // site addresses, UTF-8
  std::string title, body;  // UTF-8 (may hold TAB and CR LF)
  std::string date;         // empty: NextDate()
};
inline Fields SendFields(const Account& from, const std::string& host, const Letter& l) {
  return {{"FROMHOST", host},
          {"FROMUSER", from.sysuser},
          {"COMMAND", "SENDWIN"},
          {"TOLIST", ""},
          {"TOHOST", ""},
          {"TOUSER", ""},
          {"TOSITE", ""},
          {"CC", Sj(l.cc)},
          {"BCC", Sj(l.bcc)},
          {"REPLYTO", ""},
          {"TONAME", Sj(l.to)},
          {"FROMSITE", Sj(from.site)},
          {"FROMNAME", Sj(from.nick)},
          {"FROMDATE", l.date.empty() ? NextDate() : l.date},
          {"TITLE", Sj(l.title)},
          {"HONBUN", Sj(l.body)},
          {"KANKEI", Sj("知人")},
          {"SHUBETSU", Sj("一般連絡")},
          {"USERPASS", Sj(from.pass)}};
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

// Fetches with GETDEL, which removes everything waiting; returns the message lines split at
// TAB (notice lines dropped).
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
