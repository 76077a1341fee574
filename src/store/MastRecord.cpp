#include "store/MastRecord.h"

namespace sorami {

void TArMastData::Set(int col, std::string_view value) {
  const uint32_t start = end_[col] - Len(col);
  const uint32_t old_len = Len(col);
  buf_.replace(start, old_len, value);
  const int64_t delta = static_cast<int64_t>(value.size()) - old_len;
  for (int c = col; c < kColumns; ++c) end_[c] = static_cast<uint32_t>(end_[c] + delta);
  if (buf_.empty()) buf_.shrink_to_fit();
}

void TArMastData::Assign(const std::array<std::string_view, kColumns>& cols) {
  size_t total = 0;
  for (const auto& c : cols) total += c.size();
  std::string buf;
  buf.reserve(total);
  for (int c = 0; c < kColumns; ++c) {
    buf.append(cols[c]);
    end_[c] = static_cast<uint32_t>(buf.size());
  }
  buf_ = std::move(buf);
}

void TArMastData::Clear() {
  std::string().swap(buf_);
  end_.fill(0);
}

std::array<std::string, TArMastData::kColumns> TArMastData::Columns() const {
  std::array<std::string, kColumns> out;
  for (int c = 0; c < kColumns; ++c) out[c] = std::string((*this)[c]);
  return out;
}

}  // namespace sorami
