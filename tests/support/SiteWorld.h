// The reference site service for the tests that talk to it: a database in a scratch directory
// with three sites and four members, the service started on it on a loopback port, and the
// command line run as a user of its own against it.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/Scratch.h"
#include "support/ServerProcess.h"

namespace sorami::test {

// A member of the service; the texts are UTF-8.
struct Member {
  std::string site, nick, pass, sysuser;
};
// 広場 (public) holds はなこ and たろう; 別館 (public, dynamic key "DYN$bekkan") holds じろう;
// 秘密 (not public) holds ソ表, a nickname whose characters end in the byte 0x5C. たろう's
// password holds the characters a form body and a shell must escape.
inline const Member kHanako{"広場", "はなこ", "hana", "hiroba"};
inline const Member kTaro{"広場", "たろう", "taro pw%&=", "hiroba"};
inline const Member kJiro{"別館", "じろう", "じろう-pw", "bekkan"};
inline const Member kSohyo{"秘密", "ソ表", "表示", "himitsu"};

class SiteWorld {
 public:
  // Creates the database, starts the service with the extra arguments, registers the sites
  // and the members there.
  explicit SiteWorld(const std::vector<std::string>& serve_args = {});

  const std::string& address() const { return server->address(); }
  std::filesystem::path operator/(const std::string& name) const { return dir_ / name; }
  const std::filesystem::path& path() const { return dir_.path(); }
  // The service's request log.
  std::filesystem::path logFile() const { return dir_ / "server.log"; }
  // How many times the request log names the word so far.
  size_t Logged(const std::string& word) const;

  // Runs an administrative command on the database; fails the test when it fails.
  CommandResult Admin(std::vector<std::string> args) const;
  // Another instance of the service on the same database, listening on `listen` and logging
  // to the named file of the scratch directory: a moved host, or the service restarted.
  std::unique_ptr<ServerProcess> Serve(const std::string& listen, const std::string& log) const;

  // sorami-cli (SORAMI_CLI) as the user `who`, on application and settings directories of its
  // own, with this service as its directory host. status gets the exit status, err its stderr.
  std::string Cli(const std::string& who, const std::string& args, int& status,
                  std::string* err = nullptr) const;
  // "account add" of the member for the user `who`; fails the test when it fails.
  void AddAccount(const std::string& who, const Member& m) const;
  std::filesystem::path AppDir(const std::string& who) const { return dir_ / who / "app"; }
  std::filesystem::path ConfigDir(const std::string& who) const { return dir_ / who / "cfg"; }

  std::unique_ptr<ServerProcess> server;

 private:
  ScratchDir dir_;
  std::string db_ = (dir_ / "site.db").string();
};

}  // namespace sorami::test
