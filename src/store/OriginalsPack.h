// A pack of originals: one file in Data/Originals holding the mails of one receive, entry after
// entry. An entry is a fixed header (its key, whether it is sealed, the length and check sum of
// its bytes, and a check sum of the header itself) followed by the bytes. The entries can be
// walked by their headers alone, without reading the mails. A crash while a pack grows leaves
// at most its last entry cut short or unwritten: a walk stops at the first entry whose header
// or length does not check out, and reading an entry checks its bytes, so a damaged tail gives
// nothing rather than part of a mail.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/PackFile.h"

namespace sorami::pack {

inline constexpr std::string_view kSuffix = ".pack";
inline constexpr uint64_t kHeaderBytes = 80;

struct Entry {
  std::string key;      // 32 raw bytes
  uint64_t offset = 0;  // of the header
  uint64_t length = 0;  // of the bytes after it
  bool sealed = false;  // the bytes are sealed with the store's key
};

// The 32 raw bytes of a 64-digit key, and back.
std::string RawKey(std::string_view hex);
std::string HexKey(std::string_view raw);

// The header that goes before bytes (as they go to disk: sealed already when sealed).
std::string Header(std::string_view raw_key, std::string_view bytes, bool sealed);

// Walks the entries from offset from (the start of an entry) and adds each complete one to out;
// returns where the walk stopped: the end of the last complete entry.
uint64_t Walk(const OffsetReader& file, uint64_t from, std::vector<Entry>& out);

// Reads the bytes of entry e, checking its header and check sum again; false when they are not
// the entry's (the pack was rewritten or damaged since it was walked).
bool ReadEntry(const OffsetReader& file, const Entry& e, std::string& bytes);

// A name for a new pack: later packs sort after earlier ones.
std::string NewPackName();

// Rewrites the pack at path without the entries drop chooses (a new file synced and renamed over
// it, so a crash leaves the old or the new pack whole), or deletes the pack when no entry is
// left. A cut-short tail is dropped with them. False, with the reason, when it could not.
bool RewriteWithout(const std::filesystem::path& path,
                    const std::function<bool(std::string_view raw_key)>& drop, std::string& why);

}  // namespace sorami::pack
