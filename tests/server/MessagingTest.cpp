// Sending (SENDWIN) and fetching (GET, GETDEL, notices) over real HTTP.
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
}

TEST_F(Messaging, GetLeavesMessagesGetdelRemovesThemAndTheNoticeLeadsEveryFetch) {
  world->Admin({"notice", "保守のお知らせ\t夜間"});
  ASSERT_TRUE(Send(kTaro, {"はなこ%広場", "", "", "残す", "x", ""}).ok);
  Reply first = Fetch(kHanako, "GET");
  ASSERT_EQ(first.lines.size(), 2u);
  EXPECT_EQ(Utf(first.message), "新着 1 件");
  EXPECT_EQ(first.lines[0], "SYS\t" + Sj("保守のお知らせ\f\b夜間"));
  EXPECT_EQ(Fetch(kHanako, "GET").lines, first.lines);
  world->Admin({"notice", ""});
  EXPECT_EQ(Fetch(kHanako, "GETDEL").lines, std::vector<std::string>{first.lines[1]});
  Reply after = Fetch(kHanako, "GET");
  EXPECT_TRUE(after.ok);
  EXPECT_TRUE(after.lines.empty());
}

TEST_F(Messaging, AddressFormsOfTheClientReachTheirMemberAndAnUnknownOneRefusesTheSend) {
  // No site: the sender's own; full-width ％ and 、 as a multipart send carries them; the same
  // member named twice (To and Bcc) gets one copy; blanks around pieces are ignored.
  ASSERT_TRUE(Send(kTaro, {"はなこ", "", "", "t", "b", ""}).ok);
  ASSERT_TRUE(Send(kTaro, {"はなこ％広場/3、じろう％別館", "", "はなこ%広場", "t", "b", ""}).ok);
  ASSERT_TRUE(Send(kTaro, {" ソ表%秘密 , ", "", "", "t", "b", ""}).ok);
  for (const char* bad : {"だれか%広場", "はなこ%無いサイト"}) {
    Reply r = Send(kTaro, {"じろう%別館", std::string("はなこ%広場,") + bad, "", "t", "b", ""});
    EXPECT_FALSE(r.ok);
    EXPECT_NE(Utf(r.status).find(bad), std::string::npos) << Utf(r.status);
  }
  EXPECT_EQ(Drain(*world, kHanako).size(), 2u);
  EXPECT_EQ(Drain(*world, kJiro).size(), 1u);
  EXPECT_EQ(Drain(*world, kSohyo).size(), 1u);
}

TEST_F(Messaging, WrongPasswordsAndIncompleteRequestsAreRefused) {
  // USERPASS wrong, FROMDATE or TONAME empty.
  for (auto [field, value] : {std::pair{18, "wrong"}, {13, ""}, {10, ""}}) {
    Fields f = SendFields(kTaro, world->address(), {"はなこ%広場", "", "", "t", "b", ""});
    f[field].second = value;
    Reply r = world->Message(f);
    EXPECT_EQ(r.httpStatus, 200);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.status.empty());
  }
  EXPECT_TRUE(Drain(*world, kHanako).empty());
  // A wrong password, an unknown site, an unknown nickname.
  for (const Account& a :
       {Account{"広場", "たろう", "taro", "hiroba"}, Account{"無い", "はなこ", "hana-pw", "hiroba"},
        Account{"広場", "だれか", "hana-pw", "hiroba"}}) {
    Reply r = Fetch(a, "GET");
    EXPECT_FALSE(r.ok) << Utf(r.status);
    EXPECT_TRUE(r.lines.empty());
  }
}

}  // namespace
}  // namespace sorami::sitetest
