#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Codepage.h"
#include "support/Scratch.h"
#include "views/HelpText.h"

namespace sorami {
namespace {

TEST(HelpTextTest, ReadsHeadingsBoldRunsEscapesAndDoubleByteCharacters) {
  // ソ is 83 5C: its second byte is a backslash and must stay a byte of the text.
  const std::string rtf =
      "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset128 MS UI Gothic;}}"
      "{\\*\\generator x;}\\fs20 {\\b\\fs28 \\'83\\'5c\\'83\\'89\\par}"
      "Press {\\b OK}, \\{a\\} \\\\ b\\unknown12 c\\par\n\\par\nend}";
  const std::vector<HelpParagraph> ps = ReadHelpRtf(rtf);
  ASSERT_EQ(ps.size(), 4u);
  ASSERT_EQ(ps[0].runs.size(), 1u);
  EXPECT_EQ(ps[0].runs[0].text, "ソラ"_cp932);
  EXPECT_EQ(ps[0].runs[0].text, "\x83\x5c\x83\x89");
  EXPECT_TRUE(ps[0].runs[0].bold);
  EXPECT_EQ(ps[0].runs[0].half_points, 28);
  // The group restored plain 10 points; "\unknown12 " is dropped with its delimiter.
  ASSERT_EQ(ps[1].runs.size(), 3u);
  EXPECT_EQ(ps[1].runs[0].text, "Press ");
  EXPECT_FALSE(ps[1].runs[0].bold);
  EXPECT_EQ(ps[1].runs[0].half_points, 20);
  EXPECT_EQ(ps[1].runs[1].text, "OK");
  EXPECT_TRUE(ps[1].runs[1].bold);
  EXPECT_EQ(ps[1].runs[1].half_points, 20);
  EXPECT_EQ(ps[1].runs[2].text, ", {a} \\ bc");
  EXPECT_FALSE(ps[1].runs[2].bold);
  EXPECT_TRUE(ps[2].runs.empty());  // an empty paragraph is kept
  EXPECT_EQ(HelpPlainText(ps), "ソラ\r\nPress OK, {a} \\ bc\r\n\r\nend"_cp932);
}

TEST(HelpTextTest, BoldOffAndDamagedInputDoNotBreakTheReader) {
  const auto ps = ReadHelpRtf("\\b x\\b0 y}}{\\'8");
  ASSERT_EQ(ps.size(), 1u);
  ASSERT_EQ(ps[0].runs.size(), 2u);
  EXPECT_TRUE(ps[0].runs[0].bold);
  EXPECT_EQ(ps[0].runs[1].text, "y8");
  EXPECT_TRUE(ReadHelpRtf("{\\fonttbl{\\f0 a\\}b;}").empty());
}

TEST(HelpTextTest, EveryTopicFileReadsAndSpeaksOfItsSubject) {
  const std::pair<const char*, const char*> topics[] = {
      {"概要", "ソラミメッセージ"},         {"メイン画面", "最新取得"},
      {"用語説明", "ダイナミックホスト"},   {"カイロＩＤの設定", "接続確認"},
      {"カイロＩＤの入力", "ニックネーム"}, {"メッセージ送信", "送信画面"},
      {"メッセージ受信", "受信箱"},         {"宛先リスト", "送信先リスト"},
      {"クレーム報告", "クレーム"},         {"サイト一覧", "公開"},
      {"設定(アカウント設定)", "登録"},     {"設定(メール)", "POP3"},
      {"設定(送受信ログ)", "ログ"},         {"設定(フォルダ設定)", "反映する"}};
  for (const auto& [topic, word] : topics) {
    SCOPED_TRACE(topic);
    const auto file = test::DataFile("../../help") / (std::string(topic) + ".rtf");
    ASSERT_TRUE(std::filesystem::exists(file));
    const auto ps = ReadHelpRtf(test::ReadFileBytes(file));
    ASSERT_GE(ps.size(), 10u);
    ASSERT_FALSE(ps[0].runs.empty());
    EXPECT_TRUE(ps[0].runs[0].bold);  // the heading
    EXPECT_EQ(ps[0].runs[0].half_points, 28);
    const std::string plain = HelpPlainText(ps);
    EXPECT_NE(plain.find(Utf8ToCp932(word)), std::string::npos);
    EXPECT_EQ(plain.find("Gothic"), std::string::npos) << "the font table was read as text";
    EXPECT_EQ(plain.find("\\par"), std::string::npos) << "a control word was read as text";
  }
}

}  // namespace
}  // namespace sorami
