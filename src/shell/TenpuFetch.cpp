#include "shell/TenpuFetch.h"

#include <system_error>

#include "attach/TenpuList.h"
#include "platform/AtomicFile.h"
#include "platform/Codepage.h"
#include "platform/SpoolFile.h"
#include "store/Folders.h"

namespace sorami {

namespace fs = std::filesystem;

WaitingFetch DownloadWaitingTenpu(AppState& st) {
  return DownloadWaiting(st.site, st.paths.AttachDir(), st.tenpu_wait, st.store);
}

WaitingFetch RefetchTenpu(AppState& st, int32_t row) {
  if (row < 0 || row >= st.store.CtMaster()) return {};
  const BusyGuard guard(st.busy);
  if (!guard.acquired()) return {0, 1, BusyMessage()};
  const bool received_message = st.store.Get(row, MastCol::kCategory) != MailCategory() &&
                                st.store.Get(row, MastCol::kFolder) != FolderName(Folder::kSent);
  const std::string user(st.store.Get(row, MastCol::kRecipientUser));
  const std::string server_no(st.store.Get(row, MastCol::kServerNo));
  std::string host;
  for (const SiteAccount& a : st.settei.rows) {
    if (a.sys_user == user && !user.empty()) host = a.host;
  }
  std::string unasked;  // missing files no account can ask for
  for (const RecordFile& f : RecordTenpu(st.store, row, st.paths.AttachDir())) {
    if (f.exists || !received_message) continue;
    bool waiting = false;
    for (const WaitingTenpu& w : st.tenpu_wait.entries()) {
      waiting = waiting || (w.local == f.row.name && WaitsForRecord(st.store, row, w));
    }
    if (waiting) continue;
    if (host.empty()) {
      unasked += (unasked.empty() ? "" : ", ") + f.row.name + " (" + "HOST未設定"_cp932 + ")";
    } else {
      st.tenpu_wait.Add({host, user, server_no, f.row.name, f.row.name});
    }
  }
  WaitingFetch out = DownloadWaiting(
      st.site, st.paths.AttachDir(), st.tenpu_wait, st.store,
      [&st, row](const WaitingTenpu& w) { return WaitsForRecord(st.store, row, w); });
  if (!unasked.empty()) {
    ++out.failed;
    out.msg += (out.msg.empty() ? "添付ファイル取得失敗 : "_cp932 : ", ") + unasked;
  }
  return out;
}

void RemoveLeftoverFiles(const AppPaths& paths) {
  std::error_code ec;
  // A file being written is ".<name>.XXXXXX" beside its target until it is renamed.
  for (const auto& e : fs::directory_iterator(paths.AttachDir(), ec)) {
    const std::string n = e.path().filename().string();
    if (n.size() > 8 && n[0] == '.' && n[n.size() - 7] == '.' && e.is_regular_file(ec)) {
      fs::remove(e.path(), ec);
    }
  }
  for (const auto& e : fs::directory_iterator(paths.DataDir(), ec)) {
    if (IsSpoolFileName(e.path().filename().string())) fs::remove(e.path(), ec);
  }
}

}  // namespace sorami
