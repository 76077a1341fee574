#include "store/MastRecord.h"

#include <cstring>
#include <utility>

namespace sorami {

namespace {

// A copy of n bytes on the heap, or null for none.
char* CopyText(const char* text, size_t n) {
  if (n == 0) return nullptr;
  char* copy = new char[n];
  std::memcpy(copy, text, n);
  return copy;
}

}  // namespace

// A store of a hundred thousand records holds as many rows: each byte here counts.
static_assert(sizeof(void*) != 8 || sizeof(TArMastData) <= 112);

TArMastData::TArMastData(const TArMastData& other) : end_(other.end_) {
  // A copy shares the block's text but never another record's own.
  owned_ = other.owned_;
  text_ = owned_ ? CopyText(other.text_, end_[kColumns - 1]) : other.text_;
  if (text_ == nullptr) owned_ = false;
}

TArMastData::TArMastData(TArMastData&& other) noexcept
    : text_(std::exchange(other.text_, nullptr)),
      end_(std::exchange(other.end_, {})),
      owned_(std::exchange(other.owned_, false)) {}

TArMastData& TArMastData::operator=(const TArMastData& other) {
  if (this != &other) *this = TArMastData(other);
  return *this;
}

TArMastData& TArMastData::operator=(TArMastData&& other) noexcept {
  if (this == &other) return *this;
  Release();
  text_ = std::exchange(other.text_, nullptr);
  end_ = std::exchange(other.end_, {});
  owned_ = std::exchange(other.owned_, false);
  return *this;
}

void TArMastData::Release() {
  if (owned_) delete[] text_;
  text_ = nullptr;
  owned_ = false;
}

void TArMastData::Set(int col, std::string_view value) {
  // The new text is made whole beside the old: a block's text stays as it is.
  const uint32_t start = end_[col] - Len(col);
  const uint32_t old_len = Len(col);
  const uint32_t total = end_[kColumns - 1];
  const size_t new_total = total - old_len + value.size();
  char* text = new_total == 0 ? nullptr : new char[new_total];
  if (start > 0) std::memcpy(text, text_, start);
  if (!value.empty()) std::memcpy(text + start, value.data(), value.size());
  if (total > start + old_len) {
    std::memcpy(text + start + value.size(), text_ + start + old_len, total - start - old_len);
  }
  Release();
  text_ = text;
  owned_ = text != nullptr;
  const int64_t delta = static_cast<int64_t>(value.size()) - old_len;
  for (int c = col; c < kColumns; ++c) end_[c] = static_cast<uint32_t>(end_[c] + delta);
}

void TArMastData::AssignAt(char* space, const std::array<std::string_view, kColumns>& cols) {
  std::array<uint32_t, kColumns> ends;
  uint32_t at = 0;
  for (int c = 0; c < kColumns; ++c) {
    if (!cols[c].empty()) std::memcpy(space + at, cols[c].data(), cols[c].size());
    at += static_cast<uint32_t>(cols[c].size());
    ends[c] = at;
  }
  AssignWritten(space, ends);
}

void TArMastData::AssignWritten(const char* space, const std::array<uint32_t, kColumns>& ends) {
  Release();
  text_ = space;
  end_ = ends;
}

void TArMastData::Clear() {
  Release();
  end_.fill(0);
}

std::array<std::string, TArMastData::kColumns> TArMastData::Columns() const {
  std::array<std::string, kColumns> out;
  for (int c = 0; c < kColumns; ++c) out[c] = std::string((*this)[c]);
  return out;
}

}  // namespace sorami
