// The fetch of new site messages as the windows and the command line run it: the account
// list handed to the site fetch, and its outcome turned into the status line.
#pragma once

#include <string>
#include <vector>

#include "shell/AppState.h"
#include "site/Fetch.h"

namespace sorami {

struct FetchReport : FetchOutcome {
  std::string status;  // what the main status bar shows at the end
};

// The fetch's download of attachments: from the message's host into the attachment directory.
FetchHooks::DownloadTenpuHook TenpuDownloader(AppState& st);

// Fetches for row -1 (every enabled row) or one row; attachments are downloaded (unless hooks
// bring a download of their own); whenever a step stored something (messages, receipts) the
// store is saved before the site is asked to delete anything. The status line: the folder
// summary when something new came (the folder counts are refreshed), "新着メッセージ無し"
// otherwise, and the number of accounts that failed; a refused fetch says another request is
// running; a failed save gives its "保存失敗 : ..." text.
FetchReport FetchNewMessages(AppState& st, int row, FetchHooks hooks = {});

}  // namespace sorami
