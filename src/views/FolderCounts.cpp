#include "views/FolderCounts.h"

#include <charconv>
#include <unordered_map>

#include "base/MbText.h"
#include "platform/Codepage.h"
#include "store/Folders.h"

namespace sorami {

std::string CountText(long n) { return std::to_string(n) + " 件"_cp932; }

bool CheckFolder(std::string_view folder, const std::vector<std::string>& names, int& index) {
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i] == folder) {
      index = static_cast<int>(i);
      return true;
    }
  }
  return false;
}

std::vector<CountRow> CountKensuu(const TArMastd& store, DiagLog& log,
                                  const std::vector<std::string>& node_texts) {
  log.Log(".CountKensuu");
  std::vector<std::string> names(node_texts);
  if (names.size() > 1) names[1] = std::string(FolderName(Folder::kInbox));
  // The first node of each name takes the records, as a search in tree order would.
  std::unordered_map<std::string_view, size_t> first_node;
  for (size_t i = 0; i < names.size(); ++i) {
    log.Log("ArFolder[" + std::to_string(i) + "]:" + names[i]);
    first_node.emplace(names[i], i);
  }
  std::vector<long> counts(names.size(), 0);
  for (int32_t row = 0; row < store.CtMaster(); ++row) {
    const auto it = first_node.find(store.Get(row, MastCol::kFolder));
    if (it != first_node.end()) ++counts[it->second];
  }
  std::vector<CountRow> rows;
  for (size_t i = 1; i < names.size(); ++i) rows.push_back({names[i], CountText(counts[i])});
  return rows;
}

std::string AdjustCountText(std::string_view count_text, long delta) {
  std::string text(count_text);
  std::string token;
  SplitToken(" ", text, token);
  long n = 0;
  const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), n);
  if (ec != std::errc() || end != token.data() + token.size()) n = 0;
  return CountText(n + delta);
}

void MidokuToKidoku(DiagLog& log, std::vector<CountRow>& rows) {
  log.Log(".MidokuToKidoku");
  if (rows.size() > 0) rows[0].count = AdjustCountText(rows[0].count, -1);
  if (rows.size() > 1) rows[1].count = AdjustCountText(rows[1].count, +1);
}

bool SetDisplay(const TArMastd& store, DiagLog& log, FolderCountArray& counts,
                std::string& summary) {
  log.Log("SetDisplay");
  counts.fill(0);
  for (int32_t row = 0; row < store.CtMaster(); ++row) {
    ++counts[static_cast<size_t>(FolderIndex(store.Get(row, MastCol::kFolder)))];
  }
  summary.clear();
  for (int i = 1; i <= 6; ++i) {
    summary += " " + std::string(FolderNames()[static_cast<size_t>(i)]) + " : " +
               CountText(counts[static_cast<size_t>(i)]);
  }
  return true;
}

}  // namespace sorami
