// The search's one pass through a record's text finds a keyword exactly where a column-by-
// column search finds it: never across two columns, never from the second byte of a
// double-byte character, also at a column's ends and in empty columns.
#include <gtest/gtest.h>

#include <random>

#include "views/Search.h"

namespace sorami {
namespace {

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
