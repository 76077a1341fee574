// The system folders, in tree order, and the unread marker.
#pragma once

#include <array>
#include <string_view>

namespace sorami {

// "メッセージ", "受信箱", "既読", "送信箱", "草稿", "重要", "削除済み" (code page 932).
inline constexpr std::array<std::string_view, 7> FolderNames = {
    "\x83\x81\x83\x62\x83\x5A\x81\x5B\x83\x57",  // メッセージ
    "\x8E\xF3\x90\x4D\x94\xA0",                  // 受信箱
    "\x8A\xF9\x93\xC7",                          // 既読
    "\x91\x97\x90\x4D\x94\xA0",                  // 送信箱
    "\x91\x90\x8D\x65",                          // 草稿
    "\x8F\x64\x97\x76",                          // 重要
    "\x8D\xED\x8F\x9C\x8D\xCF\x82\xDD",          // 削除済み
};

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

inline constexpr std::string_view FolderName(Folder f) {
  return FolderNames[static_cast<size_t>(f)];
}

inline constexpr std::string_view kUnreadMark = "(\x96\xA2\x93\xC7)";          // "(未読)"
inline constexpr std::string_view kMailCategory = "\x83\x81\x81\x5B\x83\x8B";  // "メール"

// Index of a folder name in FolderNames (exact comparison); 0 for any other name.
inline int FolderIndex(std::string_view name) {
  for (int i = 0; i < static_cast<int>(FolderNames.size()); ++i) {
    if (FolderNames[i] == name) return i;
  }
  return 0;
}

inline bool IsDeletedFolder(std::string_view name) { return name == FolderName(Folder::kDeleted); }

}  // namespace sorami
