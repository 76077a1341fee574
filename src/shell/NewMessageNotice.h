// What a fetch or a receive tells the desktop: the records it added to the inbox, counted and
// named by the first of them. The shell takes the store's record count before the exchange;
// the records appended after it are the new ones, so what the store held before (read at
// start, or brought earlier) is never announced again.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "store/MastStore.h"

namespace sorami {

struct NewMessageNotice {
  int count = 0;
  std::string summary;  // "新着メッセージ n 件"
  std::string body;     // the first new record's sender, a line break, its title
};

// The notice for the inbox records from row `first` on; none when notices are switched off or
// no such record came (also when the store was read anew and holds fewer records than first).
// Texts are in code page 932, as the store keeps them.
std::optional<NewMessageNotice> NoticeOfNew(const TArMastd& store, int32_t first, bool enabled);

// The unread records of the inbox (no read date yet, or the unread mark), as the tray shows
// them.
long UnreadInInbox(const TArMastd& store);

}  // namespace sorami
