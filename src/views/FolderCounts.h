// Folder counts: the count list of the "件数" tab and the status-bar summary.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/DiagLog.h"
#include "store/MastStore.h"

namespace sorami {

struct CountRow {
  std::string caption;  // folder name
  std::string count;    // "%d 件"
};

// "%d 件" of n.
std::string CountText(long n);

// The counts of the count list, kept in step with the store by whoever watches it: one row
// per tree node from node 1 on (row k stands for node k + 1), captioned "受信箱" for node 1
// and the node text for the others, counting the records whose folder equals that name
// exactly. Of two nodes with one name the first takes the records, as a search in tree order
// would.
class FolderTally {
 public:
  FolderTally() = default;
  FolderTally(const FolderTally&) = delete;  // the look-up refers to its own captions
  FolderTally& operator=(const FolderTally&) = delete;

  // The tree's node texts (node 0 the root), then a count of the whole store.
  void SetNodes(const TArMastd& store, const std::vector<std::string>& node_texts);
  // Counts the whole store again (it was emptied or read anew).
  void Recount(const TArMastd& store);
  // A record of this folder joined the store: the row that changed, if any.
  std::optional<size_t> Add(std::string_view folder);
  // A record moved from one folder to another: the rows that changed (none, one or two).
  std::vector<size_t> Move(std::string_view before, std::string_view after);

  size_t size() const { return captions_.empty() ? 0 : captions_.size() - 1; }
  const std::string& Caption(size_t row) const { return captions_[row + 1]; }
  long Count(size_t row) const { return counts_[row + 1]; }
  CountRow Row(size_t row) const { return {Caption(row), CountText(Count(row))}; }

 private:
  // The node that counts a folder; 0 (the root, never shown) for a folder no node names.
  size_t NodeOf(std::string_view folder) const;

  std::vector<std::string> captions_;  // per node from the root
  std::vector<long> counts_;           // per node from the root
  std::unordered_map<std::string_view, size_t> first_node_;
};

// The count list for the tree's node texts, counted once (see FolderTally).
std::vector<CountRow> CountKensuu(const TArMastd& store, DiagLog& log,
                                  const std::vector<std::string>& node_texts);

// The index of folder in names, when present.
bool CheckFolder(std::string_view folder, const std::vector<std::string>& names, int& index);

// The status-bar summary " 受信箱 : n 件 既読 : n 件 ..." over the six system folders, counted
// from the store when asked (32-bit counts: stores exceed 32767).
bool SetDisplay(const TArMastd& store, DiagLog& log, std::string& summary);

}  // namespace sorami
