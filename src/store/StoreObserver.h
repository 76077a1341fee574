// What a view of the message store hears of its changes. A view registers with
// TArMastd::Watch and leaves with Unwatch before it goes; the store calls it right after each
// change, on the thread that made the change. A view does not register or leave while it is
// being called.
#pragma once

#include <cstdint>
#include <string_view>

#include "store/MastRecord.h"

namespace sorami {

class StoreObserver {
 public:
  virtual ~StoreObserver() = default;

  // A record was appended as row `row` (the last record).
  virtual void Appended(int32_t row) = 0;
  // Column `col` of record `row` was set; `before` is its old text, valid during the call.
  virtual void Changed(int32_t row, MastCol col, std::string_view before) = 0;
  // The records were emptied or replaced (a read of the master file): any row may be another
  // record now, and a view rebuilds what it shows from the store.
  virtual void Reset() = 0;
};

}  // namespace sorami
