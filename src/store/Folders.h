// The system folders, in tree order, and the unread marker.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/Codepage.h"

namespace sorami {

// "メッセージ", "受信箱", "既読", "送信箱", "草稿", "重要", "削除済み", in tree order.
inline const std::array<std::string, 7>& FolderNames() {
  static const std::array<std::string, 7> names = {"メッセージ"_cp932, "受信箱"_cp932, "既読"_cp932,
                                                   "送信箱"_cp932,     "草稿"_cp932,   "重要"_cp932,
                                                   "削除済み"_cp932};
  return names;
}

// The system folders by their place in the tree.
enum class Folder : int {
  kRoot = 0,
  kInbox = 1,
  kRead = 2,
  kSent = 3,
  kDraft = 4,
  kImportant = 5,
  kDeleted = 6,
};

// The tree node of a system folder (node 0 the root; user folders follow the system ones).
inline constexpr int FolderNode(Folder f) { return static_cast<int>(f); }

inline const std::string& FolderName(Folder f) { return FolderNames()[static_cast<size_t>(f)]; }

// The read date of an unread record, and the category of a mail record.
inline const std::string& UnreadMark() {
  static const std::string mark = "(未読)"_cp932;
  return mark;
}
// The read date of a sent copy whose send went out whole without an answer: it may have
// arrived. A read receipt confirms it as it confirms an unread copy.
inline const std::string& UnknownResultMark() {
  static const std::string mark = "(結果不明)"_cp932;
  return mark;
}
inline const std::string& MailCategory() {
  static const std::string category = "メール"_cp932;
  return category;
}

// Index of a folder name in FolderNames (exact comparison); 0 for any other name.
inline int FolderIndex(std::string_view name) {
  const auto& names = FolderNames();
  for (int i = 0; i < static_cast<int>(names.size()); ++i) {
    if (names[static_cast<size_t>(i)] == name) return i;
  }
  return 0;
}

inline bool IsDeletedFolder(std::string_view name) { return name == FolderName(Folder::kDeleted); }

}  // namespace sorami
