// Where each original lies among the packs of Data/Originals, held in memory and built from the
// packs' headers. It follows the folder: a new pack, a pack that grew and a pack rewritten or
// removed since it was last looked at are seen at the next Refresh.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/OriginalsPack.h"

namespace sorami::pack {

struct Place {
  std::string pack;  // file name in the folder
  Entry entry;
};

class PackIndex {
 public:
  // Brings the map up to the folder dir.
  void Refresh(const std::filesystem::path& dir);
  // Refreshes when a name in dir was created, renamed or removed since the last Refresh.
  void RefreshIfMoved(const std::filesystem::path& dir);
  // Whether the folder held one-file originals of earlier versions at the last Refresh.
  bool single_files() const { return single_files_; }
  // The places of a key, oldest first; null when it has none.
  const std::vector<Place>* Find(std::string_view raw_key) const;
  // An entry this process just appended to pack, which now ends at end (its identity as
  // FileSizeAndIdentity gives it).
  void Appended(const std::string& pack, const Entry& e, uint64_t end, uint64_t identity);

 private:
  struct Seen {
    uint64_t identity = 0;
    uint64_t walked = 0;  // where the walk of its entries stopped
  };
  void Forget(const std::string& pack);
  void Add(const std::string& pack, const Entry& e);

  std::map<std::string, Seen, std::less<>> packs_;
  std::unordered_map<std::string, std::vector<Place>> keys_;
  uint64_t stamp_ = 0;
  bool single_files_ = false;
};

}  // namespace sorami::pack
