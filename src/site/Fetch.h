// Fetching new site messages: for every enabled account of the account list (or one), ask
// its host for waiting messages ("GET" leaves them on the site, "GETDEL" has them deleted),
// store each new message line as a record in the inbox, then collect read receipts.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "site/SiteSession.h"
#include "store/MasterFile.h"

namespace sorami {

// Work done for a fetch by other features: downloading a message's attachments and
// collecting read receipts. Empty hooks are skipped.
struct FetchHooks {
  // Downloads the attachments of a new message from the host its account was fetched from;
  // `files` (the list as the service sent it) becomes the list the record keeps.
  using DownloadTenpuHook =
      std::function<bool(const std::string& host, const std::string& user,
                         const std::string& server_no, std::string& files, std::string& msg)>;
  DownloadTenpuHook download_tenpu;
  std::function<bool(const SiteAccount&, std::string& msg)> get_feedback;
};

// What one account's request brought.
enum class FetchResult { kNew, kNothingNew, kFailed };

struct FetchOutcome {
  bool refused = false;    // another exchange was running: nothing was asked
  bool any_new = false;    // at least one account brought new messages
  int failed = 0;          // accounts whose request failed
  std::string checked_at;  // the last-check time "yyyy/mm/dd hh:nn:ss"
};

// The fetch loop over the account list: row -1 for all rows, else that row only.
FetchOutcome SaishinShutoku(SiteSession& ss, TArMastd& store,
                            const std::vector<SiteAccount>& accounts, int row,
                            const FetchHooks& hooks = {});

// One account. Follows a moved dynamic host. msg is the status text of the account.
FetchResult GetMessage(SiteSession& ss, TArMastd& store, const SiteAccount& account,
                       bool leave_on_site, const FetchHooks& hooks, std::string& msg);

// Reads the message lines of an answer from `host` into the store; the number of new records.
int DispMessages(SiteSession& ss, TArMastd& store, const std::string& host,
                 const std::string& value, const FetchHooks& hooks, std::string& msg);

}  // namespace sorami
