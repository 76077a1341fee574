#include "store/MastRecord.h"

#include <cstring>

namespace sorami {

void TArMastData::Set(int col, std::string_view value) {
  if (shared_ != nullptr) {  // the block stays as it is: the record takes its own copy
    buf_.assign(shared_, end_[kColumns - 1]);
    shared_ = nullptr;
  }
  const uint32_t start = end_[col] - Len(col);
  const uint32_t old_len = Len(col);
  buf_.replace(start, old_len, value);
  const int64_t delta = static_cast<int64_t>(value.size()) - old_len;
  for (int c = col; c < kColumns; ++c) end_[c] = static_cast<uint32_t>(end_[c] + delta);
  if (buf_.empty()) buf_.shrink_to_fit();
}

void TArMastData::AssignAt(char* space, const std::array<std::string_view, kColumns>& cols) {
  uint32_t at = 0;
  for (int c = 0; c < kColumns; ++c) {
    if (!cols[c].empty()) std::memcpy(space + at, cols[c].data(), cols[c].size());
    at += static_cast<uint32_t>(cols[c].size());
    end_[c] = at;
  }
  shared_ = space;
  std::string().swap(buf_);
}

void TArMastData::Clear() {
  shared_ = nullptr;
  std::string().swap(buf_);
  end_.fill(0);
}

std::array<std::string, TArMastData::kColumns> TArMastData::Columns() const {
  std::array<std::string, kColumns> out;
  for (int c = 0; c < kColumns; ++c) out[c] = std::string((*this)[c]);
  return out;
}

}  // namespace sorami
