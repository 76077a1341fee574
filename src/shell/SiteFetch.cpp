#include "shell/SiteFetch.h"

#include "platform/Codepage.h"
#include "shell/TenpuFetch.h"
#include "site/Receipts.h"
#include "site/SendHttp.h"
#include "views/FolderCounts.h"

namespace sorami {

FetchReport FetchNewMessages(AppState& st, int row, FetchHooks hooks) {
  if (!hooks.keep_tenpu) {
    hooks.keep_tenpu = [&st](const std::string& host, const std::string& user,
                             const std::string& server_no, std::string& files) {
      files = ReserveTenpu(st.paths.AttachDir(), st.tenpu_wait, host, user, server_no, files);
    };
  }
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
  // The wait list first, whoever saves the store: a record on disk always finds its files
  // waiting.
  hooks.save = [&st, save = std::move(hooks.save)](std::string& msg) {
    return st.tenpu_wait.Save(msg) && save(msg);
  };
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
  // The folder counts and the waiting files below look at the store: it must be ready.
  if (!report.unreadable && hooks.store_ready && !hooks.store_ready(report.read_msg)) {
    report.unreadable = true;
  }
  if (report.unreadable) {
    report.status = report.read_msg;
    return report;
  }
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
  if (report.save_failed) {
    report.status = report.save_msg;
    return report;
  }
  const WaitingFetch files = DownloadWaitingTenpu(st);
  report.tenpu_failed = files.failed;
  report.tenpu_msg = files.msg;
  if (files.failed > 0) report.status += "　"_cp932 + files.msg;
  return report;
}

std::function<bool(std::string& msg)> ReadStoreWhileFetching(AppState& st) {
  struct Read {
    bool taken = false;
    bool usable = false;
    std::string msg;
  };
  st.preload.Start(st.master);
  auto read = std::make_shared<Read>();
  return [&st, read](std::string& msg) {
    if (!read->taken) {
      read->taken = true;
      const bool ok = st.preload.Take(st.master, st.store, read->msg);
      // A missing file is a first run's empty store; one that is there unread is never
      // fetched into (a save would set it aside).
      read->usable = ok || !st.master.unread_file_on_disk;
    }
    if (!read->usable) msg = read->msg;
    return read->usable;
  };
}

}  // namespace sorami
