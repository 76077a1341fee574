// One message record: a fixed row of 25 code page 932 text columns (0 to 24).
//
// The columns live in one run of text with an offset table, so a store of a hundred thousand
// records costs little more than its text. The run is in a block of the store (written once,
// when the record is appended) until a column is changed; the record then keeps its own copy.
// The table is of 16-bit offsets, as nearly every record is shorter than 64 KiB; a longer one
// keeps a table of 32-bit offsets on the heap.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
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
  ~TArMastData();

  std::string_view operator[](int col) const {
    const uint32_t start = col == 0 ? 0 : EndOf(col - 1);
    return std::string_view(text_ + start, EndOf(col) - start);
  }
  std::string_view operator[](MastCol col) const { return (*this)[static_cast<int>(col)]; }
  // Columns 0 .. last as one run of text (they follow each other in column order), and where
  // column col ends in it.
  std::string_view Through(int last) const { return std::string_view(text_, EndOf(last)); }
  uint32_t EndOf(int col) const { return wide() ? WideEnds()[col] : ends_[col]; }
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
  bool Empty() const { return EndOf(kColumns - 1) == 0; }
  std::array<std::string, kColumns> Columns() const;

 private:
  using Ends = std::array<uint32_t, kColumns>;
  static constexpr uint8_t kOwned = 1;  // text_ is the record's own (new[])
  static constexpr uint8_t kWide = 2;   // the offsets are in the table on the heap

  bool wide() const { return (flags_ & kWide) != 0; }
  uint32_t* WideEnds() const {
    uint32_t* table;
    std::memcpy(&table, ends_.data(), sizeof table);
    return table;
  }
  void SetWideEnds(uint32_t* table) { std::memcpy(ends_.data(), &table, sizeof table); }
  Ends AllEnds() const;
  // Takes new offsets, in the narrow table when the text is short enough.
  void SetEnds(const Ends& ends);
  // Frees text of the record's own.
  void Release();
  // Frees a wide table; the narrow one is then all zero.
  void ReleaseEnds();

  // The text: in a block of the store (written once, never freed by the record), or when
  // kOwned a copy of the record's own (new[]), or null when every column is empty.
  const char* text_ = nullptr;
  // The end offset of each column in the text; when kWide, its first bytes hold instead the
  // address of the 32-bit table (new[] kColumns), so that a row stays within 64 bytes.
  std::array<uint16_t, kColumns> ends_{};
  uint8_t flags_ = 0;
};

}  // namespace sorami
