#include "support/SiteWorld.h"

#include <gtest/gtest.h>

#include "support/Cli.h"

namespace sorami::test {

SiteWorld::SiteWorld(const std::vector<std::string>& serve_args) {
  Admin({"init"});
  std::vector<std::string> args = {"--db", db_, "--listen", "127.0.0.1:0"};
  args.insert(args.end(), serve_args.begin(), serve_args.end());
  server = std::make_unique<ServerProcess>(args, logFile());  // it sees what follows at once
  Admin({"addsite", "広場", "--host", address(), "--user", "hiroba", "--public"});
  Admin({"addsite", "別館", "--host", address(), "--user", "bekkan", "--dynamic", "DYN$bekkan",
         "--public"});
  Admin({"addsite", "秘密", "--host", address(), "--user", "himitsu"});
  for (const Member* m : {&kHanako, &kTaro, &kJiro, &kSohyo}) {
    Admin({"adduser", m->site, m->nick, m->pass});
  }
}

size_t SiteWorld::Logged(const std::string& word) const {
  const std::string log = ReadFileBytes(logFile());
  size_t n = 0;
  for (size_t at = log.find(word); at != std::string::npos; at = log.find(word, at + 1)) ++n;
  return n;
}

CommandResult SiteWorld::Admin(std::vector<std::string> args) const {
  args.insert(args.end(), {"--db", db_});
  CommandResult r = RunServerCommand(args, dir_.path());
  EXPECT_EQ(r.exitCode, 0) << args[0] << ": " << r.err;
  return r;
}

std::unique_ptr<ServerProcess> SiteWorld::Serve(const std::string& listen,
                                                const std::string& log) const {
  return std::make_unique<ServerProcess>(std::vector<std::string>{"--db", db_, "--listen", listen},
                                         dir_ / log);
}

std::string SiteWorld::Cli(const std::string& who, const std::string& args, int& status,
                           std::string* err) const {
  return RunCli("--directory-host " + address() + " " + args, AppDir(who), ConfigDir(who), status,
                err);
}

void SiteWorld::AddAccount(const std::string& who, const Member& m) const {
  int status = 0;
  std::string err;
  Cli(who, "account add " + m.site + " " + m.nick + " '" + m.pass + "'", status, &err);
  EXPECT_EQ(status, 0) << err;
}

}  // namespace sorami::test
