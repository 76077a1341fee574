// A site database with three sites and four members, served by one sorami-site-server on a
// loopback port, and builders of the requests the client sends (same fields, same order).
#pragma once

#include <memory>
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
  std::string Address() const { return nick + "%" + site; }
};

// 広場 (public) holds はなこ and たろう; 別館 (public, dynamic key "DYN$bekkan") holds じろう;
// 秘密 (not public) holds ソ表, a nickname whose characters end in the byte 0x5C.
extern const Account kHanako, kTaro, kJiro, kSohyo;

class World {
 public:
  // Creates the database, starts a server (with the extra serve arguments) and registers the
  // sites at the server's address.
  explicit World(const std::vector<std::string>& serveArgs = {});

  const std::string& address() const { return server_->address(); }
  const std::string& db() const { return db_; }
  const test::ScratchDir& dir() const { return dir_; }
  ServerProcess& server() { return *server_; }
  // Runs an administrative command on this database; fails the test when it fails.
  CommandResult Admin(std::vector<std::string> args) const;
  // The request log written so far.
  std::string Log() const;

  Reply Message(const Fields& fields) const { return Post(address(), "WbMessage.exe", fields); }

 private:
  test::ScratchDir dir_;
  std::string db_;
  std::unique_ptr<ServerProcess> server_;
};

// Whether s has the form "yyyy/mm/dd hh:nn:ss".
bool IsDateTime(const std::string& s);
// The world most suites share (a server without SMTP relay or public host). Tests using it
// drain the mailboxes they look at before they start.
World& SharedWorld();

// A fresh send date (distinct for every call), "yyyy/mm/dd hh:nn:ss".
std::string NextDate();

Fields CheckFields(const Account& a, const std::string& host);
Fields FetchFields(const Account& a, const std::string& command, const std::string& host);
struct Letter {
  std::string to, cc, bcc;  // site addresses, UTF-8
  std::string title, body;  // UTF-8 (may hold TAB and CR LF)
  std::string date;         // empty: NextDate()
};
Fields SendFields(const Account& from, const std::string& host, const Letter& letter);
// The receipt a reader's client sends for a fetched message line.
Fields FeedbackFields(const Account& reader, const std::string& readerHost,
                      const std::vector<std::string>& line);
Fields GetFeedbackFields(const Account& a, const std::string& host);

// Fetches with GETDEL, which removes everything waiting; returns the message lines split at
// TAB (notice lines dropped).
std::vector<std::vector<std::string>> Drain(const World& w, const Account& a);

}  // namespace sorami::sitetest
