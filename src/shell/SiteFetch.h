// The fetch of new site messages as the windows and the command line run it: the account
// list handed to the site fetch, and its outcome turned into the status line.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/AppState.h"
#include "site/Fetch.h"

namespace sorami {

struct FetchReport : FetchOutcome {
  std::string status;     // what the main status bar shows at the end
  int tenpu_failed = 0;   // attachments that could not be downloaded (they wait for the next)
  std::string tenpu_msg;  // "添付ファイル取得失敗 : " and the files with why
};

// Fetches for row -1 (every enabled row) or one row; whenever a step stored something
// (messages, the wait list of their attachments, receipts) it is saved before the site is
// asked to delete anything. Then the waiting attachments are downloaded, and a failed one is
// named at the end of the status line. The status line: the folder
// summary when something new came (the folder counts are refreshed), "新着メッセージ無し"
// otherwise, and the number of accounts that failed; a refused fetch says another request is
// running; a failed save gives its "保存失敗 : ..." text.
// A store still being read (hooks.store_ready) is waited for before anything looks at it; one
// that could not be read ends the fetch before anything is stored, with its read message.
FetchReport FetchNewMessages(AppState& st, int row, FetchHooks hooks = {});

// Starts reading the master file on a worker thread, so the read overlaps the fetch's first
// request, and returns the wait for it to hand over as FetchHooks::store_ready. The first call
// of the wait takes the read into st.store as ReadMaster would have left it; every call gives
// its result: false, with the read's message, when a master file exists but could not be read
// (nothing may be fetched into that store), true otherwise (also for a first run's missing
// file).
std::function<bool(std::string& msg)> ReadStoreWhileFetching(AppState& st);

}  // namespace sorami
