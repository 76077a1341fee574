#include "mail/ReceivedIds.h"

#include <string_view>

#include "base/MbText.h"
#include "platform/AtomicFile.h"

namespace sorami {

namespace {

// Ids and names never hold TAB or a line end in the file.
std::string Clean(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  }
  return out;
}

}  // namespace

ReceivedIds::ReceivedIds(std::filesystem::path data_dir, std::string host, std::string user)
    : data_dir_(std::move(data_dir)), host_(Clean(host)), user_(Clean(user)) {}

bool ReceivedIds::Load() {
  others_.clear();
  unreadable_ = false;
  ids_.clear();
  set_.clear();
  const std::filesystem::path path = FilePath(data_dir_);
  if (!PathExists(path)) return true;
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) {
    unreadable_ = true;
    return false;
  }
  std::string_view rest = bytes;
  while (!rest.empty()) {
    std::string_view line, fields, host, user;
    CutLine(rest, line);
    if (line.empty()) continue;
    fields = line;
    CutBytes("\t", fields, host);
    CutBytes("\t", fields, user);
    if (host == host_ && user == user_ && !fields.empty()) {
      Add(std::string(fields));
    } else {
      others_.push_back(std::string(line) + "\r\n");
    }
  }
  return true;
}

void ReceivedIds::Add(const std::string& id) {
  const std::string clean = Clean(id);
  if (clean.empty() || !set_.insert(clean).second) return;
  ids_.push_back(clean);
  if (ids_.size() > kMaxPerMailbox) {
    set_.erase(ids_.front());
    ids_.erase(ids_.begin());
  }
}

void ReceivedIds::KeepOnly(const std::vector<std::string>& on_server) {
  std::unordered_set<std::string> listed;
  for (const std::string& id : on_server) listed.insert(Clean(id));
  std::vector<std::string> kept;
  for (std::string& id : ids_) {
    if (listed.contains(id)) {
      kept.push_back(std::move(id));
    } else {
      set_.erase(id);
    }
  }
  ids_ = std::move(kept);
}

bool ReceivedIds::Save() const {
  if (unreadable_) return false;  // the other mailboxes' lines would be lost
  std::string bytes;
  for (const std::string& line : others_) bytes += line;
  for (const std::string& id : ids_) bytes += host_ + "\t" + user_ + "\t" + id + "\r\n";
  std::error_code ec;
  std::filesystem::create_directories(data_dir_, ec);
  return WriteFileAtomic(FilePath(data_dir_), bytes);
}

}  // namespace sorami
