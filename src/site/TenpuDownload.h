// The download of a fetched message's attached files from its host ("WbTenpu.exe?") into the
// attachment directory, each under a name that replaces no existing file.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "site/SiteSession.h"
#include "store/MastStore.h"
#include "store/TenpuWait.h"

namespace sorami {

// Every byte of 0x80 or above as "%" and two lower-case hex digits; every other byte as it is
// (so "&", "=", "%" and blanks stay). The query of a download is sent this way.
std::string EscapeHighBytes(std::string_view text);

// What one download brought.
struct TenpuDownload {
  // The list as the record keeps it, in the same order: for each file saved, the local name it
  // was saved under; for each file that failed, the name as the service gave it.
  std::string names;
  std::string last_path;  // the local path of the last file saved (code page 932)
  int saved = 0;
  int failed = 0;
};

// Downloads every name of `files` (separated by ","; empty names skipped) for the recipient
// user and the message's server number from `host` into attach_dir, one GET each. A file is
// streamed to a temporary name and renamed when complete, so a failed one leaves nothing
// behind; its name from the service is only a hint (the last path component made safe, then a
// dated free name). A failed file is skipped ("接続エラー", or the size limit's text) and the
// others are still tried. False with "HOST未設定" when the host is empty, and when any file
// failed.
bool DownloadTenpu(SiteSession& ss, const std::filesystem::path& attach_dir,
                   const std::string& host, const std::string& user, const std::string& server_no,
                   const std::string& files, TenpuDownload& out, std::string& msg);

// Keeps a free local name in attach_dir for each file of a new message (`files` as the service
// lists them) and puts each file on the wait list; returns the list the record keeps.
std::string ReserveTenpu(const std::filesystem::path& attach_dir, TenpuWaitList& wait,
                         const std::string& host, const std::string& user,
                         const std::string& server_no, const std::string& files);

// Whether a waiting file belongs to a record of the store (its service number and recipient,
// the local name in its list).
bool WaitsForRecord(const TArMastd& store, int32_t row, const WaitingTenpu& file);

// What a download of waiting files brought.
struct WaitingFetch {
  int saved = 0;
  int failed = 0;
  std::string msg;  // "添付ファイル取得失敗 : " and each failed file with why; empty if none did
};

// Downloads the waiting files `only` accepts (all when empty) whose record is in the store;
// one whose record is gone leaves the list undownloaded, one already present (saved before an
// interruption) just leaves it. A file downloaded leaves the list, which is saved after each.
// Only the idle time-out and the size limit bound a download, never its total time.
WaitingFetch DownloadWaiting(SiteSession& ss, const std::filesystem::path& attach_dir,
                             TenpuWaitList& wait, const TArMastd& store,
                             const std::function<bool(const WaitingTenpu&)>& only = nullptr);

}  // namespace sorami
