// The message store: the table of records with its count of rows in use (CtMaster), the
// capacity rule, and an index of (date, sender) kept in step with the records so the
// duplicate test of a fetch does not scan the store. The views that show records watch the
// store and hear of every change (StoreObserver).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "store/HugePages.h"
#include "store/MastRecord.h"
#include "store/RowIndex.h"
#include "store/StoreObserver.h"

namespace sorami {

class TArMastd {
 public:
  static constexpr int32_t kInitialCapacity = 2000;
  static constexpr int32_t kCapacityStep = 100;

  TArMastd() { Reset(); }
  // A copy holds the records only: a view watches the store it registered with.
  TArMastd(const TArMastd& other);
  TArMastd(TArMastd&& other) noexcept;
  // Puts other records in place (a read of the master file): the watching views stay and
  // hear Reset.
  TArMastd& operator=(const TArMastd& other);
  TArMastd& operator=(TArMastd&& other) noexcept;

  // Registers a view to hear of every change, and takes it off again. Watching changes no
  // record, so a view that only reads the store watches it through a const reference.
  void Watch(StoreObserver* observer) const;
  void Unwatch(StoreObserver* observer) const;

  // Rows 0 .. CtMaster()-1 are the records; rows beyond are empty.
  int32_t CtMaster() const { return ct_master_; }
  int32_t MastCapacity() const { return capacity_; }
  // Rows of the table: MastCapacity() + 1.
  size_t RowCount() const { return rows_.size(); }
  const TArMastData& Row(int32_t row) const { return rows_[static_cast<size_t>(row)]; }
  std::string_view Get(int32_t row, int col) const { return rows_[static_cast<size_t>(row)][col]; }
  std::string_view Get(int32_t row, MastCol col) const { return Get(row, static_cast<int>(col)); }

  // Changes one column of a row (a record's column: the views hear Changed).
  void Set(int32_t row, int col, std::string_view value);
  void Set(int32_t row, MastCol col, std::string_view value) {
    Set(row, static_cast<int>(col), value);
  }
  // Appends a record into row CtMaster(): columns as given, column 1 := the row index
  // ("%4.4d"); grows the table by the capacity rule. Returns the row; the views hear Appended.
  int32_t Append(const std::array<std::string_view, TArMastData::kColumns>& cols);
  // Appending a record written in place (the read of a master file): OpenRecord(n) gives room
  // for up to n bytes of columns 2 .. 24, to be written there one after another;
  // CommitRecord(ends) appends them as a record as Append does, ends[k] (k >= 2) being where
  // column k ends counted from the room's start. A record opened and not committed takes no
  // room: the next OpenRecord reuses it.
  char* OpenRecord(size_t n);
  int32_t CommitRecord(const std::array<uint32_t, TArMastData::kColumns>& ends);
  // Empties every row and sets CtMaster to 0; the table keeps its size. The views hear Reset.
  void Clear();
  // Back to the start state: 2001 empty rows. The views hear Reset.
  void Reset();
  // Makes room for about n records (a read of a large file): the rows then take them without
  // moving. MastCapacity() stays as the capacity rule has it. text_bytes, about the size of
  // their text, sizes the first text block: a large read starts on whole huge pages instead
  // of growing through small blocks, and a small one takes one block that fits.
  void Reserve(size_t n, size_t text_bytes = 0);
  // While a read fills a fresh table, its duplicate index can wait: after HoldIndex() the
  // appended rows are only noted, and BuildIndex() indexes them all at once, in a table sized
  // for them. Exists() is meant for after BuildIndex().
  void HoldIndex() { index_held_ = true; }
  void BuildIndex();
  // Grows an empty table to the given capacity (MastCapacity() + 1 rows).
  void SetCapacity(int32_t capacity);

  // A fetched message as the duplicate test sees it.
  struct MessageKey {
    std::string_view date, sender, sender_site, server_no, to, title, body;
  };
  // Whether the store holds this message already: a record with the same date (column 5),
  // sender (column 7) and sender site (column 11), and the same message number of the
  // service (column 6) when both have one; when either has none, the same recipient, title
  // and body (columns 2, 3, 4) as well. Two senders of one name on different sites, or two
  // messages of one sender in the same second, are different messages.
  bool Exists(const MessageKey& key) const;

 private:
  static uint64_t KeyHash(std::string_view date, std::string_view sender);
  void IndexAdd(int32_t row);
  void IndexRemove(int32_t row);
  void NotifyReset();
  // Room for n bytes of record text in the current block, or in a new one.
  char* TextSpace(size_t n);
  // Gives back the room of an open record that was not committed.
  void DropOpenRecord();
  // The row appended last: index, capacity and views brought up to date.
  void Appended(int32_t row);
  void DropText();

  // On huge pages: a page fault per 4 KiB of rows costs a large read more time than the
  // unfilled part of the last huge page costs memory.
  std::vector<TArMastData, HugeAllocator<TArMastData>> rows_;
  int32_t ct_master_ = 0;
  int32_t capacity_ = kInitialCapacity;
  RowIndex index_;  // hash of (date, sender) -> row
  bool index_held_ = false;
  std::vector<uint32_t> held_tags_;  // of rows appended while the index is held, in order
  // The text of the appended records, in few large blocks written once and shared with the
  // copies of the store: a copy never writes into a block it shares.
  std::vector<std::shared_ptr<char[]>> blocks_;
  size_t block_size_ = 0;
  size_t block_used_ = 0;
  size_t text_bytes_ = 0;  // of all blocks
  size_t text_hint_ = 0;   // from Reserve, for the size of the first block
  // The record opened by OpenRecord: where its text starts, the room it took, and the length
  // of its row number in front.
  char* open_text_ = nullptr;
  size_t open_room_ = 0;
  uint32_t open_number_ = 0;
  mutable std::vector<StoreObserver*> observers_;
};

}  // namespace sorami
