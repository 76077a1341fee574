#include "store/StoreOps.h"

#include "base/MbText.h"
#include "platform/Codepage.h"
#include "store/Folders.h"

namespace sorami {

namespace {

bool IsRecord(const TArMastd& store, int32_t row) { return row >= 0 && row < store.CtMaster(); }

}  // namespace

bool SakujoMessage(TArMastd& store, DiagLog& log, const std::vector<int32_t>& rows,
                   std::string& msg, std::vector<int32_t>* deleted, const Originals* originals) {
  log.Log(".SakujoMessage");
  std::vector<Originals::Ref> erased;
  long count = 0;
  const std::string_view wastebasket = FolderName(Folder::kDeleted);
  for (const int32_t row : rows) {
    if (!IsRecord(store, row)) {
      log.Log("ERROR " + std::to_string(row));
      continue;
    }
    if (IsDeletedFolder(store.Get(row, MastCol::kFolder))) {
      if (originals) erased.push_back(Originals::RefOfRecord(store, row));
      for (int col = 0; col <= 23; ++col) store.Set(row, col, "");
    }
    store.Set(row, MastCol::kFolder, wastebasket);
    if (deleted) deleted->push_back(row);
    ++count;
  }
  if (originals && !erased.empty()) originals->RemoveUnused(store, erased);
  if (count > 0) {
    msg = "削除完了 :"_cp932 + std::to_string(count) + " 件"_cp932;
    return true;
  }
  msg = "削除失敗"_cp932;
  return false;
}

bool ChangeFolder(TArMastd& store, DiagLog& log, int32_t row, std::string_view folder) {
  log.Log("ChangeFolder:" + std::string(folder));
  if (!IsRecord(store, row)) return false;
  if (store.Get(row, MastCol::kFolder) == folder) return false;
  store.Set(row, MastCol::kFolder, folder);
  if (folder == FolderName(Folder::kInbox)) store.Set(row, MastCol::kReadDate, UnreadMark());
  return true;
}

int RenameFolderRecords(TArMastd& store, DiagLog& log, std::string_view from, std::string_view to) {
  log.Log("RenameFolder:" + std::string(from) + " -> " + std::string(to));
  const std::string old_name(from);  // from may point into a record about to change
  int moved = 0;
  for (int32_t r = 0; r < store.CtMaster(); ++r) {
    if (store.Get(r, MastCol::kFolder) != old_name) continue;
    store.Set(r, MastCol::kFolder, to);
    ++moved;
  }
  return moved;
}

bool IsOwnCopy(const TArMastd& store, int32_t row) {
  const std::string_view folder = store.Get(row, MastCol::kFolder);
  return folder == FolderName(Folder::kSent) || folder == FolderName(Folder::kDraft) ||
         (store.Get(row, MastCol::kCategory) != MailCategory() &&
          store.Get(row, MastCol::kSenderHost).empty());
}

std::string NowText(std::time_t now) { return FormatLocalTime(now, "%Y/%m/%d %H:%M:%S"); }

bool SetKakuninbi(TArMastd& store, DiagLog& log, int32_t row, const std::string& now,
                  const FeedbackHook& send_feedback) {
  if (!IsRecord(store, row)) return false;
  const std::string_view read_date = store.Get(row, MastCol::kReadDate);
  log.Log(".SetKakuninbi :" + std::string(read_date));
  if (!read_date.empty() && read_date != UnreadMark()) return false;
  store.Set(row, MastCol::kReadDate, now);
  store.Set(row, MastCol::kFolder, FolderName(Folder::kRead));
  if (store.Get(row, MastCol::kCategory) != MailCategory() && send_feedback) {
    log.Log(send_feedback(row));
  }
  return true;
}

}  // namespace sorami
