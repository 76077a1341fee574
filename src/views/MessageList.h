// The message list: which records of the store are shown, in which order, and the texts of
// its ten columns. Rows hold store row indices only; column texts are made when asked for,
// so a list of a hundred thousand records costs one integer a row.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/MastStore.h"

namespace sorami {

// Columns of the list, in order.
enum class ListCol : int {
  kSender = 0,    // "送信者"
  kTitle = 1,     // "表題"
  kDate = 2,      // "送信日"
  kReadDate = 3,  // "確認日"
  kBody = 4,      // "本文": the first 10 characters
  kTo = 5,        // "送信先"
  kRelation = 6,  // "関係"
  kCategory = 7,  // "種別"
  kIndex = 8,     // "Index": the record's row in the store
  kFolder = 9,    // "Folder"
};
inline constexpr int kListColumns = 10;
// The column number of a list column, as the list widget counts them.
constexpr int ListColIndex(ListCol c) { return static_cast<int>(c); }

struct ListColumnInfo {
  std::string caption;  // code page 932
  int width;            // design width in pixels
};
// Captions and design widths of the ten columns ("関係" and "種別" have none of their own).
const ListColumnInfo& ListColumn(ListCol col);

// The folder a tree node stands for: its text up to the first "(".
std::string NodeFolder(std::string_view node_text);

class MessageList {
 public:
  // Fills the list for tree node `node` showing `folder`: node 0 takes every record not in
  // "削除済み", any other node the records whose folder equals `folder`; store order.
  void Fill(const TArMastd& store, int node, std::string_view folder);
  // Shows exactly these records, in this order (a search's result).
  void SetRows(std::vector<int32_t> records);

  // Whether a record new in the store belongs at the end of this list: one the filled
  // folder takes; never for a search's result.
  bool Takes(const TArMastd& store, int32_t record) const;
  // Adds a record at the end.
  void Add(int32_t record);
  // After the store was emptied or read anew: the filled folder again; a search's result,
  // whose rows meant records that are gone, empty.
  void Refill(const TArMastd& store);

  size_t size() const { return rows_.size(); }
  // The store row behind list row i; none when i is not a row of the list.
  std::optional<int32_t> RecordOf(int64_t i) const;
  // The list row showing a record; none when the record is not listed. The first call after
  // the rows change makes a look-up table, so each later call costs one step.
  std::optional<size_t> RowOf(int32_t record) const;
  const std::vector<int32_t>& rows() const { return rows_; }

  // Text of column `col` of list row i.
  std::string Text(const TArMastd& store, size_t i, ListCol col) const;

  // A click on column c: inverts the order when c was clicked last, then sorts.
  void ColumnClick(const TArMastd& store, ListCol c);
  bool descending() const { return descending_; }

  // Removes list rows (indices into the list, any order) in one pass.
  void RemoveRows(std::vector<size_t> list_rows);

 private:
  bool Listed(std::string_view folder) const;
  void RowsChanged() { row_of_.clear(); }

  std::vector<int32_t> rows_;
  // The folder the list was filled for; none for a search's result.
  std::optional<std::pair<int, std::string>> filled_;
  // row_of_[record]: the list row of a record, -1 when not listed; empty until RowOf needs it.
  mutable std::vector<int32_t> row_of_;
  int last_clicked_ = 0;
  int sort_column_ = 0;
  bool descending_ = false;
};

// Column text of a store row as the list shows it.
std::string ListText(const TArMastd& store, int32_t row, ListCol col);
// The same for a record of row `row`.
std::string ListText(const TArMastData& rec, int32_t row, ListCol col);
// The text of a column that shows a field of the record as it stands: every column but the
// index and the body's start (for those, ListText).
std::string_view ListFieldText(const TArMastData& rec, ListCol col);

}  // namespace sorami
