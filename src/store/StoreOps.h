// Changes the user makes to records from the main window: deleting, moving to a folder,
// marking read. They change the store in memory; the next save writes them.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "base/DiagLog.h"
#include "store/MastStore.h"
#include "store/Originals.h"

namespace sorami {

// Deletes the records of the selected list rows (given last to first, as the list walks
// them): a record moves to "削除済み"; one already there has its columns 0..23 erased first.
// A row that is not a record of the store logs "ERROR " and is skipped. msg "削除完了 :N 件",
// or "削除失敗" (false) when nothing was deleted. `deleted` receives the rows deleted. A mail
// erased so has its original removed too (unless another record shares it).
bool SakujoMessage(TArMastd& store, DiagLog& log, const std::vector<int32_t>& rows,
                   std::string& msg, std::vector<int32_t>* deleted = nullptr,
                   const Originals* originals = nullptr);

// Moves a record to a folder; moving to "受信箱" makes it unread again. False (nothing
// changed) when the row is not a record or the record is already in that folder.
bool ChangeFolder(TArMastd& store, DiagLog& log, int32_t row, std::string_view folder);

// Moves every record of folder `from` into folder `to` (a user folder renamed); returns how
// many moved.
int RenameFolderRecords(TArMastd& store, DiagLog& log, std::string_view from, std::string_view to);

// Whether record row is a copy of a message written here rather than one received: it lies in
// the sent or drafts folder, or it is a site message without its sender's host (a received
// one always carries it) wherever it was filed.
bool IsOwnCopy(const TArMastd& store, int32_t row);

// The current local time "yyyy/mm/dd hh:nn:ss".
std::string NowText(std::time_t now = std::time(nullptr));

// Sends the read receipt of a record; filled in by the read-receipt feature.
using FeedbackHook = std::function<std::string(int32_t row)>;

// Marks a record read when it is not yet: read date := now, folder := "既読", and a read
// receipt for a site message (not for mail). True when it was marked just now.
bool SetKakuninbi(TArMastd& store, DiagLog& log, int32_t row, const std::string& now,
                  const FeedbackHook& send_feedback);

}  // namespace sorami
