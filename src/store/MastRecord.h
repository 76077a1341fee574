// One message record: a fixed row of 25 code page 932 text columns (0 to 24).
//
// The columns live in one run of text with an offset table, so a store of a hundred thousand
// records costs little more than its text. The run is in a block of the store (written once,
// when the record is appended) until a column is changed; the record then keeps its own copy.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace sorami {

// Column numbers of the record (column 0 is unused; 24 is spare).
enum class MastCol : int {
  kNumber = 1,
  kTo = 2,
  kTitle = 3,
  kBody = 4,
  kDate = 5,
  kServerNo = 6,
  kSender = 7,
  kCarried = 8,
  kReadDate = 9,
  kSendDate = 10,
  kSenderSite = 11,
  kSenderHost = 12,
  kFolder = 13,
  kSenderUser = 14,
  kToList = 15,
  kRecipientUser = 16,
  kRelation = 17,
  kCategory = 18,
  kDynamicHost = 19,
  kAttachments = 20,
  kCc = 21,
  kBcc = 22,
  kReplyTo = 23,
};

// The array index of a column.
constexpr size_t ColIndex(MastCol c) { return static_cast<size_t>(c); }

class TArMastData {
 public:
  static constexpr int kColumns = 25;

  TArMastData() = default;
  TArMastData(const TArMastData& other);
  TArMastData(TArMastData&& other) noexcept;
  TArMastData& operator=(const TArMastData& other);
  TArMastData& operator=(TArMastData&& other) noexcept;
  ~TArMastData() { Release(); }

  std::string_view operator[](int col) const {
    return std::string_view(text_ + (end_[col] - Len(col)), Len(col));
  }
  std::string_view operator[](MastCol col) const { return (*this)[static_cast<int>(col)]; }
  // Columns 0 .. last as one run of text (they follow each other in column order), and where
  // column col ends in it.
  std::string_view Through(int last) const { return std::string_view(text_, end_[last]); }
  uint32_t EndOf(int col) const { return end_[col]; }
  // Replaces one column's text.
  void Set(int col, std::string_view value);
  void Set(MastCol col, std::string_view value) { Set(static_cast<int>(col), value); }
  // Replaces every column at once (index k is column k), the text written to `space`, which
  // holds the total length of the columns and outlives the record's use of it.
  void AssignAt(char* space, const std::array<std::string_view, kColumns>& cols);
  // Takes columns already written one after another at `space` (which outlives the record's
  // use of it), column k ending at ends[k].
  void AssignWritten(const char* space, const std::array<uint32_t, kColumns>& ends);
  void Clear();
  bool Empty() const { return end_[kColumns - 1] == 0; }
  std::array<std::string, kColumns> Columns() const;

 private:
  uint32_t Len(int col) const { return end_[col] - (col == 0 ? 0 : end_[col - 1]); }
  // Frees text of the record's own.
  void Release();

  // The text: in a block of the store (written once, never freed by the record), or when
  // owned_ a copy of the record's own (new[]), or null when every column is empty.
  const char* text_ = nullptr;
  std::array<uint32_t, kColumns> end_{};  // end offset of each column in the text
  bool owned_ = false;
};

}  // namespace sorami
