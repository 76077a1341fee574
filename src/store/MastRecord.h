// One message record: a fixed row of 25 code page 932 text columns (0 to 24).
//
// The columns live in one buffer with an offset table, so a store of a hundred thousand
// records costs little more than its text.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace sorami {

// Column numbers of the record.
enum MastCol : int {
  kColNumber = 1,
  kColTo = 2,
  kColTitle = 3,
  kColBody = 4,
  kColDate = 5,
  kColServerNo = 6,
  kColSender = 7,
  kColCarried = 8,
  kColReadDate = 9,
  kColSendDate = 10,
  kColSenderSite = 11,
  kColSenderHost = 12,
  kColFolder = 13,
  kColSenderUser = 14,
  kColToList = 15,
  kColRecipientUser = 16,
  kColRelation = 17,
  kColCategory = 18,
  kColDynamicHost = 19,
  kColAttachments = 20,
  kColCc = 21,
  kColBcc = 22,
  kColReplyTo = 23,
};

class TArMastData {
 public:
  static constexpr int kColumns = 25;

  std::string_view operator[](int col) const {
    return std::string_view(buf_).substr(end_[col] - Len(col), Len(col));
  }
  // Replaces one column's text.
  void Set(int col, std::string_view value);
  // Replaces every column at once (index k is column k).
  void Assign(const std::array<std::string_view, kColumns>& cols);
  void Clear();
  bool Empty() const { return buf_.empty(); }
  std::array<std::string, kColumns> Columns() const;

 private:
  uint32_t Len(int col) const { return end_[col] - (col == 0 ? 0 : end_[col - 1]); }

  std::string buf_;
  std::array<uint32_t, kColumns> end_{};  // end offset of each column in buf_
};

}  // namespace sorami
