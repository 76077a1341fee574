// Fetching new site messages: for every enabled account of the account list (or one), ask
// its host for waiting messages with "GET" (they stay on the site), store each new message
// line as a record in the inbox and save the store; only then, unless "サイトに残す" is on,
// ask again with "GETDEL" (the site deletes what it hands over) and store and save what that
// answer holds. Answers are read from a scratch file, whatever their size; one fetch stores a
// limited number of new messages, and when more wait it deletes nothing (the site cannot be
// asked to delete fewer than all): the next fetch goes on. Then collect read receipts, saving
// again when any came.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "site/SiteSession.h"
#include "store/MasterFile.h"

namespace sorami {

// Work done for a fetch by other features: a message's attachments and collecting read
// receipts. Empty hooks are skipped.
struct FetchHooks {
  // Keeps local names for the attachments of a new message, fetched from `host`, and marks
  // them as waiting: they are downloaded once the record was saved. `files` (the list as the
  // service sent it) becomes the list the record keeps.
  using KeepTenpuHook = std::function<void(const std::string& host, const std::string& user,
                                           const std::string& server_no, std::string& files)>;
  KeepTenpuHook keep_tenpu;
  // Collects an account's read receipts; true when any record was confirmed.
  std::function<bool(const SiteAccount&, std::string& msg)> get_feedback;
  // Writes the store to disk; false with the message ("保存失敗 : " and the reason) in msg.
  // The site is asked to delete nothing before what it handed over was saved. Empty: nothing
  // is written and no fetch asks the site to delete anything.
  std::function<bool(std::string& msg)> save;
  // Makes the store ready before the fetch first looks at it: its read may still be running
  // while the first request is answered. False, with the read's message in msg, when the store
  // cannot be fetched into: nothing is stored or saved then and no further site is asked.
  // Empty: the store is ready.
  std::function<bool(std::string& msg)> store_ready;
};

// How one account's fetch ended.
enum class FetchResult {
  kDone,        // answered (and, unless left on the site, deleted there once saved)
  kFailed,      // a request failed; what an earlier step stored is saved
  kSaveFailed,  // what came could not be saved: nothing more is asked of any site
  kUnreadable,  // the store could not be read: nothing was stored, nothing more is asked
};

struct AccountFetch {
  FetchResult result = FetchResult::kFailed;
  int added = 0;              // new records stored
  bool more_waiting = false;  // more new messages than one fetch stores: left for the next
};

struct FetchOutcome {
  bool refused = false;      // another exchange was running: nothing was asked
  bool any_new = false;      // at least one account brought new messages
  bool changed = false;      // the store changed: new messages or confirmed receipts
  int failed = 0;            // accounts whose request failed
  bool save_failed = false;  // the store could not be saved; the fetch stopped there
  std::string save_msg;      // "保存失敗 : " and the reason, when the save failed
  bool unreadable = false;   // the store could not be read; the fetch stopped before storing
  std::string read_msg;      // why, when it could not be read
  std::string checked_at;    // the last-check time "yyyy/mm/dd hh:nn:ss"
};

// The fetch loop over the account list: row -1 for all rows, else that row only.
FetchOutcome SaishinShutoku(SiteSession& ss, TArMastd& store,
                            const std::vector<SiteAccount>& accounts, int row,
                            const FetchHooks& hooks = {});

// One account, in the two steps above. Follows a moved dynamic host. msg is the status text
// of the account ("保存失敗 : ..." when the save failed).
AccountFetch GetMessage(SiteSession& ss, TArMastd& store, const SiteAccount& account,
                        bool leave_on_site, const FetchHooks& hooks, std::string& msg);

// Reads the message lines of an answer from `host` into the store; the number of new records.
int DispMessages(SiteSession& ss, TArMastd& store, const std::string& host,
                 const std::string& value, const FetchHooks& hooks, std::string& msg);

}  // namespace sorami
