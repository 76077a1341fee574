// The 32 Japanese messages of letters-ja: each must give the subject, addresses, body text
// and attachments a reader sees in it, whatever its charset, transfer encoding and structure.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "MailTestUtil.h"
#include "mail/mime/MailDate.h"

namespace sorami {
namespace {

using test::U8;

// The body a reader sees in every message (the text/plain rendering).
const char* const kBody =
    "色は匂えど\r\n散りぬるを\r\n我が世誰ぞ\r\n常ならん\r\n有為の奥山\r\n今日越えて\r\n"
    "浅き夢見じ\r\n酔いもせず。\r\n\r\n"
    "Iro wa nioedo / Chirinuru o / Wa ga yo tare zo / Tsune naran / Ui no okuyama / Kyo koete "
    "Asaki yume miji / Yoi mo sezu.\r\n\r\n"
    "とりなくこゑすゆめさませみよあけわたるひんかしをそらいろはえておきつへにほふねむれゐぬもやのう"
    "ち。"
    "\r\n\r\n天地星空\r\n山川峰谷\r\n雲霧室苔\r\n人犬上末\r\n硫黄猿生ふ為よ\r\n榎の枝を馴れ居て。\r"
    "\n\r\n"
    "田居に出で菜摘むわれをぞ君召すと求食り追ひゆく山城の打酔へる子ら藻葉干せよえ舟繋けぬ。";

struct Expected {
  std::string name;
  size_t size;
  std::string content_type, starts_with;
};

const std::vector<Expected> kJpegInline = {
    {"inline-jpg-image-filename.jpg", 107, "image/jpeg", "\xFF\xD8\xFF\xDB"}};
const std::vector<Expected> kMixed = {
    {"inline-jpg-image-without-disposition.jpg", 107, "image/jpeg", "\xFF\xD8\xFF\xDB"},
    {"inline-jpg-image-filename.jpg", 107, "image/jpeg", "\xFF\xD8\xFF\xDB"},
    {"attached-pdf-filename.pdf", 67, "application/pdf", "%PDF-1.\r"},
    {"attached-pdf-without-disposition.pdf", 67, "application/pdf", "%PDF-1.\r"},
    {"attached-json-filename.json", 13, "application/json", "{\"foo\":\"bar\"}"},
    {"attached-text-plain-filename.txt", 44, "text/plain",
     "Text/plain content as an attached .txt file."},
    {"attached-text-html-filename.html", 44, "text/html",
     "Text/html content as an attached .html file."}};
const std::vector<Expected> kSigned = {
    {"smime.p7s", 143, "application/pkcs7-signature", "\x82\x1C\x87\x84"}};

class Letters : public ::testing::TestWithParam<std::string> {
  test::LocalZone jst_{"JST-9"};
};

TEST_P(Letters, ReadsAsTheReaderSeesIt) {
  const std::string file = GetParam();
  const TVexMsg msg = test::ParseMail(test::MailData("letters-ja/test_japanese_" + file + ".txt"));
  const bool is_signed = file.starts_with("multipart_signed");

  // The mail emoji of the subject has no place in code page 932.
  EXPECT_EQ(U8(msg.Subject), is_signed ? "〓 Signed Test いろは歌" : "〓 Test いろは歌");
  EXPECT_EQ(U8(msg.From),
            "郵便アリス <alice.yuubin@example.com>, 郵便アリス <alice.yuubin@example.net>");
  EXPECT_EQ(U8(msg.Sender), "\"郵便アリス\" <alice.yuubin@example.com>");
  EXPECT_EQ(U8(msg.ReplyTo), "郵便アリス <alice.yuubin@example.net>");
  EXPECT_EQ(U8(msg.SendTo),
            "郵便ボブ<bob.yuubin@example.com>,郵便キャロル<carol.yuubin@example.com>");
  EXPECT_EQ(U8(msg.CC), "郵便ダン<dan.yuubin@example.com>,郵便イーブ<eve.yubin@example.com>");
  EXPECT_EQ(msg.MessageId, "<Message-Id-1@example.com>");
  EXPECT_EQ(msg.InReplyTo, "<Message-Id-0@example.com>");
  EXPECT_EQ(FormatMailDateTime(msg.DateValue), "2019/04/01 07:55:00");
  EXPECT_EQ(U8(msg.BodyText()), kBody);

  const std::vector<Expected>& want = file.starts_with("plaintext") ? std::vector<Expected>{}
                                      : file.starts_with("multipart_related") ? kJpegInline
                                      : file.starts_with("multipart_mixed")   ? kMixed
                                                                              : kSigned;
  std::vector<const TAttachedFile*> files;
  for (const TAttachedFile& a : msg.Attachments) {
    if (a.BodyAlternative) {
      // The HTML rendering of the body: there, but not a file the sender attached.
      EXPECT_EQ(a.ContentType, "text/html");
      EXPECT_NE(a.Data.find("<html>"), std::string::npos);
      continue;
    }
    files.push_back(&a);
  }
  ASSERT_EQ(files.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(files[i]->Name, want[i].name);
    EXPECT_EQ(files[i]->Data.size(), want[i].size) << want[i].name;
    EXPECT_EQ(files[i]->ContentType, want[i].content_type);
    EXPECT_EQ(files[i]->Data.substr(0, want[i].starts_with.size()), want[i].starts_with);
  }
}

std::vector<std::string> AllLetters() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(test::DataFile("mail/letters-ja"))) {
    const std::string f = entry.path().filename().string();
    if (f.starts_with("test_japanese_")) names.push_back(f.substr(14, f.size() - 14 - 4));
  }
  std::sort(names.begin(), names.end());
  return names;
}

INSTANTIATE_TEST_SUITE_P(LettersJa, Letters, ::testing::ValuesIn(AllLetters()),
                         [](const auto& info) {  // "-" is no character of a test name
                           std::string n = info.param;
                           std::replace(n.begin(), n.end(), '-', '_');
                           return n;
                         });

TEST(LettersCorpus, HoldsAllThirtyTwoMessages) { EXPECT_EQ(AllLetters().size(), 32u); }

}  // namespace
}  // namespace sorami
