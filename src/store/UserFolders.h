// The user's own folders: names besides the six system folders, each with a check mark
// ("有効", kept and shown, not consulted), kept in Data/UserFolder.dat. A record lies in a user
// folder when its folder column holds that name.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/DiagLog.h"

namespace sorami {

struct UserFolder {
  std::string name;  // code page 932
  bool enabled = true;
};

// The tree and the "フォルダ変更" menu take at most this many user folders.
inline constexpr size_t kUserFolderSlots = 9;

// "position TAB name TAB on|empty" CR LF per entry, into data_dir/UserFolder.dat (written
// whole or not at all; the directory made when missing). msg "保存完了 :" or "保存不可:" + path.
bool SaveUserFolder(const std::vector<UserFolder>& folders, const std::filesystem::path& data_dir,
                    DiagLog& log, std::string& msg);
// Replaces folders with the file's entries; msg "読込完了 :" or "読込不可:" + path (the list is
// then left as it was).
bool ReadUserFolder(std::vector<UserFolder>& folders, const std::filesystem::path& data_dir,
                    DiagLog& log, std::string& msg);

// Why a typed name cannot name a user folder, empty when it can: it is empty, holds a TAB, CR
// or LF, is a system folder's name ("受信箱", "受信箱(未読)", "メッセージ" ...) or is already a
// user folder (exact comparison). The text is for the settings window's status bar.
std::string UserFolderNameProblem(std::string_view name, const std::vector<UserFolder>& folders);
// Whether a typed name may be added (UserFolderNameProblem has nothing to say).
bool UserFolderNameAcceptable(std::string_view name, const std::vector<UserFolder>& folders);

// "受信箱(未読)", "既読", "送信箱", "草稿", "重要", "削除済み": the system folders as the
// settings window lists them for reference.
std::vector<std::string> SystemFolderCaptions();

}  // namespace sorami
