#include "store/MastStore.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "base/MbText.h"

namespace sorami {

TArMastd::TArMastd(const TArMastd& other)
    : rows_(other.rows_),
      ct_master_(other.ct_master_),
      capacity_(other.capacity_),
      index_(other.index_),
      blocks_(other.blocks_),
      text_bytes_(other.text_bytes_) {}  // block_size_ 0: its appends go to a block of its own

TArMastd::TArMastd(TArMastd&& other) noexcept
    : rows_(std::move(other.rows_)),
      ct_master_(other.ct_master_),
      capacity_(other.capacity_),
      index_(std::move(other.index_)),
      blocks_(std::move(other.blocks_)),
      block_size_(std::exchange(other.block_size_, 0)),
      block_used_(std::exchange(other.block_used_, 0)),
      text_bytes_(std::exchange(other.text_bytes_, 0)) {}

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
  blocks_ = std::move(other.blocks_);
  block_size_ = std::exchange(other.block_size_, 0);
  block_used_ = std::exchange(other.block_used_, 0);
  text_bytes_ = std::exchange(other.text_bytes_, 0);
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
  index_.Add(KeyHash(Get(row, MastCol::kDate), Get(row, MastCol::kSender)), row);
}

void TArMastd::IndexRemove(int32_t row) {
  index_.Remove(KeyHash(Get(row, MastCol::kDate), Get(row, MastCol::kSender)), row);
}

namespace {

// A block of record text; the largest blocks are a huge page each.
std::shared_ptr<char[]> NewBlock(size_t n) {
  if (n >= kHugePage) {
    if (void* p = HugeAlloc(n)) return std::shared_ptr<char[]>(static_cast<char*>(p), std::free);
  }
  return std::make_unique_for_overwrite<char[]>(n);
}

}  // namespace

char* TArMastd::TextSpace(size_t n) {
  if (block_used_ + n > block_size_) {
    // Blocks grow with the store, up to 2 MiB: a small store takes little, a large one few.
    constexpr size_t kSmallest = 16 * 1024;
    block_size_ = std::max(n, std::clamp(text_bytes_, kSmallest, kHugePage));
    blocks_.push_back(NewBlock(block_size_));
    block_used_ = 0;
    text_bytes_ += block_size_;
  }
  char* at = blocks_.back().get() + block_used_;
  block_used_ += n;
  return at;
}

void TArMastd::DropText() {
  blocks_.clear();
  blocks_.shrink_to_fit();
  block_size_ = block_used_ = text_bytes_ = 0;
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
  size_t total = 0;
  for (const auto& c : with_number) total += c.size();
  rows_[static_cast<size_t>(row)].AssignAt(TextSpace(total), with_number);
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
  index_.Clear();
  DropText();
  NotifyReset();
}

void TArMastd::Reset() {
  rows_.clear();
  rows_.shrink_to_fit();
  capacity_ = kInitialCapacity;
  rows_.resize(static_cast<size_t>(capacity_) + 1);
  ct_master_ = 0;
  index_.Clear();
  DropText();
  NotifyReset();
}

void TArMastd::Reserve(size_t n) {
  rows_.reserve(std::max(rows_.size(), n + 1));
  index_.Reserve(n);
}

void TArMastd::SetCapacity(int32_t capacity) {
  if (capacity <= capacity_) return;
  capacity_ = capacity;
  rows_.resize(static_cast<size_t>(capacity_) + 1);
}

bool TArMastd::Exists(const MessageKey& key) const {
  return index_.Find(KeyHash(key.date, key.sender), [&](int32_t row) {
    if (Get(row, MastCol::kDate) != key.date || Get(row, MastCol::kSender) != key.sender) {
      return false;
    }
    if (Get(row, MastCol::kSenderSite) != key.sender_site) return false;
    const std::string_view stored_no = Get(row, MastCol::kServerNo);
    if (!stored_no.empty() && !key.server_no.empty()) return stored_no == key.server_no;
    // Without a number to tell them apart, two messages of one second differ by what they say.
    return Get(row, MastCol::kTo) == key.to && Get(row, MastCol::kTitle) == key.title &&
           Get(row, MastCol::kBody) == key.body;
  });
}

}  // namespace sorami
