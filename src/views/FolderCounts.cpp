#include "views/FolderCounts.h"

#include <array>

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

void FolderTally::SetNodes(const TArMastd& store, const std::vector<std::string>& node_texts) {
  captions_ = node_texts;
  if (captions_.size() > 1) captions_[1] = std::string(FolderName(Folder::kInbox));
  first_node_.clear();
  for (size_t i = 0; i < captions_.size(); ++i) first_node_.emplace(captions_[i], i);
  Recount(store);
}

size_t FolderTally::NodeOf(std::string_view folder) const {
  const auto it = first_node_.find(folder);
  return it == first_node_.end() ? 0 : it->second;
}

void FolderTally::Recount(const TArMastd& store) {
  counts_.assign(captions_.size(), 0);
  if (captions_.empty()) return;
  for (int32_t row = 0; row < store.CtMaster(); ++row) {
    ++counts_[NodeOf(store.Get(row, MastCol::kFolder))];
  }
}

std::optional<size_t> FolderTally::Add(std::string_view folder) {
  const size_t node = NodeOf(folder);
  if (node == 0) return std::nullopt;
  ++counts_[node];
  return node - 1;
}

std::vector<size_t> FolderTally::Move(std::string_view before, std::string_view after) {
  const size_t from = NodeOf(before), to = NodeOf(after);
  if (from == to) return {};
  std::vector<size_t> rows;
  if (from != 0) {
    --counts_[from];
    rows.push_back(from - 1);
  }
  if (to != 0) {
    ++counts_[to];
    rows.push_back(to - 1);
  }
  return rows;
}

std::vector<CountRow> CountKensuu(const TArMastd& store, DiagLog& log,
                                  const std::vector<std::string>& node_texts) {
  log.Log(".CountKensuu");
  FolderTally tally;
  tally.SetNodes(store, node_texts);
  for (size_t i = 0; i < node_texts.size(); ++i) {
    log.Log("ArFolder[" + std::to_string(i) +
            "]:" + (i == 0 ? node_texts[0] : tally.Caption(i - 1)));
  }
  std::vector<CountRow> rows;
  for (size_t i = 0; i < tally.size(); ++i) rows.push_back(tally.Row(i));
  return rows;
}

bool SetDisplay(const TArMastd& store, DiagLog& log, std::string& summary) {
  log.Log("SetDisplay");
  std::array<int32_t, 7> counts{};
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
