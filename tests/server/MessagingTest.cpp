// Sending (SENDWIN) and fetching (GET, GETDEL) over real HTTP.
#include <gtest/gtest.h>

#include "World.h"

namespace sorami::sitetest {
namespace {

class Messaging : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { world = &SharedWorld(); }
  void SetUp() override {
    for (const Account* a : {&kHanako, &kTaro, &kJiro, &kSohyo}) Drain(*world, *a);
  }
  static Reply Send(const Account& from, const Letter& l) {
    return world->Message(SendFields(from, world->address(), l));
  }
  static World* world;
};
World* Messaging::world = nullptr;

TEST_F(Messaging, DeliversTheTwentyThreeFieldsToEveryRecipient) {
  const std::string date = NextDate();
  Reply r = Send(kTaro, {"はなこ%広場/2", "じろう%別館/9", "", "件名", "本文", date});
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
  const std::vector<std::string> expected = {"1",
                                             Sj("はなこ%広場/2"),
                                             Sj("件名"),
                                             Sj("本文"),
                                             date,
                                             f[5],
                                             Sj("たろう"),
                                             f[7],
                                             "",
                                             date,
                                             Sj("広場"),
                                             world->address(),
                                             Sj("受信箱"),
                                             "hiroba",
                                             "",
                                             "hiroba",
                                             Sj("知人"),
                                             Sj("一般連絡"),
                                             "",
                                             "",
                                             Sj("じろう%別館/9"),
                                             "",
                                             ""};
  EXPECT_EQ(f, expected);
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

TEST_F(Messaging, TabAndCrLfInsideValuesAreDeliveredEscaped) {
  ASSERT_TRUE(Send(kTaro, {"はなこ%広場", "", "", "a\tb", "1行目\r\n2行目\tx\r\n", ""}).ok);
  Reply r = world->Message(FetchFields(kHanako, "GETDEL", world->address()));
  ASSERT_EQ(r.lines.size(), 1u);
  std::vector<std::string> f = SplitTabs(r.lines[0]);
  ASSERT_EQ(f.size(), 23u);
  EXPECT_EQ(f[2],
            "a\x0C\x08"
            "b");
  EXPECT_EQ(f[3], Sj("1行目") + "\x0C\x0B" + Sj("2行目") + "\x0C\x08x\x0C\x0B");
}

TEST_F(Messaging, GetLeavesMessagesAndGetdelRemovesThem) {
  ASSERT_TRUE(Send(kTaro, {"はなこ%広場", "", "", "残す", "x", ""}).ok);
  Reply first = world->Message(FetchFields(kHanako, "GET", world->address()));
  Reply second = world->Message(FetchFields(kHanako, "GET", world->address()));
  ASSERT_EQ(first.lines.size(), 1u);
  EXPECT_EQ(second.lines, first.lines);
  EXPECT_EQ(Utf(first.message), "新着 1 件");
  Reply removed = world->Message(FetchFields(kHanako, "GETDEL", world->address()));
  EXPECT_EQ(removed.lines, first.lines);
  Reply after = world->Message(FetchFields(kHanako, "GET", world->address()));
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

TEST_F(Messaging, RefusedSendsAndFetches) {
  Fields wrongPass = SendFields(kTaro, world->address(), {"はなこ%広場", "", "", "t", "b", ""});
  wrongPass.back().second = "wrong";
  Fields noDate = SendFields(kTaro, world->address(), {"はなこ%広場", "", "", "t", "b", ""});
  for (auto& [name, value] : noDate) {
    if (name == "FROMDATE") value = "";
  }
  Fields nobody = SendFields(kTaro, world->address(), {"", "", "", "t", "b", ""});
  for (const Fields& f : {wrongPass, noDate, nobody}) {
    Reply r = world->Message(f);
    EXPECT_EQ(r.httpStatus, 200);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.status.empty());
  }
  EXPECT_TRUE(Drain(*world, kHanako).empty());

  Account wrong = kHanako;
  wrong.pass = "nope";
  Account unknownSite = kHanako;
  unknownSite.site = "無い";
  Account unknownNick = kHanako;
  unknownNick.nick = "だれか";
  for (const Account& a : {wrong, unknownSite, unknownNick}) {
    Reply r = world->Message(FetchFields(a, "GET", world->address()));
    EXPECT_FALSE(r.ok) << Utf(r.status);
    EXPECT_TRUE(r.lines.empty());
  }
}

TEST_F(Messaging, CheckAcceptsTheRightPasswordOnly) {
  Reply good = world->Message(CheckFields(kTaro, world->address()));
  EXPECT_TRUE(good.ok) << Utf(good.status);
  Account wrong = kTaro;
  wrong.pass = "taro";
  Reply bad = world->Message(CheckFields(wrong, world->address()));
  EXPECT_FALSE(bad.ok);
  EXPECT_EQ(Utf(bad.status), "ニックネームまたはパスワードが違います");
}

TEST_F(Messaging, TheNoticeIsALineOfEveryFetchUntilRemoved) {
  world->Admin({"notice", "保守のお知らせ\t夜間"});
  ASSERT_TRUE(Send(kTaro, {"はなこ%広場", "", "", "t", "b", ""}).ok);
  Reply r = world->Message(FetchFields(kHanako, "GET", world->address()));
  ASSERT_EQ(r.lines.size(), 2u);
  EXPECT_EQ(r.lines[0], "SYS\t" + Sj("保守のお知らせ") + "\x0C\x08" + Sj("夜間"));
  world->Admin({"notice", ""});
  Reply after = world->Message(FetchFields(kHanako, "GET", world->address()));
  ASSERT_EQ(after.lines.size(), 1u);
  EXPECT_EQ(after.lines[0], r.lines[1]);
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
