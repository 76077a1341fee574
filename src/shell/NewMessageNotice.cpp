#include "shell/NewMessageNotice.h"

#include "platform/Codepage.h"
#include "store/Folders.h"

namespace sorami {

std::optional<NewMessageNotice> NoticeOfNew(const TArMastd& store, int32_t first, bool enabled) {
  if (!enabled || first < 0) return std::nullopt;
  const std::string& inbox = FolderName(Folder::kInbox);
  NewMessageNotice notice;
  for (int32_t row = first; row < store.CtMaster(); ++row) {
    if (store.Get(row, MastCol::kFolder) != inbox) continue;
    if (notice.count++ == 0) {
      notice.body = std::string(store.Get(row, MastCol::kSender)) + "\n" +
                    std::string(store.Get(row, MastCol::kTitle));
    }
  }
  if (notice.count == 0) return std::nullopt;
  notice.summary = "新着メッセージ "_cp932 + std::to_string(notice.count) + " 件"_cp932;
  return notice;
}

long UnreadInInbox(const TArMastd& store) {
  const std::string& inbox = FolderName(Folder::kInbox);
  long n = 0;
  for (int32_t row = 0; row < store.CtMaster(); ++row) {
    // A site message comes without a read date; mail, and a record moved back, carry the mark.
    const std::string_view read_date = store.Get(row, MastCol::kReadDate);
    if (store.Get(row, MastCol::kFolder) == inbox &&
        (read_date.empty() || read_date == UnreadMark())) {
      ++n;
    }
  }
  return n;
}

}  // namespace sorami
