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
static_assert(sizeof(void*) != 8 || sizeof(TArMastData) <= 64);

TArMastData::TArMastData(const TArMastData& other) : ends_(other.ends_) {
  // A copy shares the block's text but never another record's own text or wide table.
  if (other.wide()) {
    SetWideEnds(new uint32_t[kColumns]);
    std::memcpy(WideEnds(), other.WideEnds(), sizeof(uint32_t) * kColumns);
  }
  const bool owned = (other.flags_ & kOwned) != 0;
  text_ = owned ? CopyText(other.text_, other.EndOf(kColumns - 1)) : other.text_;
  flags_ = static_cast<uint8_t>((other.flags_ & kWide) | (owned && text_ != nullptr ? kOwned : 0));
}

TArMastData::TArMastData(TArMastData&& other) noexcept
    : text_(std::exchange(other.text_, nullptr)),
      ends_(other.ends_),
      flags_(std::exchange(other.flags_, 0)) {
  other.ends_.fill(0);
}

TArMastData& TArMastData::operator=(const TArMastData& other) {
  if (this != &other) *this = TArMastData(other);
  return *this;
}

TArMastData& TArMastData::operator=(TArMastData&& other) noexcept {
  if (this == &other) return *this;
  Release();
  ReleaseEnds();
  text_ = std::exchange(other.text_, nullptr);
  ends_ = other.ends_;
  flags_ = std::exchange(other.flags_, 0);
  other.ends_.fill(0);
  return *this;
}

TArMastData::~TArMastData() {
  Release();
  ReleaseEnds();
}

void TArMastData::Release() {
  if ((flags_ & kOwned) != 0) delete[] text_;
  text_ = nullptr;
  flags_ = static_cast<uint8_t>(flags_ & ~kOwned);
}

void TArMastData::ReleaseEnds() {
  if (wide()) delete[] WideEnds();
  ends_.fill(0);
  flags_ = static_cast<uint8_t>(flags_ & ~kWide);
}

TArMastData::Ends TArMastData::AllEnds() const {
  Ends ends;
  for (int c = 0; c < kColumns; ++c) ends[c] = EndOf(c);
  return ends;
}

void TArMastData::SetEnds(const Ends& ends) {
  if (ends[kColumns - 1] <= UINT16_MAX) {
    ReleaseEnds();
    for (int c = 0; c < kColumns; ++c) ends_[c] = static_cast<uint16_t>(ends[c]);
    return;
  }
  if (!wide()) {
    SetWideEnds(new uint32_t[kColumns]);
    flags_ |= kWide;
  }
  std::memcpy(WideEnds(), ends.data(), sizeof(uint32_t) * kColumns);
}

void TArMastData::Set(int col, std::string_view value) {
  // The new text is made whole beside the old: a block's text stays as it is.
  Ends ends = AllEnds();
  const uint32_t start = col == 0 ? 0 : ends[col - 1];
  const uint32_t old_len = ends[col] - start;
  const uint32_t total = ends[kColumns - 1];
  const size_t new_total = total - old_len + value.size();
  char* text = new_total == 0 ? nullptr : new char[new_total];
  if (start > 0) std::memcpy(text, text_, start);
  if (!value.empty()) std::memcpy(text + start, value.data(), value.size());
  if (total > start + old_len) {
    std::memcpy(text + start + value.size(), text_ + start + old_len, total - start - old_len);
  }
  Release();
  text_ = text;
  if (text != nullptr) flags_ |= kOwned;
  const int64_t delta = static_cast<int64_t>(value.size()) - old_len;
  for (int c = col; c < kColumns; ++c) ends[c] = static_cast<uint32_t>(ends[c] + delta);
  SetEnds(ends);
}

void TArMastData::AssignAt(char* space, const std::array<std::string_view, kColumns>& cols) {
  Ends ends;
  uint32_t at = 0;
  for (int c = 0; c < kColumns; ++c) {
    if (!cols[c].empty()) std::memcpy(space + at, cols[c].data(), cols[c].size());
    at += static_cast<uint32_t>(cols[c].size());
    ends[c] = at;
  }
  AssignWritten(space, ends);
}

void TArMastData::AssignWritten(const char* space, const Ends& ends) {
  Release();
  text_ = space;
  SetEnds(ends);
}

void TArMastData::Clear() {
  Release();
  ReleaseEnds();
}

std::array<std::string, TArMastData::kColumns> TArMastData::Columns() const {
  std::array<std::string, kColumns> out;
  for (int c = 0; c < kColumns; ++c) out[c] = std::string((*this)[c]);
  return out;
}

}  // namespace sorami
