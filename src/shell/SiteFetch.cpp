#include "shell/SiteFetch.h"

#include "platform/Codepage.h"
#include "site/Receipts.h"
#include "site/SendHttp.h"
#include "site/TenpuDownload.h"
#include "views/FolderCounts.h"

namespace sorami {

FetchHooks::DownloadTenpuHook TenpuDownloader(AppState& st) {
  return [&st](const std::string& host, const std::string& user, const std::string& server_no,
               std::string& files, std::string& msg) {
    TenpuDownload got;
    const bool ok =
        DownloadTenpu(st.site, st.paths.AttachDir(), host, user, server_no, files, got, msg);
    files = got.names;
    return ok;
  };
}

FetchReport FetchNewMessages(AppState& st, int row, FetchHooks hooks) {
  if (!hooks.download_tenpu) hooks.download_tenpu = TenpuDownloader(st);
  // After each account's messages, its read receipts.
  if (!hooks.get_feedback) {
    hooks.get_feedback = [&st](const SiteAccount& a, std::string& msg) {
      return GetFeedBack(st.site, st.store, a, msg);
    };
  }
  // Every step that stored something saves at once: the site deletes what it handed over
  // only after this save, and receipts it hands over only once.
  if (!hooks.save) {
    hooks.save = [&st](std::string& msg) { return SaveMaster(st.master, st.store, msg); };
  }
  FetchReport report;
  BusyGuard guard(st.busy);
  if (!guard.acquired()) {
    report.refused = true;
    report.status = BusyMessage();
    return report;
  }
  // Receipts that could not be given when their messages were read go first.
  SendWaitingReceipts(st.site, st.receipts);
  static_cast<FetchOutcome&>(report) =
      SaishinShutoku(st.site, st.store, st.settei.rows, row, hooks);
  if (report.any_new) {
    SetDisplay(st.store, st.log, report.status);
  } else {
    report.status = "新着メッセージ無し"_cp932;
  }
  if (report.failed > 0) {
    report.status +=
        "（取得できなかったアカウント : "_cp932 + std::to_string(report.failed) + " 件）"_cp932;
  }
  // A failed save ends the fetch and says why; what came stays on the site.
  if (report.save_failed) report.status = report.save_msg;
  return report;
}

}  // namespace sorami
