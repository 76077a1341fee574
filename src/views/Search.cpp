#include "views/Search.h"

#include "base/MbText.h"
#include "platform/Codepage.h"

namespace sorami {

std::vector<std::string> SearchKeywords(std::string_view text) {
  std::string t(text);
  ReplaceAll("\x81\x40", " ", t);  // the full-width blank
  std::vector<std::string> words;
  std::string_view rest = t;
  while (!rest.empty() && words.size() < kMaxKeywords) {
    const size_t start = rest.find_first_not_of(' ');
    if (start == std::string_view::npos) break;
    rest.remove_prefix(start);
    const size_t end = rest.find(' ');
    words.emplace_back(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end);
  }
  return words;
}

bool ContainsChars(std::string_view text, std::string_view keyword) {
  if (keyword.empty()) return false;
  size_t boundary = 0;  // a character boundary at or before the candidate
  for (size_t at = text.find(keyword); at != std::string_view::npos;
       at = text.find(keyword, at + 1)) {
    while (boundary < at) boundary += MbCharLen(text, boundary);
    if (boundary == at) return true;
  }
  return false;
}

namespace {

// Whether word occurs within one of columns 0 .. 23 at a character boundary of that column:
// one search through the record's text, each hit checked against the column it falls in.
bool OccursInRecord(const TArMastData& rec, std::string_view word) {
  if (word.empty()) return false;
  constexpr int kLast = 23;
  const std::string_view all = rec.Through(kLast);
  int col = 0;
  size_t boundary = 0;  // a character boundary of column col at or before the hit
  for (size_t at = all.find(word); at != std::string_view::npos; at = all.find(word, at + 1)) {
    if (rec.EndOf(col) <= at) {
      while (rec.EndOf(col) <= at) ++col;
      boundary = rec.EndOf(col) - rec[col].size();
    }
    if (at + word.size() > rec.EndOf(col)) continue;  // runs into the next column
    const size_t start = rec.EndOf(col) - rec[col].size();
    const std::string_view text = rec[col];
    while (boundary < at) boundary += MbCharLen(text, boundary - start);
    if (boundary == at) return true;
  }
  return false;
}

}  // namespace

bool MatchRecord(const TArMastd& store, SearchMode mode, int32_t row,
                 const std::vector<std::string>& keywords) {
  return MatchRecord(store.Row(row), mode, keywords);
}

bool MatchRecord(const TArMastData& rec, SearchMode mode,
                 const std::vector<std::string>& keywords) {
  auto occurs = [&rec](const std::string& word) { return OccursInRecord(rec, word); };
  for (const std::string& word : keywords) {
    const bool hit = occurs(word);
    if (mode == SearchMode::kAnd && !hit) return false;
    if (mode == SearchMode::kOr && hit) return true;
  }
  return mode == SearchMode::kAnd && !keywords.empty();
}

SearchResult KensakuJikkou(const TArMastd& store, DiagLog& log, std::string_view text,
                           SearchMode mode) {
  log.Log(".KensakuJikkou : " + std::string(text));
  SearchResult out;
  const std::vector<std::string> keywords = SearchKeywords(text);
  if (keywords.empty()) {
    out.msg = "キーワード未指定"_cp932;
    return out;
  }
  out.searched = true;
  for (int32_t row = 0; row < store.CtMaster(); ++row) {
    if (MatchRecord(store, mode, row, keywords)) out.rows.push_back(row);
  }
  FinishSearch(out);
  return out;
}

void FinishSearch(SearchResult& out) {
  out.found = !out.rows.empty();
  out.msg = out.found ? "検索完了 :"_cp932 + std::to_string(out.rows.size()) + " 件"_cp932
                      : "検索該当無し"_cp932;
}

}  // namespace sorami
