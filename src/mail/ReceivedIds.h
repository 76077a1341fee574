// What the receive has already stored, per POP3 host and user (an IMAP folder keeps its own
// entries under the names the IMAP receive gives it): the server's unique id of
// each message (UIDL), or "sha256:" and the digest of its bytes when the server has no UIDL
// or gave that id to several messages (older files hold a Message-Id there). A mail left on the
// server is then never stored twice, and a mail stored by an earlier receive may be deleted
// from the server later. Kept in Data/PopReceived.dat, lines "host TAB user TAB id" CR LF,
// saved atomically; the message store's own format does not change.
#pragma once

#include <filesystem>
#include <string>
#include <unordered_set>
#include <vector>

namespace sorami {

class ReceivedIds {
 public:
  // Ids kept per mailbox at most when the server cannot say which mails it still holds;
  // the oldest go first.
  static constexpr size_t kMaxPerMailbox = 50000;

  ReceivedIds(std::filesystem::path data_dir, std::string host, std::string user);

  // Reads the file (a missing file is an empty list); false when it exists but cannot be
  // read.
  bool Load();
  bool Has(const std::string& id) const { return set_.contains(id); }
  void Add(const std::string& id);
  // Keeps only the ids the server still lists (its whole UIDL answer).
  void KeepOnly(const std::vector<std::string>& on_server);
  // Writes the file atomically, the other mailboxes' lines unchanged; never over a file
  // that exists but could not be read.
  bool Save() const;

  size_t size() const { return ids_.size(); }
  const std::vector<std::string>& ids() const { return ids_; }  // oldest first
  static std::filesystem::path FilePath(const std::filesystem::path& data_dir) {
    return data_dir / "PopReceived.dat";
  }

 private:
  std::filesystem::path data_dir_;
  std::string host_, user_;
  std::vector<std::string> others_;  // lines of other mailboxes, with their line ends
  std::vector<std::string> ids_;     // this mailbox's, oldest first
  std::unordered_set<std::string> set_;
  bool unreadable_ = false;
};

}  // namespace sorami
