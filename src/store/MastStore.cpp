#include "store/MastStore.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
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
      index_held_(other.index_held_),
      held_tags_(other.held_tags_),
      blocks_(other.blocks_),
      text_bytes_(other.text_bytes_) {}  // block_size_ 0: its appends go to a block of its own

TArMastd::TArMastd(TArMastd&& other) noexcept
    : rows_(std::move(other.rows_)),
      ct_master_(other.ct_master_),
      capacity_(other.capacity_),
      index_(std::move(other.index_)),
      index_held_(std::exchange(other.index_held_, false)),
      held_tags_(std::move(other.held_tags_)),
      blocks_(std::move(other.blocks_)),
      block_size_(std::exchange(other.block_size_, 0)),
      block_used_(std::exchange(other.block_used_, 0)),
      text_bytes_(std::exchange(other.text_bytes_, 0)),
      text_hint_(std::exchange(other.text_hint_, 0)),
      open_text_(std::exchange(other.open_text_, nullptr)),
      open_room_(other.open_room_),
      open_number_(other.open_number_) {}

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
  index_held_ = std::exchange(other.index_held_, false);
  held_tags_ = std::move(other.held_tags_);
  blocks_ = std::move(other.blocks_);
  block_size_ = std::exchange(other.block_size_, 0);
  block_used_ = std::exchange(other.block_used_, 0);
  text_bytes_ = std::exchange(other.text_bytes_, 0);
  text_hint_ = std::exchange(other.text_hint_, 0);
  open_text_ = std::exchange(other.open_text_, nullptr);
  open_room_ = other.open_room_;
  open_number_ = other.open_number_;
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
  const uint64_t hash = KeyHash(Get(row, MastCol::kDate), Get(row, MastCol::kSender));
  if (index_held_) {
    // Room for as many as the rows reserved: only what is filled takes memory, and the
    // hashes never move.
    if (held_tags_.capacity() == 0) held_tags_.reserve(rows_.capacity());
    held_tags_.push_back(RowIndex::Tag(hash));  // rows are appended in order: row == its position
  } else {
    index_.Add(hash, row);
  }
}

void TArMastd::IndexRemove(int32_t row) {
  if (index_held_) BuildIndex();  // a changed key: the index is whole from now on
  index_.Remove(KeyHash(Get(row, MastCol::kDate), Get(row, MastCol::kSender)), row);
}

void TArMastd::BuildIndex() {
  index_held_ = false;
  index_.Reserve(index_.size() + held_tags_.size());
  const auto first = static_cast<int32_t>(ct_master_ - static_cast<int32_t>(held_tags_.size()));
  for (size_t i = 0; i < held_tags_.size(); ++i) {
    index_.AddTag(held_tags_[i], first + static_cast<int32_t>(i));
  }
  std::vector<uint32_t>().swap(held_tags_);
}

namespace {

// A block of record text; the largest blocks are a huge page each.
std::shared_ptr<char[]> NewBlock(size_t n) {
  if (void* p = HugeAlloc(n)) return std::shared_ptr<char[]>(static_cast<char*>(p), std::free);
  throw std::bad_alloc();
}

}  // namespace

char* TArMastd::TextSpace(size_t n) {
  if (block_used_ + n > block_size_) {
    // Blocks grow with the store, up to 2 MiB: a small store takes little, a large one few.
    constexpr size_t kSmallest = 16 * 1024;
    block_size_ = std::max(n, std::clamp(std::max(text_bytes_, text_hint_), kSmallest, kHugePage));
    blocks_.push_back(NewBlock(block_size_));
    block_used_ = 0;
    text_bytes_ += block_size_;
  }
  char* at = blocks_.back().get() + block_used_;
  block_used_ += n;
  return at;
}

void TArMastd::DropText() {
  open_text_ = nullptr;
  blocks_.clear();
  blocks_.shrink_to_fit();
  block_size_ = block_used_ = text_bytes_ = text_hint_ = 0;
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
  DropOpenRecord();
  const int32_t row = ct_master_;
  const std::string number = Format4d(row);
  auto with_number = cols;
  with_number[ColIndex(MastCol::kNumber)] = number;
  size_t total = 0;
  for (const auto& c : with_number) total += c.size();
  rows_[static_cast<size_t>(row)].AssignAt(TextSpace(total), with_number);
  Appended(row);
  return row;
}

void TArMastd::DropOpenRecord() {
  if (open_text_ == nullptr) return;
  block_used_ -= open_room_;
  open_text_ = nullptr;
}

char* TArMastd::OpenRecord(size_t n) {
  DropOpenRecord();
  char number[24];
  const size_t digits = Format4dTo(ct_master_, number);
  open_room_ = digits + n;
  open_text_ = TextSpace(open_room_);
  std::memcpy(open_text_, number, digits);
  open_number_ = static_cast<uint32_t>(digits);
  return open_text_ + digits;
}

int32_t TArMastd::CommitRecord(const std::array<uint32_t, TArMastData::kColumns>& ends) {
  std::array<uint32_t, TArMastData::kColumns> at;
  at[0] = 0;
  at[1] = open_number_;
  for (int c = 2; c < TArMastData::kColumns; ++c) at[c] = open_number_ + ends[c];
  block_used_ -= open_room_ - at[TArMastData::kColumns - 1];  // the room left over
  const int32_t row = ct_master_;
  rows_[static_cast<size_t>(row)].AssignWritten(open_text_, at);
  open_text_ = nullptr;
  Appended(row);
  return row;
}

void TArMastd::Appended(int32_t row) {
  ++ct_master_;
  IndexAdd(row);
  if (ct_master_ >= capacity_) {
    capacity_ += kCapacityStep;
    rows_.resize(static_cast<size_t>(capacity_) + 1);
  }
  for (StoreObserver* o : observers_) o->Appended(row);
}

void TArMastd::Clear() {
  for (auto& r : rows_) r.Clear();
  ct_master_ = 0;
  index_.Clear();
  index_held_ = false;
  held_tags_.clear();
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
  index_held_ = false;
  held_tags_.clear();
  DropText();
  NotifyReset();
}

void TArMastd::Reserve(size_t n, size_t text_bytes) {
  rows_.reserve(std::max(rows_.size(), n + 1));
  text_hint_ = text_bytes;
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
