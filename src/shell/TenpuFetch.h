// The attachments of received site messages, as the fetch, the attachment window's "再取得" and
// the command line get them: files waiting since their message was stored are downloaded, and
// a missing file of a record can be asked for again. Also the start's clean-up of the scratch
// files an interrupted run left.
#pragma once

#include <cstdint>

#include "platform/AppPaths.h"
#include "shell/AppState.h"
#include "site/TenpuDownload.h"

namespace sorami {

// Downloads every waiting file (after a fetch stored and saved its messages).
WaitingFetch DownloadWaitingTenpu(AppState& st);

// Downloads the missing files of record row: those waiting, and any other missing file of a
// received site message from the host of the account it came to (the name it lists is the
// one asked for).
WaitingFetch RefetchTenpu(AppState& st, int32_t row);

// Removes what an interrupted run left: half-written attachments (hidden temporary files in
// ATTACH) and answer scratch files in the data directory. Only for the run that holds the data
// directory's lock.
void RemoveLeftoverFiles(const AppPaths& paths);

}  // namespace sorami
