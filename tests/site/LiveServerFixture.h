// The client's side of the tests against the real site service: a served database with the
// public site "広場" and its members たろう and はなこ, the session pointed at it, and the account
// check and send the windows run.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Codepage.h"
#include "platform/HttpClient.h"
#include "server/ServerProcess.h"
#include "shell/ConnectionCheck.h"
#include "site/SendHttp.h"
#include "support/AppFixture.h"

namespace sorami::test {

using sitetest::RunServerCommand;
using sitetest::ServerProcess;

class LiveServer : public test::AppTest {
 protected:
  void SetUp() override {
    db_ = (dir / "site.db").string();
    Admin({"init"});
    server_ = std::make_unique<ServerProcess>(
        std::vector<std::string>{"--db", db_, "--listen", "127.0.0.1:0"}, dir / "server.log");
    Admin({"addsite", "広場", "--host", server_->address(), "--user", "hiroba", "--public"});
    Admin({"adduser", "広場", "たろう", "taro pw%"});
    Admin({"adduser", "広場", "はなこ", "hana"});
    st->site.http = MakeQtHttpClient({3000, 5000});
    st->site.directory_host = server_->address();
  }

  void Admin(std::vector<std::string> args) {
    args.push_back("--db");
    args.push_back(db_);
    const auto r = RunServerCommand(args, dir.path());
    ASSERT_EQ(r.exitCode, 0) << args[0] << ": " << r.err;
  }

  // Checks the account as the connection check does and records it as enabled.
  void Login(const char* nick, const char* pass) {
    SetEditKairo(st->settei, Utf8ToCp932("広場"));
    SetEditAccount(st->settei, Utf8ToCp932(nick));
    SetEditPassword(st->settei, Utf8ToCp932(pass));
    ASSERT_TRUE(ExecTest(*st, msg)) << Cp932ToUtf8(msg);
    RecordCheckedAccount(st->settei, st->log);
  }

  // Sends a message from the current account (url-encoded, or multipart with files).
  bool Send(const std::string& to, const std::string& title, const std::string& body,
            const std::string& date) {
    const std::vector<std::string> fields = {"COMMAND=SENDWIN",
                                             "FROMSITE=" + st->cur.site,
                                             "FROMNAME=" + st->cur.nickname,
                                             "USERPASS=" + st->cur.password,
                                             "TONAME=" + Utf8ToCp932(to),
                                             "TITLE=" + Utf8ToCp932(title),
                                             "HONBUN=" + Utf8ToCp932(body),
                                             "FROMDATE=" + date};
    const SiteAnswer a = SendHTTP(st->site, SiteRequest::kSendWin, st->cur.host, fields);
    msg = a.msg;
    return a.ok();
  }

  std::string db_;
  std::unique_ptr<ServerProcess> server_;
};

}  // namespace sorami::test
