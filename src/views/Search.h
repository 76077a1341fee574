// The search over the whole store: records holding up to ten keywords (all of them, or any),
// each keyword found as whole Shift_JIS characters in any column, letter case kept.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/DiagLog.h"
#include "store/MastStore.h"

namespace sorami {

// "条件": AND (index 0) or OR (index 1) of the search window.
enum class SearchMode { kAnd = 0, kOr = 1 };

inline constexpr size_t kMaxKeywords = 10;

// The keywords of a search text: full-width blanks count as blanks, runs of blanks separate,
// at most the first ten.
std::vector<std::string> SearchKeywords(std::string_view text);

// Whether keyword occurs in text starting at a character boundary, so a double-byte character
// is never matched across its two bytes.
bool ContainsChars(std::string_view text, std::string_view keyword);

// Whether record row matches: AND, every keyword in some column (0 to 23); OR, any keyword
// in any column.
bool MatchRecord(const TArMastd& store, SearchMode mode, int32_t row,
                 const std::vector<std::string>& keywords);
// The same for one record.
bool MatchRecord(const TArMastData& rec, SearchMode mode, const std::vector<std::string>& keywords);

struct SearchResult {
  bool found = false;         // at least one record matched
  bool searched = false;      // there was a keyword: the list shows rows (perhaps none)
  std::vector<int32_t> rows;  // matching records, store order, every folder
  std::string msg;  // "検索完了 :%d 件", "検索該当無し" or "キーワード未指定"
};

// The search of "検索実行(&K)" over rows 0 .. CtMaster-1.
SearchResult KensakuJikkou(const TArMastd& store, DiagLog& log, std::string_view text,
                           SearchMode mode);
// found and msg of a search whose rows are in.
void FinishSearch(SearchResult& out);

}  // namespace sorami
