#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "store/StoreFixture.h"
#include "views/Search.h"

namespace sorami {
namespace {

class SearchTest : public test::StoreTest {
 protected:
  std::vector<int32_t> Rows(const std::string& text, SearchMode mode = SearchMode::kAnd) {
    return KensakuJikkou(st->store, st->log, Utf8ToCp932(text), mode).rows;
  }
};

TEST_F(SearchTest, KeywordsSplitAtBlanksOfBothWidthsAndStopAtTen) {
  EXPECT_EQ(SearchKeywords(Utf8ToCp932("  花見　予定  ")),
            (std::vector<std::string>{Utf8ToCp932("花見"), Utf8ToCp932("予定")}));
  const auto eleven = SearchKeywords("a b c d e f g h i j k");
  ASSERT_EQ(eleven.size(), 10u);
  EXPECT_EQ(eleven.back(), "j");
  EXPECT_TRUE(SearchKeywords(Utf8ToCp932(" 　 ")).empty());
}

TEST_F(SearchTest, AKeywordMatchesWholeCharactersOnlyAndKeepsLetterCase) {
  // ソ is 83 5C: its second byte is a backslash, which must not be found inside it.
  EXPECT_FALSE(ContainsChars(Utf8ToCp932("ソ"), "\\"));
  EXPECT_TRUE(ContainsChars(Utf8ToCp932("ソ\\"), "\\"));
  // 宇 is 89 46 ("F" as second byte): "F" is not in it, but is found after it.
  EXPECT_FALSE(ContainsChars(Utf8ToCp932("宇宙"), "F"));
  EXPECT_TRUE(ContainsChars(Utf8ToCp932("宇F"), "F"));
  // The trail byte of 宇 and the lead byte of 宙 together are no character of the text.
  EXPECT_FALSE(ContainsChars(Utf8ToCp932("宇宙"), Utf8ToCp932("宇宙").substr(1, 2)));
  EXPECT_FALSE(ContainsChars("Hello", "hello"));
  EXPECT_FALSE(ContainsChars("abc", ""));
}

TEST_F(SearchTest, AndNeedsEveryKeywordAnywhereOrAnyOneAndEveryFolderCounts) {
  const int32_t both = Add("to", "花見の予定", "受信箱", "場所は公園");
  const int32_t one = Add("to", "花見", "既読", "");
  const int32_t gone = Add("to", "公園の掃除", "削除済み", "");
  EXPECT_EQ(Rows("花見 公園"), (std::vector<int32_t>{both}));
  EXPECT_EQ(Rows("既読"), (std::vector<int32_t>{one}));   // the folder column
  EXPECT_EQ(Rows("0002"), (std::vector<int32_t>{gone}));  // the number column

  SearchResult none = KensakuJikkou(st->store, st->log, "zzz", SearchMode::kOr);
  EXPECT_TRUE(none.searched);
  EXPECT_FALSE(none.found);
  EXPECT_EQ(Cp932ToUtf8(none.msg), "検索該当無し");
}

}  // namespace
}  // namespace sorami
