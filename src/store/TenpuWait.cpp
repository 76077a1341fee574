#include "store/TenpuWait.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "base/MbText.h"
#include "platform/AtomicFile.h"
#include "platform/Codepage.h"

namespace sorami {

void TenpuWaitList::Load() {
  if (loaded_) return;
  loaded_ = true;
  std::string bytes;
  if (!ReadWholeFile(file_, bytes)) return;
  std::string_view rest = bytes, line;
  while (!rest.empty()) {
    CutLine(rest, line);
    std::string_view f[5];
    for (std::string_view& field : f) CutBytes("\t", line, field);
    if (f[4].empty()) continue;  // not a whole line
    entries_.push_back({std::string(f[0]), std::string(f[1]), std::string(f[2]), std::string(f[3]),
                        std::string(f[4])});
  }
}

const std::vector<WaitingTenpu>& TenpuWaitList::entries() {
  Load();
  return entries_;
}

bool TenpuWaitList::Reserved(std::string_view local) {
  Load();
  return std::any_of(entries_.begin(), entries_.end(),
                     [local](const WaitingTenpu& e) { return e.local == local; });
}

void TenpuWaitList::Add(WaitingTenpu entry) {
  Load();
  if (std::find(entries_.begin(), entries_.end(), entry) != entries_.end()) return;
  entries_.push_back(std::move(entry));
  dirty_ = true;
}

void TenpuWaitList::Remove(const WaitingTenpu& entry) {
  Load();
  const auto it = std::find(entries_.begin(), entries_.end(), entry);
  if (it == entries_.end()) return;
  entries_.erase(it);
  dirty_ = true;
}

bool TenpuWaitList::Save(std::string& msg) {
  if (!dirty_) return true;
  std::string bytes;
  for (const WaitingTenpu& e : entries_) {
    bytes += e.host + "\t" + e.user + "\t" + e.server_no + "\t" + e.name + "\t" + e.local + "\r\n";
  }
  std::error_code ec;
  std::filesystem::create_directories(file_.parent_path(), ec);
  if (!WriteFileAtomic(file_, bytes)) {
    msg = "保存失敗 : "_cp932 + strerrordesc_np(errno) + " (" + PathText(file_) + ")";
    return false;
  }
  dirty_ = false;
  return true;
}

}  // namespace sorami
