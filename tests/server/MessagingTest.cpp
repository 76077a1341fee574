// Sending (SENDWIN) and fetching (GET, GETDEL) over real HTTP.
#include <gtest/gtest.h>

#include "World.h"

namespace sorami::sitetest {
namespace {

class Messaging : public OnSharedWorld {
 protected:
  Reply Send(const Account& from, const Letter& l) {
    return world->Message(SendFields(from, world->address(), l));
  }
  Reply Fetch(const Account& a, const char* command) {
    return world->Message(FetchFields(a, command, world->address()));
  }
};

TEST_F(Messaging, DeliversTheTwentyThreeFieldsToEveryRecipientWithTabAndCrLfEscaped) {
  const std::string date = NextDate();
  Reply r = Send(
      kTaro, {"はなこ%広場/2", "じろう%別館/9", "", "件\t名", "1行目\r\n2行目\tx\ry\nz\r\n", date});
  ASSERT_TRUE(r.ok) << Utf(r.status);
  EXPECT_EQ(Utf(r.message), "送信完了");
  ASSERT_EQ(r.lines.size(), 1u);
  EXPECT_NE(Utf(r.lines[0]).find("送信受付完了"), std::string::npos);

  auto hanako = Drain(*world, kHanako);
  auto jiro = Drain(*world, kJiro);
  ASSERT_EQ(hanako.size(), 1u);
  ASSERT_EQ(jiro.size(), 1u);
  const std::vector<std::string>& f = hanako[0];
  ASSERT_EQ(f.size(), 23u);
  // Number, To, title, body (TAB as 0C 08, CR LF as 0C 0B), send date, server number (#),
  // sender, receive time (#), -, send date, sender's site, host, folder and system user, -,
  // the recipient's system user, relation, kind, dynamic key, attachments, Cc, -, -.
  std::vector<std::string> want =
      SplitTabs(Sj("1\tはなこ%広場/2\t件\f\b名\t1行目\f\v2行目\f\bx\ry\nz\f\v\t" + date +
                   "\t#\tたろう\t#\t\t" + date + "\t広場\t" + world->address() +
                   "\t受信箱\thiroba\t\thiroba\t知人\t一般連絡\t\t\tじろう%別館/9\t\t"));
  want[5] = f[5];
  want[7] = f[7];
  EXPECT_EQ(f, want);
  EXPECT_GT(std::stoi(f[5]), 0);
  EXPECT_TRUE(IsDateTime(f[7])) << f[7];
  // Each recipient has its own server number and its own system user in field 16.
  EXPECT_NE(jiro[0][5], f[5]);
  EXPECT_EQ(jiro[0][15], "bekkan");

  // A sender on a site with a dynamic-host key passes that key on in field 19.
  ASSERT_TRUE(Send(kJiro, {"はなこ%広場", "", "", "t", "b", ""}).ok);
  auto fromJiro = Drain(*world, kHanako);
  ASSERT_EQ(fromJiro.size(), 1u);
  EXPECT_EQ(fromJiro[0][18], "DYN$bekkan");
  EXPECT_EQ(fromJiro[0][13], "bekkan");
}

TEST_F(Messaging, GetLeavesMessagesAndGetdelRemovesThem) {
  ASSERT_TRUE(Send(kTaro, {"はなこ%広場", "", "", "残す", "x", ""}).ok);
  Reply first = Fetch(kHanako, "GET");
  ASSERT_EQ(first.lines.size(), 1u);
  EXPECT_EQ(Utf(first.message), "新着 1 件");
  EXPECT_EQ(Fetch(kHanako, "GET").lines, first.lines);
  EXPECT_EQ(Fetch(kHanako, "GETDEL").lines, first.lines);
  Reply after = Fetch(kHanako, "GET");
  EXPECT_TRUE(after.ok);
  EXPECT_TRUE(after.lines.empty());
}

TEST_F(Messaging, AnUnknownAddressRefusesTheWholeSendAndNamesIt) {
  for (const char* bad : {"だれか%広場", "はなこ%無いサイト", "someone@example.jp"}) {
    Reply r = Send(kTaro, {"じろう%別館", std::string("はなこ%広場,") + bad, "", "t", "b", ""});
    EXPECT_FALSE(r.ok);
    EXPECT_NE(Utf(r.status).find(bad), std::string::npos) << Utf(r.status);
  }
  EXPECT_TRUE(Drain(*world, kHanako).empty());
  EXPECT_TRUE(Drain(*world, kJiro).empty());
}

TEST_F(Messaging, AddressFormsOfTheClientAllReachTheirMember) {
  // No site: the sender's own; full-width ％ and 、 as a multipart send carries them; the same
  // member named twice (To and Bcc) gets one copy; blanks around pieces are ignored.
  ASSERT_TRUE(Send(kTaro, {"はなこ", "", "", "t", "b", ""}).ok);
  ASSERT_TRUE(Send(kTaro, {"はなこ％広場/3、じろう％別館", "", "はなこ%広場", "t", "b", ""}).ok);
  ASSERT_TRUE(Send(kTaro, {" ソ表%秘密 , ", "", "", "t", "b", ""}).ok);
  EXPECT_EQ(Drain(*world, kHanako).size(), 2u);
  EXPECT_EQ(Drain(*world, kJiro).size(), 1u);
  EXPECT_EQ(Drain(*world, kSohyo).size(), 1u);
}

TEST_F(Messaging, WrongPasswordsAndIncompleteRequestsAreRefused) {
  const Fields good = SendFields(kTaro, world->address(), {"はなこ%広場", "", "", "t", "b", ""});
  auto with = [&](const std::string& name, const std::string& value) {
    Fields f = good;
    for (auto& [n, v] : f) v = n == name ? value : v;
    return f;
  };
  for (const Fields& f : {with("USERPASS", "wrong"), with("FROMDATE", ""), with("TONAME", "")}) {
    Reply r = world->Message(f);
    EXPECT_EQ(r.httpStatus, 200);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.status.empty());
  }
  Fields smtp = with("COMMAND", "SENDSMTP");
  smtp.push_back({"SMTPFROM", "taro@example.jp"});
  EXPECT_EQ(Utf(world->Message(smtp).status), "SMTP中継ホスト未設定");  // this server has none
  EXPECT_TRUE(Drain(*world, kHanako).empty());

  EXPECT_TRUE(world->Message(CheckFields(kTaro, world->address())).ok);
  Account wrong = kTaro, unknownSite = kHanako, unknownNick = kHanako;
  wrong.pass = "taro";
  unknownSite.site = "無い";
  unknownNick.nick = "だれか";
  EXPECT_EQ(Utf(world->Message(CheckFields(wrong, world->address())).status),
            "ニックネームまたはパスワードが違います");
  for (const Account& a : {wrong, unknownSite, unknownNick}) {
    Reply r = Fetch(a, "GET");
    EXPECT_FALSE(r.ok) << Utf(r.status);
    EXPECT_TRUE(r.lines.empty());
  }
}

TEST_F(Messaging, TheNoticeIsALineOfEveryFetchUntilRemoved) {
  world->Admin({"notice", "保守のお知らせ\t夜間"});
  ASSERT_TRUE(Send(kTaro, {"はなこ%広場", "", "", "t", "b", ""}).ok);
  Reply r = Fetch(kHanako, "GET");
  ASSERT_EQ(r.lines.size(), 2u);
  EXPECT_EQ(r.lines[0], "SYS\t" + Sj("保守のお知らせ\f\b夜間"));
  world->Admin({"notice", ""});
  EXPECT_EQ(Fetch(kHanako, "GET").lines, std::vector<std::string>{r.lines[1]});
}

TEST_F(Messaging, LongUrlEncodedBodiesArriveWhole) {
  std::string body;
  for (int i = 0; i < 4000; ++i) body += "長文";  // 16,000 bytes, 48,000 once encoded
  ASSERT_TRUE(Send(kTaro, {"はなこ%広場", "", "", "長い", body, ""}).ok);
  auto lines = Drain(*world, kHanako);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0][3], Sj(body));
}

}  // namespace
}  // namespace sorami::sitetest
