// What became of the read receipts of received messages, kept in two private data files of the
// data directory: the messages whose receipt went out or was deposited (Receipted.dat), so
// reading a message again after moving it back to the inbox sends no second receipt, and the
// receipts that could not be given yet (ReceiptWaiting.dat), which the next fetch sends.
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "store/MastStore.h"

namespace sorami {

// A receipt that could not be given: the request as it was made, to go again later.
struct WaitingReceipt {
  std::string key;                  // the received message (ReceiptLedger::KeyOf)
  std::string host;                 // the sender's host
  std::string dyn_key;              // the sender's dynamic-host key (may be empty)
  std::vector<std::string> fields;  // the "FEEDBACK" request's fields, "NAME=value"
};

class ReceiptLedger {
 public:
  // file: the list of receipted messages; the waiting receipts lie beside it.
  explicit ReceiptLedger(std::filesystem::path file);

  // One line per message: date, sender, sender site and service number, TAB-separated.
  static std::string KeyOf(const TArMastd& store, int32_t row);

  bool Sent(const TArMastd& store, int32_t row);
  // Remembers the record's receipt as given (and no longer waiting); false when a file cannot
  // be written.
  bool Add(const TArMastd& store, int32_t row) { return AddKey(KeyOf(store, row)); }
  bool AddKey(const std::string& key);

  // The receipts waiting to go, oldest first.
  const std::vector<WaitingReceipt>& Waiting();
  // Keeps a receipt waiting (replacing one for the same message); false when the file cannot
  // be written.
  bool Wait(WaitingReceipt r);
  // Forgets a waiting receipt that will never be accepted.
  bool Drop(const std::string& key);

 private:
  void Load();
  bool SaveSent() const;
  bool SaveWaiting() const;

  std::filesystem::path file_;
  std::filesystem::path waiting_file_;
  std::set<std::string> keys_;
  std::vector<WaitingReceipt> waiting_;
  bool loaded_ = false;
};

}  // namespace sorami
