#include "World.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace sorami::sitetest {

const Account kHanako{"広場", "はなこ", "hana-pw", "hiroba"};
const Account kTaro{"広場", "たろう", "taro pw%&=", "hiroba"};
const Account kJiro{"別館", "じろう", "じろう-pw", "bekkan"};
const Account kSohyo{"秘密", "ソ表", "表示", "himitsu"};

World::World(const std::vector<std::string>& serveArgs) {
  db_ = (dir_ / "site.db").string();
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

CommandResult World::Admin(std::vector<std::string> args) const {
  args.push_back("--db");
  args.push_back(db_);
  CommandResult r = RunServerCommand(args, dir_.path());
  EXPECT_EQ(r.exitCode, 0) << args[0] << ": " << r.err;
  return r;
}

std::string World::Log() const { return test::ReadFileBytes(dir_ / "server.log"); }

World& SharedWorld() {
  static World world;
  return world;
}

bool IsDateTime(const std::string& s) {
  const std::string pattern = "dddd/dd/dd dd:dd:dd";
  if (s.size() != pattern.size()) return false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (pattern[i] == 'd' ? (s[i] < '0' || s[i] > '9') : s[i] != pattern[i]) return false;
  }
  return true;
}

std::string NextDate() {
  static int n = 0;
  ++n;
  char buf[32];
  std::snprintf(buf, sizeof buf, "2030/01/%02d %02d:%02d:%02d", 1 + n / 86400 % 28, n / 3600 % 24,
                n / 60 % 60, n % 60);
  return buf;
}

Fields CheckFields(const Account& a, const std::string& host) {
  return {{"COMMAND", "CHECK"},
          {"FROMSITE", host},
          {"FROMUSER", a.sysuser},
          {"FROMNAME", Sj(a.nick)},
          {"USERPASS", Sj(a.pass)}};
}

Fields FetchFields(const Account& a, const std::string& command, const std::string& host) {
  return {{"COMMAND", command},   {"TOSITE", Sj(a.site)},   {"TOUSER", a.sysuser},
          {"TONAME", Sj(a.nick)}, {"USERPASS", Sj(a.pass)}, {"FROMHOST", host},
          {"FROMUSER", a.sysuser}};
}

Fields SendFields(const Account& from, const std::string& host, const Letter& l) {
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

Fields FeedbackFields(const Account& reader, const std::string& readerHost,
                      const std::vector<std::string>& line) {
  return {{"COMMAND", "FEEDBACK"},    {"TONAME", Sj(reader.nick)}, {"TOHOST", readerHost},
          {"TOUSER", reader.sysuser}, {"FROMNAME", line.at(6)},    {"FROMDATE", line.at(4)},
          {"FROMUSER", line.at(13)},  {"FROMHOST", line.at(11)}};
}

Fields GetFeedbackFields(const Account& a, const std::string& host) {
  return {{"COMMAND", "GETFEEDBACK"}, {"FROMNAME", Sj(a.nick)}, {"FROMSITE", Sj(a.site)},
          {"USERPASS", Sj(a.pass)},   {"FROMHOST", host},       {"FROMUSER", a.sysuser}};
}

std::vector<std::vector<std::string>> Drain(const World& w, const Account& a) {
  Reply r = w.Message(FetchFields(a, "GETDEL", w.address()));
  EXPECT_TRUE(r.ok) << Utf(r.status);
  std::vector<std::vector<std::string>> lines;
  for (const std::string& line : r.lines) {
    if (!line.starts_with("SYS")) lines.push_back(SplitTabs(line));
  }
  return lines;
}

}  // namespace sorami::sitetest
