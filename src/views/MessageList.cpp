#include "views/MessageList.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "base/MbText.h"
#include "platform/Codepage.h"
#include "store/Folders.h"

namespace sorami {

namespace {

const std::array<ListColumnInfo, kListColumns>& Columns() {
  static const std::array<ListColumnInfo, kListColumns> columns = {{
      {"送信者"_cp932, 80},
      {"表題"_cp932, 100},
      {"送信日"_cp932, 100},
      {"確認日"_cp932, 100},
      {"本文"_cp932, 100},
      {"送信先"_cp932, 40},
      {"関係"_cp932, 50},
      {"種別"_cp932, 50},
      {"Index", 1},
      {"Folder", 40},
  }};
  return columns;
}

// Store column shown in each list column (the body and the index are made, not copied).
constexpr std::array<int, kListColumns> kSource = {static_cast<int>(MastCol::kSender),
                                                   static_cast<int>(MastCol::kTitle),
                                                   static_cast<int>(MastCol::kDate),
                                                   static_cast<int>(MastCol::kReadDate),
                                                   static_cast<int>(MastCol::kBody),
                                                   static_cast<int>(MastCol::kTo),
                                                   static_cast<int>(MastCol::kRelation),
                                                   static_cast<int>(MastCol::kCategory),
                                                   -1,
                                                   static_cast<int>(MastCol::kFolder)};

// A column value prepared once per sort: its text and, when it is a decimal integer, its
// value.
struct SortKey {
  std::string text;
  bool numeric = false;
  long long number = 0;
};

bool ParseDecimal(std::string_view s, long long& v) {
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return false;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  return ec == std::errc() && end == s.data() + s.size() && v >= INT32_MIN && v <= INT32_MAX;
}

// The list's comparison: 1 places a after b, 0 keeps their order.
int Compare(int col, bool desc, const SortKey& a, const SortKey& b) {
  const int d = desc ? 1 : 0;
  if (col == 0) return a.text > b.text ? 1 - d : d;
  if (a.numeric && b.numeric) return a.number > b.number ? 1 - d : d;
  return a.text <= b.text ? 1 - d : d;
}

// Bottom-up merge sort driven by Compare: an item moves after another only when the
// comparison says so. Safe whatever the comparison answers (mixed numeric and text values
// need not form a consistent order).
void MergeSort(std::vector<int32_t>& rows, std::vector<SortKey>& keys, int col, bool desc) {
  const size_t n = rows.size();
  std::vector<size_t> idx(n), tmp(n);
  for (size_t i = 0; i < n; ++i) idx[i] = i;
  for (size_t width = 1; width < n; width *= 2) {
    for (size_t lo = 0; lo < n; lo += 2 * width) {
      const size_t mid = std::min(lo + width, n);
      const size_t hi = std::min(lo + 2 * width, n);
      size_t i = lo, j = mid, k = lo;
      while (i < mid && j < hi) {
        tmp[k++] = Compare(col, desc, keys[idx[i]], keys[idx[j]]) == 1 ? idx[j++] : idx[i++];
      }
      while (i < mid) tmp[k++] = idx[i++];
      while (j < hi) tmp[k++] = idx[j++];
    }
    idx.swap(tmp);
  }
  std::vector<int32_t> sorted(n);
  for (size_t i = 0; i < n; ++i) sorted[i] = rows[idx[i]];
  rows.swap(sorted);
}

}  // namespace

const ListColumnInfo& ListColumn(ListCol col) { return Columns()[static_cast<size_t>(col)]; }

std::string NodeFolder(std::string_view node_text) {
  std::string text(node_text);
  std::string token;
  SplitToken("(", text, token);
  return token;
}

std::string ListText(const TArMastd& store, int32_t row, ListCol col) {
  return ListText(store.Row(row), row, col);
}

std::string ListText(const TArMastData& rec, int32_t row, ListCol col) {
  if (col == ListCol::kIndex) return std::to_string(row);
  if (col == ListCol::kBody) {
    // One line in the list: the line breaks of the body's start (real or in the site's escaped
    // form) show as blanks.
    std::string head = MbCopy(rec[MastCol::kBody], 1, 20);
    ReplaceAll("\r\n", " ", head);
    ReplaceAll("\x0C\x0B", " ", head);
    for (char& c : head) {
      if (c == '\r' || c == '\n') c = ' ';
    }
    return MbCopy(head, 1, 10);
  }
  return std::string(ListFieldText(rec, col));
}

std::string_view ListFieldText(const TArMastData& rec, ListCol col) {
  return rec[kSource[static_cast<size_t>(col)]];
}

bool MessageList::Listed(std::string_view folder) const {
  return filled_->first == 0 ? !IsDeletedFolder(folder) : folder == filled_->second;
}

void MessageList::Fill(const TArMastd& store, int node, std::string_view folder) {
  filled_.emplace(node, folder);
  rows_.clear();
  RowsChanged();
  const int32_t n = store.CtMaster();
  rows_.reserve(static_cast<size_t>(n));  // one allocation, however many records are listed
  for (int32_t row = 0; row < n; ++row) {
    if (Listed(store.Get(row, MastCol::kFolder))) rows_.push_back(row);
  }
}

void MessageList::SetRows(std::vector<int32_t> records) {
  filled_.reset();
  rows_ = std::move(records);
  RowsChanged();
}

bool MessageList::Takes(const TArMastd& store, int32_t record) const {
  return filled_ && Listed(store.Get(record, MastCol::kFolder));
}

void MessageList::Add(int32_t record) {
  rows_.push_back(record);
  if (!row_of_.empty()) {
    if (static_cast<size_t>(record) >= row_of_.size()) {
      row_of_.resize(static_cast<size_t>(record) + 1, -1);
    }
    if (row_of_[record] < 0) row_of_[record] = static_cast<int32_t>(rows_.size() - 1);
  }
}

void MessageList::Refill(const TArMastd& store) {
  if (filled_) {
    const auto [node, folder] = *filled_;
    Fill(store, node, folder);
  } else {
    SetRows({});
  }
}

std::optional<int32_t> MessageList::RecordOf(int64_t i) const {
  if (i < 0 || static_cast<size_t>(i) >= rows_.size()) return std::nullopt;
  return rows_[static_cast<size_t>(i)];
}

std::optional<size_t> MessageList::RowOf(int32_t record) const {
  if (row_of_.empty() && !rows_.empty()) {
    const int32_t top = *std::max_element(rows_.begin(), rows_.end());
    row_of_.assign(static_cast<size_t>(std::max(top, 0)) + 1, -1);
    for (size_t i = rows_.size(); i-- > 0;) {
      if (rows_[i] >= 0) row_of_[static_cast<size_t>(rows_[i])] = static_cast<int32_t>(i);
    }
  }
  if (record < 0 || static_cast<size_t>(record) >= row_of_.size() || row_of_[record] < 0) {
    return std::nullopt;
  }
  return static_cast<size_t>(row_of_[record]);
}

std::string MessageList::Text(const TArMastd& store, size_t i, ListCol col) const {
  return ListText(store, rows_[i], col);
}

void MessageList::ColumnClick(const TArMastd& store, ListCol col) {
  const int c = static_cast<int>(col);
  if (c == last_clicked_) descending_ = !descending_;
  last_clicked_ = c;
  sort_column_ = c;
  std::vector<SortKey> keys(rows_.size());
  for (size_t i = 0; i < rows_.size(); ++i) {
    keys[i].text = ListText(store, rows_[i], col);
    if (c != 0) keys[i].numeric = ParseDecimal(keys[i].text, keys[i].number);
  }
  MergeSort(rows_, keys, c, descending_);
  RowsChanged();
}

void MessageList::RemoveRows(std::vector<size_t> list_rows) {
  std::vector<bool> drop(rows_.size(), false);
  for (size_t r : list_rows) {
    if (r < rows_.size()) drop[r] = true;
  }
  size_t out = 0;
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (!drop[i]) rows_[out++] = rows_[i];
  }
  rows_.resize(out);
  RowsChanged();
}

}  // namespace sorami
