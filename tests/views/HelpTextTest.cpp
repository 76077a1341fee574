#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/AtomicFile.h"
#include "platform/Codepage.h"
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

// The shipped topics: each reads, opens with its own name as the heading, and describes the
// program as it is (no topic promises a feature "being written" or "in preparation").
TEST(HelpTextTest, EveryShippedTopicReadsUnderItsNameAndPromisesNothingUnbuilt) {
  const auto help = std::filesystem::path(std::getenv("SORAMI_TEST_DATA")) / ".." / ".." / "help";
  int topics = 0;
  for (const auto& e : std::filesystem::directory_iterator(help)) {
    if (e.path().extension() != ".rtf") continue;
    ++topics;
    const std::string name = e.path().stem().string();
    std::string rtf;
    ASSERT_TRUE(ReadWholeFile(e.path(), rtf)) << name;
    const std::vector<HelpParagraph> ps = ReadHelpRtf(rtf);
    ASSERT_FALSE(ps.empty()) << name;
    ASSERT_FALSE(ps[0].runs.empty()) << name;
    EXPECT_EQ(Cp932ToUtf8(ps[0].runs[0].text), name);
    const std::string text = Cp932ToUtf8(HelpPlainText(ps));
    for (const char* unbuilt : {"作成中", "準備中"}) {
      EXPECT_EQ(text.find(unbuilt), std::string::npos) << name << " says " << unbuilt;
    }
  }
  EXPECT_EQ(topics, 14);
}

}  // namespace
}  // namespace sorami
