#include <gtest/gtest.h>

#include "compose/Addresses.h"
#include "platform/Codepage.h"

namespace sorami {
namespace {

std::string J(const char* utf8) { return Utf8ToCp932(utf8); }

class AddressesTest : public ::testing::Test {
 protected:
  AddressesTest() { log.Attach(); }
  std::string Auto(const std::string& text, bool automatic,
                   const std::vector<AddressEntry>& list = {}) {
    std::string to = text, cc, bcc;
    KankeiJidouSettei(log, automatic, list, "S", to, cc, bcc);
    return to;
  }
  DiagLog log;
};

TEST_F(AddressesTest, ARecipientTextSplitsIntoSiteAndMailAddresses) {
  std::string site;
  std::vector<std::string> mails;
  bool mail = false, on_site = false;
  AtesakiBunri(log, "x, a@example.jp", site, mails, mail, on_site);
  EXPECT_EQ(site, "x");
  EXPECT_EQ(mails, std::vector<std::string>{"a@example.jp"});
  EXPECT_TRUE(mail && on_site);

  mails.clear();
  mail = on_site = false;
  AtesakiBunri(log, J("x　y"), site, mails, mail, on_site);  // a full-width blank separates
  EXPECT_EQ(site, "x,y");
  EXPECT_TRUE(mails.empty());
  EXPECT_FALSE(mail);

  // "、" separates beside a mail address too; a name before "<address>" is no site recipient.
  ASSERT_TRUE(AtesakiBunri(log, J("はなこ、someone@example.com,,けんじ <kenji@example.org>"), site,
                           mails, mail, on_site));
  EXPECT_EQ(site, J("はなこ"));
  EXPECT_EQ(mails, (std::vector<std::string>{"someone@example.com", "kenji@example.org"}));

  // A piece with "@" that no server can take is refused, named, and in neither list.
  mails.clear();
  std::string bad;
  EXPECT_FALSE(AtesakiBunri(log, "y taro@,@example.com a@b.jp", site, mails, mail, on_site, &bad));
  EXPECT_EQ(bad, "taro@");
  EXPECT_EQ(site, "y");
  EXPECT_EQ(mails, std::vector<std::string>{"a@b.jp"});

  mail = on_site = false;
  AtesakiBunri(log, " , ", site, mails, mail, on_site);  // no address: the flags stay
  EXPECT_FALSE(mail || on_site);
}

TEST_F(AddressesTest, SiteAddressesBecomeCanonicalWithTheRelationFromTheAddressList) {
  EXPECT_EQ(Auto(J("x、y"), false), "x%S,y%S");
  EXPECT_EQ(Auto(J("x％別館"), false), "x%" + J("別館"));
  EXPECT_EQ(Auto("x,,y", false), "x%S,y%S");  // an empty piece names nobody

  const std::vector<AddressEntry> list = {
      {"x", J("家族"), "x"}, {J("z、w"), J("面識無し"), "zw"}, {"q", J("上司"), "q"}};
  EXPECT_EQ(Auto("x,y,w,q", true, list), "x%S/1,y%S/9,w%S/5,q%S/-1");
  EXPECT_EQ(Auto("x%T/3", true, list), "x%T/3");  // a piece with "/" keeps its number
}

TEST_F(AddressesTest, TablesSearchAndTheMultiRecipientList) {
  EXPECT_EQ(RelationTable()[5].code, "9");
  EXPECT_EQ(SearchKankei(log, J("面識無し")), 5);
  EXPECT_EQ(SearchKankei(log, J("他人")), -1);
  EXPECT_EQ(CategoryTable()[1].name, J("一般連絡"));

  std::string list;
  SetFukusuuList(log, " x%S ,, y%S", list);
  SetFukusuuList(log, "z%S", list);
  EXPECT_EQ(list, "x%S,y%S,z%S");

  std::vector<AddressEntry> many(60, {"a,b", J("知人"), "ab"});
  EXPECT_EQ(SetKankeiList(log, many).size(), kMaxKankeiPairs);
}

}  // namespace
}  // namespace sorami
