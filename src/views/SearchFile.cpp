#include "views/SearchFile.h"

#include <string>
#include <vector>

#include "base/MbText.h"
#include "platform/Codepage.h"
#include "store/MasterScan.h"

namespace sorami {

bool SearchableInFile(std::string_view keyword) {
  return keyword.find_first_of("\t\n\x0C\r") == std::string_view::npos;
}

namespace {

// Whether a keyword is all digits: it can then be found in a row's number (column 1), which
// the file does not hold.
bool AllDigits(std::string_view keyword) {
  return keyword.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

FileSearch KensakuFile(MasterFiles& mf, DiagLog& log, std::string_view text, SearchMode mode,
                       const SearchFound& found, SearchResult& out) {
  out = SearchResult();
  const std::vector<std::string> keywords = SearchKeywords(text);
  if (keywords.empty()) return FileSearch::kNotScanned;
  uint32_t numeric = 0;  // the keywords a row number can hold
  for (size_t k = 0; k < keywords.size(); ++k) {
    if (!SearchableInFile(keywords[k])) return FileSearch::kNotScanned;
    if (AllDigits(keywords[k])) numeric |= 1u << k;
  }
  const uint32_t every = (1u << keywords.size()) - 1;
  std::string record_text;
  TArMastData rec;
  auto line = [&](int32_t row, std::string_view bytes, uint32_t in_line) {
    // The keywords the record can hold: those in its line, and those in its number.
    uint32_t held = in_line;
    if ((numeric & ~held) != 0) {
      char number[24];
      const std::string_view digits(number, Format4dTo(row, number));
      for (size_t k = 0; k < keywords.size(); ++k) {
        if ((numeric >> k & 1u) != 0 && digits.find(keywords[k]) != std::string_view::npos) {
          held |= 1u << k;
        }
      }
    }
    if (mode == SearchMode::kAnd ? held != every : held == 0) return;
    if (!ReadMasterLine(bytes, row, record_text, rec) || !MatchRecord(rec, mode, keywords)) {
      return;
    }
    out.rows.push_back(row);
    found(row, rec);
  };
  int32_t rows = 0;
  switch (ScanMasterFile(mf, keywords, line, rows)) {
    case MasterScan::kNotScanned:
      return FileSearch::kNotScanned;
    case MasterScan::kUnreadable:
      out = SearchResult();
      out.msg = "Cannot Read : " + PathText(MasterPath(mf));
      return FileSearch::kFailed;
    case MasterScan::kUndecryptable:
      out = SearchResult();
      out.msg = "暗号復号失敗"_cp932;
      return FileSearch::kFailed;
    case MasterScan::kDone:
      break;
  }
  log.Log(".KensakuJikkou : " + std::string(text));
  out.searched = true;
  FinishSearch(out);
  return FileSearch::kDone;
}

}  // namespace sorami
