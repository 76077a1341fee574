#include "store/MastStore.h"

#include <algorithm>
#include <functional>
#include <string>

#include "base/MbText.h"

namespace sorami {

TArMastd::TArMastd(const TArMastd& other)
    : rows_(other.rows_),
      ct_master_(other.ct_master_),
      capacity_(other.capacity_),
      index_(other.index_) {}

TArMastd::TArMastd(TArMastd&& other) noexcept
    : rows_(std::move(other.rows_)),
      ct_master_(other.ct_master_),
      capacity_(other.capacity_),
      index_(std::move(other.index_)) {}

TArMastd& TArMastd::operator=(const TArMastd& other) {
  if (this != &other) *this = TArMastd(other);
  return *this;
}

TArMastd& TArMastd::operator=(TArMastd&& other) noexcept {
  if (this == &other) return *this;
  rows_ = std::move(other.rows_);
  ct_master_ = other.ct_master_;
  capacity_ = other.capacity_;
  index_ = std::move(other.index_);
  NotifyReset();
  return *this;
}

void TArMastd::Watch(StoreObserver* observer) const {
  if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) {
    observers_.push_back(observer);
  }
}

void TArMastd::Unwatch(StoreObserver* observer) const { std::erase(observers_, observer); }

void TArMastd::NotifyReset() {
  for (StoreObserver* o : observers_) o->Reset();
}

uint64_t TArMastd::KeyHash(std::string_view date, std::string_view sender) {
  const uint64_t a = std::hash<std::string_view>{}(date);
  const uint64_t b = std::hash<std::string_view>{}(sender);
  return a ^ (b + 0x9E3779B97F4A7C15ull + (a << 6) + (a >> 2));
}

void TArMastd::IndexAdd(int32_t row) {
  index_.emplace(KeyHash(Get(row, MastCol::kDate), Get(row, MastCol::kSender)), row);
}

void TArMastd::IndexRemove(int32_t row) {
  auto [it, end] =
      index_.equal_range(KeyHash(Get(row, MastCol::kDate), Get(row, MastCol::kSender)));
  for (; it != end; ++it) {
    if (it->second == row) {
      index_.erase(it);
      return;
    }
  }
}

void TArMastd::Set(int32_t row, int col, std::string_view value) {
  const bool record = row < ct_master_;
  const bool keyed =
      (col == static_cast<int>(MastCol::kDate) || col == static_cast<int>(MastCol::kSender)) &&
      record;
  // The old text is kept only when someone listens: the column's bytes change below.
  const bool told = record && !observers_.empty();
  const std::string before = told ? std::string(Get(row, col)) : std::string();
  if (keyed) IndexRemove(row);
  rows_[static_cast<size_t>(row)].Set(col, value);
  if (keyed) IndexAdd(row);
  if (told) {
    for (StoreObserver* o : observers_) o->Changed(row, static_cast<MastCol>(col), before);
  }
}

int32_t TArMastd::Append(const std::array<std::string_view, TArMastData::kColumns>& cols) {
  const int32_t row = ct_master_;
  const std::string number = Format4d(row);
  auto with_number = cols;
  with_number[ColIndex(MastCol::kNumber)] = number;
  rows_[static_cast<size_t>(row)].Assign(with_number);
  ++ct_master_;
  IndexAdd(row);
  if (ct_master_ >= capacity_) {
    capacity_ += kCapacityStep;
    rows_.resize(static_cast<size_t>(capacity_) + 1);
  }
  for (StoreObserver* o : observers_) o->Appended(row);
  return row;
}

void TArMastd::Clear() {
  for (auto& r : rows_) r.Clear();
  ct_master_ = 0;
  index_.clear();
  NotifyReset();
}

void TArMastd::Reset() {
  rows_.clear();
  rows_.shrink_to_fit();
  capacity_ = kInitialCapacity;
  rows_.resize(static_cast<size_t>(capacity_) + 1);
  ct_master_ = 0;
  index_.clear();
  NotifyReset();
}

void TArMastd::SetCapacity(int32_t capacity) {
  if (capacity <= capacity_) return;
  capacity_ = capacity;
  rows_.resize(static_cast<size_t>(capacity_) + 1);
}

bool TArMastd::Exists(const MessageKey& key) const {
  auto [it, end] = index_.equal_range(KeyHash(key.date, key.sender));
  for (; it != end; ++it) {
    const int32_t row = it->second;
    if (Get(row, MastCol::kDate) != key.date || Get(row, MastCol::kSender) != key.sender) continue;
    if (Get(row, MastCol::kSenderSite) != key.sender_site) continue;
    const std::string_view stored_no = Get(row, MastCol::kServerNo);
    if (!stored_no.empty() && !key.server_no.empty()) {
      if (stored_no == key.server_no) return true;
      continue;
    }
    // Without a number to tell them apart, two messages of one second differ by what they say.
    if (Get(row, MastCol::kTo) == key.to && Get(row, MastCol::kTitle) == key.title &&
        Get(row, MastCol::kBody) == key.body) {
      return true;
    }
  }
  return false;
}

}  // namespace sorami
