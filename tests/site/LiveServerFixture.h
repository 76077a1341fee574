// The client's side of the tests against the real site service: the shared world (tests/support)
// with the session pointed at it, and the account check and send the windows run.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Codepage.h"
#include "platform/HttpClient.h"
#include "shell/ConnectionCheck.h"
#include "site/SendHttp.h"
#include "support/AppFixture.h"
#include "support/SiteWorld.h"

namespace sorami::test {

class LiveServer : public test::AppTest {
 protected:
  LiveServer() { UseService(*st); }

  // A run pointed at the service.
  void UseService(AppState& run) {
    run.site.http = MakeQtHttpClient({3000, 5000});
    run.site.directory_host = world.address();
  }

  // Checks the member's account as the connection check does and records it as enabled.
  void Login(const Member& m, AppState* run = nullptr) {
    AppState& s = run ? *run : *st;
    SetEditKairo(s.settei, Utf8ToCp932(m.site));
    SetEditAccount(s.settei, Utf8ToCp932(m.nick));
    SetEditPassword(s.settei, Utf8ToCp932(m.pass));
    ASSERT_TRUE(ExecTest(s, msg)) << Cp932ToUtf8(msg);
    RecordCheckedAccount(s.settei, s.log);
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

  SiteWorld world;
};

}  // namespace sorami::test
