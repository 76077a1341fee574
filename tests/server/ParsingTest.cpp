// Unit tests of the service's readers of names, addresses, bodies and queries.
#include <gtest/gtest.h>

#include "Form.h"
#include "Names.h"
#include "Wire.h"

namespace sorami::site {
namespace {

using sitetest::Sj;

TEST(CleanAttachmentName, KeepsOnlyASafeBareName) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"C:\\dir\\file.txt", "file.txt"},
      {"/a/b/c.bin", "c.bin"},
      {"..\\..\\x", "x"},
      {"..", "tenpu"},
      {"", "tenpu"},
      {"C:evil.txt", "evil.txt"},
      {"a\x01\x1F\x7F"
       "b\tc",
       "abc"},
      {"a,b#c?d<e>f|g*h\"i:j.txt", "a_b_c_d_e_f_g_h_i_j.txt"},
      {".hidden", "hidden"},
      {"name. . ", "name"},
      {Sj("フォルダ\\ソ.txt"), Sj("ソ.txt")},  // ソ is 0x83 0x5C: not a separator
      {Sj("表"), Sj("表")},
      {Sj("C:\\表\\能"), Sj("能")},
      {"a\x83", "a"},  // half a character at the end
  };
  for (const auto& [sent, expected] : cases) {
    EXPECT_EQ(CleanAttachmentName(sent), expected) << sent;
  }
  std::string longName;
  for (int i = 0; i < 150; ++i) longName += Sj("あ");
  std::string cut = CleanAttachmentName("x" + longName);
  EXPECT_LE(cut.size(), 200u);
  EXPECT_EQ(cut.size() % 2, 1u);  // "x" and whole two-byte characters only
}

TEST(CleanAttachmentName, NamesWithinOneMessageAreMadeUnique) {
  EXPECT_EQ(AttachmentNames({"a.txt", "C:\\x\\a.txt", "a.txt", "b"}),
            (std::vector<std::string>{"a.txt", "a_2.txt", "a_3.txt", "b"}));
  EXPECT_EQ(AttachmentNames({"a.txt", "a_2.txt", "a.txt", "x", "x"}),
            (std::vector<std::string>{"a.txt", "a_2.txt", "a_3.txt", "x", "x_2"}));
}

TEST(ParseSiteAddresses, ReadsTheFormsClientsSend) {
  std::vector<SiteAddress> a =
      ParseSiteAddresses(Sj("はなこ%広場/2, たろう ,, じろう％別館/-1、x/y%z,w%v/"), Sj("自分"));
  std::string got;
  for (const SiteAddress& s : a) got += s.nick + "@" + s.site + " ";
  EXPECT_EQ(got, Sj("はなこ@広場 たろう@自分 じろう@別館 x/y@z w@v/ "));
  EXPECT_EQ(a.at(0).text, Sj("はなこ%広場/2"));
  EXPECT_TRUE(ParseSiteAddresses(" , ,", "s").empty());
}

TEST(ParseUrlEncoded, DecodesFieldsAndRejectsBrokenBodies) {
  std::optional<Form> f = ParseUrlEncoded("A=1&B=a+b%25c&C=%82%A0&D=&A=second&");
  ASSERT_TRUE(f);
  EXPECT_EQ(f->Get("A"), "1");  // the first of a repeated name counts
  EXPECT_EQ(f->Get("B"), "a b%c");
  EXPECT_EQ(f->Get("C"), "\x82\xA0");
  EXPECT_TRUE(f->Has("D"));
  EXPECT_EQ(f->Get("D"), "");
  EXPECT_FALSE(f->Has("E"));
  EXPECT_TRUE(ParseUrlEncoded("") && ParseUrlEncoded("")->fields().empty());
  for (const char* bad : {"A=%G1", "A=%4", "A=%", "=x", "A", "A=1&B"}) {
    EXPECT_FALSE(ParseUrlEncoded(bad)) << bad;
  }
}

TEST(ParseTenpuQuery, FindsTheFieldsFromTheEnd) {
  std::optional<TenpuQuery> q = ParseTenpuQuery("FILE=a&b +c.txt&TOUSER=hiroba&TONO=12");
  ASSERT_TRUE(q);
  EXPECT_EQ(q->file, "a&b +c.txt");  // "+" is not a blank here
  EXPECT_EQ(q->user, "hiroba");
  EXPECT_EQ(q->number, "12");
  q = ParseTenpuQuery("FILE=%83%5c.txt&TOUSER=u&TONO=1");
  ASSERT_TRUE(q);
  EXPECT_EQ(q->file, "\x83\x5c.txt");
  q = ParseTenpuQuery("FILE=100%.txt&TOUSER=u&TONO=1");
  ASSERT_TRUE(q);
  EXPECT_EQ(q->file, "100%.txt");
  for (const char* bad :
       {"", "FILE=a", "TOUSER=u&TONO=1", "FILE=a&TONO=1", "X=a&TOUSER=u&TONO=1"}) {
    EXPECT_FALSE(ParseTenpuQuery(bad)) << bad;
  }
}

}  // namespace
}  // namespace sorami::site
