// Read receipts. Reading a site message for the first time tells its sender's host
// ("FEEDBACK"); the sender's fetch later collects the receipts ("GETFEEDBACK") and stamps the
// confirmation time into the read date of the sent copies still waiting with that date, in
// whatever folder they lie; when the receipt names its reader, only the copies addressed to that
// reader. Mail records are never receipted and never wait.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "site/Fetch.h"
#include "site/ReceiptLedger.h"
#include "site/SiteSession.h"
#include "store/MastStore.h"

namespace sorami {

// Leaves a receipt with the directory server when the sender's host cannot be reached: the
// dynamic-host key and the receipt's fields; false with the reason in msg.
using DepositReceipt = std::function<bool(
    const std::string& key, const std::vector<std::string>& fields, std::string& msg)>;

// Sends the receipt for received record row as the reader (nickname, host, system user) to
// the sender's host; a host that cannot be reached gets it through the directory server when
// the sender has a dynamic-host key. msg: the service's answer or why it failed.
bool SendFeedBack(SiteSession& ss, const SiteAccount& reader, const TArMastd& store, int32_t row,
                  const DepositReceipt& deposit, std::string& msg);

// What became of one receipt: given (sent or deposited), refused by the service (it will never
// be taken), or not given because no service could be reached (it can go again later).
enum class ReceiptOutcome { kGiven, kRefused, kNotGiven };

// Gives one receipt: to the sender's host, else deposited under the dynamic-host key.
ReceiptOutcome GiveReceipt(SiteSession& ss, const WaitingReceipt& r, const DepositReceipt& deposit,
                           std::string& msg);

// The read receipt of received record row as the reader account, unless the ledger has it: to
// the sender's host, or left with the directory server when that host cannot be reached and
// the sender has a dynamic-host key. Only a receipt that went out joins the ledger; one that
// could not be given waits in the ledger for SendWaitingReceipts. Returns the text to log.
std::string SendReadReceiptAs(SiteSession& ss, const SiteAccount& reader, const TArMastd& store,
                              ReceiptLedger& ledger, int32_t row);

// Gives the receipts waiting in the ledger; a given one joins the ledger, a refused one is
// dropped, the rest wait on. Returns how many were given.
int SendWaitingReceipts(SiteSession& ss, ReceiptLedger& ledger);

// Whether a sent copy of this account still waits for its receipt.
bool CheckMidokuSoushin(DiagLog& log, const TArMastd& store, std::string_view nickname,
                        std::string_view site);

// Applies the receipt lines of a "GETFEEDBACK" answer: each confirms the waiting sent copies
// with its date; a line naming its reader (field 5, "nickname%site") only those addressed to
// that reader. count: the copies confirmed.
bool SetFeedBack(DiagLog& log, TArMastd& store, std::string_view value, int& count);

// Collects the receipts of one account (no request when nothing waits), following a moved
// dynamic host once. msg: "フィードバック取得完了 :n 件" or "フィードバック該当無し" (unchanged
// when nothing waits).
bool GetFeedBack(SiteSession& ss, TArMastd& store, const SiteAccount& account, std::string& msg);

}  // namespace sorami
