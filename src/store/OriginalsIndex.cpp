#include "store/OriginalsIndex.h"

#include <algorithm>
#include <set>

namespace sorami::pack {

void PackIndex::Refresh(const std::filesystem::path& dir) {
  stamp_ = DirectoryStamp(dir);  // before the listing: a change during it is seen next time
  std::set<std::string, std::less<>> present;
  single_files_ = false;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() > kSuffix.size() && name.ends_with(kSuffix)) present.insert(name);
    single_files_ = single_files_ || name.ends_with(".eml") || name.ends_with(".enc");
  }
  for (auto it = packs_.begin(); it != packs_.end();) {
    const std::string name = it->first;
    ++it;
    if (!present.contains(name)) Forget(name);
  }
  for (const std::string& name : present) {  // in name order: older packs first
    uint64_t size = 0, identity = 0;
    if (!FileSizeAndIdentity(dir / name, size, identity)) continue;
    auto seen = packs_.find(name);
    if (seen != packs_.end() && seen->second.identity != identity) {
      Forget(name);  // rewritten: its offsets are not the old ones
      seen = packs_.end();
    }
    if (seen != packs_.end() && size <= seen->second.walked) continue;  // nothing new
    OffsetReader file;
    if (!file.Open(dir / name) || file.identity() != identity) continue;  // changed meanwhile
    if (seen == packs_.end()) seen = packs_.emplace(name, Seen{identity, 0}).first;
    std::vector<Entry> entries;
    seen->second.walked = Walk(file, seen->second.walked, entries);
    for (const Entry& e : entries) Add(name, e);
  }
}

void PackIndex::RefreshIfMoved(const std::filesystem::path& dir) {
  if (stamp_ == 0 || DirectoryStamp(dir) != stamp_) Refresh(dir);
}

const std::vector<Place>* PackIndex::Find(std::string_view raw_key) const {
  const auto it = keys_.find(std::string(raw_key));
  return it == keys_.end() ? nullptr : &it->second;
}

void PackIndex::Appended(const std::string& pack, const Entry& e, uint64_t end, uint64_t identity) {
  const auto seen = packs_.find(pack);
  const bool known = seen != packs_.end() && seen->second.identity == identity;
  if (!known) {
    if (seen != packs_.end()) Forget(pack);  // another file took the name
    packs_[pack] = Seen{identity, 0};
  }
  Add(pack, e);
  packs_[pack].walked = end;
}

void PackIndex::Forget(const std::string& pack) {
  packs_.erase(pack);
  for (auto it = keys_.begin(); it != keys_.end();) {
    std::erase_if(it->second, [&pack](const Place& p) { return p.pack == pack; });
    it = it->second.empty() ? keys_.erase(it) : std::next(it);
  }
}

void PackIndex::Add(const std::string& pack, const Entry& e) {
  std::vector<Place>& places = keys_[e.key];
  Place place{pack, e};
  const auto later = [](const Place& a, const Place& b) {
    return a.pack != b.pack ? a.pack < b.pack : a.entry.offset < b.entry.offset;
  };
  places.insert(std::upper_bound(places.begin(), places.end(), place, later), std::move(place));
}

}  // namespace sorami::pack
