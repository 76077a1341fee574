// Read receipts. Reading a site message for the first time tells its sender's host
// ("FEEDBACK"); the sender's fetch later collects the receipts ("GETFEEDBACK") and stamps the
// confirmation time into the read date of every sent copy still waiting with that date. Mail
// records are never receipted and never wait.
#pragma once

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "site/Fetch.h"
#include "site/SiteSession.h"
#include "store/MastStore.h"

namespace sorami {

// Leaves a receipt with the directory server when the sender's host cannot be reached: the
// dynamic-host key and the receipt's fields; false with the reason in msg.
using DepositReceipt = std::function<bool(
    const std::string& key, const std::vector<std::string>& fields, std::string& msg)>;

// The received messages whose receipt has gone out, kept in Data/Receipted.dat (one line per
// message: date, sender, sender site and service number, TAB-separated), so reading a message
// again after moving it back to the inbox sends no second receipt.
class ReceiptLedger {
 public:
  explicit ReceiptLedger(std::filesystem::path file) : file_(std::move(file)) {}
  bool Sent(const TArMastd& store, int32_t row);
  // Remembers the record's receipt; false when the file cannot be written.
  bool Add(const TArMastd& store, int32_t row);

 private:
  static std::string KeyOf(const TArMastd& store, int32_t row);
  void Load();

  std::filesystem::path file_;
  std::set<std::string> keys_;
  bool loaded_ = false;
};

// Sends the receipt for received record row as the reader (nickname, host, system user) to
// the sender's host; a host that cannot be reached gets it through the directory server when
// the sender has a dynamic-host key. msg: the service's answer or why it failed.
bool SendFeedBack(SiteSession& ss, const SiteAccount& reader, const TArMastd& store, int32_t row,
                  const DepositReceipt& deposit, std::string& msg);

// The read receipt of received record row as the reader account, unless the ledger has it: to
// the sender's host, or left with the directory server when that host cannot be reached and
// the sender has a dynamic-host key. Only a receipt that went out joins the ledger, so a
// failed one goes again at the next reading. Returns the text to log.
std::string SendReadReceiptAs(SiteSession& ss, const SiteAccount& reader, const TArMastd& store,
                              ReceiptLedger& ledger, int32_t row);

// Whether a sent copy of this account still waits for its receipt.
bool CheckMidokuSoushin(DiagLog& log, const TArMastd& store, std::string_view nickname,
                        std::string_view site);

// Applies the receipt lines of a "GETFEEDBACK" answer: each confirms every waiting sent copy
// with its date. count: the copies confirmed.
bool SetFeedBack(DiagLog& log, TArMastd& store, std::string_view value, int& count);

// Collects the receipts of one account (no request when nothing waits), following a moved
// dynamic host once. msg: "フィードバック取得完了 :n 件" or "フィードバック該当無し" (unchanged
// when nothing waits).
bool GetFeedBack(SiteSession& ss, TArMastd& store, const SiteAccount& account, std::string& msg);

}  // namespace sorami
