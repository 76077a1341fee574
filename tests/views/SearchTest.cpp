#include <gtest/gtest.h>

#include <random>

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

TEST(SearchRecord, FindsAKeywordExactlyWhereTheColumnsHoldIt) {
  std::mt19937 random(3);
  // Single bytes, and double-byte characters whose second byte is also a character ("\x82\x61"
  // ends in "a"; "\x83\x5C" in the backslash).
  const std::vector<std::string> pieces = {"a", "b", "\\", "\x82\x61", "\x83\x5C", "\x82\xA0"};
  TArMastd store;
  for (int r = 0; r < 400; ++r) {
    std::array<std::string, TArMastData::kColumns> texts;
    std::array<std::string_view, TArMastData::kColumns> cols{};
    for (int c = 0; c < TArMastData::kColumns; ++c) {
      const int n = random() % 4;  // empty columns too
      for (int k = 0; k < n; ++k) texts[c] += pieces[random() % pieces.size()];
      // Now and then a lead byte alone at a column's end.
      if (random() % 8 == 0) texts[c] += '\x82';
      cols[c] = texts[c];
    }
    store.Append(cols);
  }
  int hits = 0;
  for (int w = 0; w < 300; ++w) {
    std::string word;
    const int n = 1 + random() % 3;
    for (int k = 0; k < n; ++k) word += pieces[random() % pieces.size()];
    if (random() % 3 == 0) word = word.substr(1);  // may start inside a character
    if (word.empty()) continue;
    for (int32_t r = 0; r < store.CtMaster(); ++r) {
      bool expected = false;
      for (int c = 0; c <= 23; ++c) expected = expected || ContainsChars(store.Get(r, c), word);
      ASSERT_EQ(MatchRecord(store, SearchMode::kAnd, r, {word}), expected) << r << " " << word;
      hits += expected;
    }
  }
  EXPECT_GT(hits, 1000);  // the words were found often enough for the comparison to mean much
}

}  // namespace
}  // namespace sorami
