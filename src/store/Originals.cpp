#include "store/Originals.h"

#include <cerrno>
#include <cstring>
#include <set>
#include <unordered_set>

#include "platform/AtomicFile.h"
#include "platform/Codepage.h"
#include "platform/Digest.h"
#include "platform/PackFile.h"
#include "store/OriginalsIndex.h"
#include "store/OriginalsSync.h"

namespace sorami {

namespace {

// A key is made here and never comes from outside, but a file name built from anything else
// could leave the folder.
bool IsKey(const std::string& key) {
  if (key.size() != 64) return false;
  for (char c : key) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

std::string Reason(const char* fallback) {
  return errno != 0 ? std::strerror(errno) : std::string(fallback);
}

}  // namespace

struct Originals::State {
  pack::PackIndex index;
  AppendFile writer;        // the pack of the originals put since the last sync
  std::string writer_pack;  // its file name
  uint64_t writer_identity = 0;
  std::vector<std::string> put;  // raw keys put into it
  bool unsynced = false;         // an earlier pack of this receive could not be synced
};

Originals::Originals(const MasterFiles& master)
    : master_(master), state_(std::make_unique<State>()) {}

Originals::~Originals() = default;  // an unsynced pack is closed as it is

std::string Originals::KeyOf(std::string_view send_date, std::string_view sender,
                             std::string_view to, std::string_view title, std::string_view body) {
  std::string joined;
  joined.reserve(send_date.size() + sender.size() + to.size() + title.size() + body.size() + 4);
  for (std::string_view part : {send_date, sender, to, title, body}) {
    joined.append(part);
    joined += '\0';
  }
  return Sha256Hex(joined);
}

std::string Originals::KeyOfRecord(const TArMastd& store, int32_t row) {
  return KeyOf(store.Get(row, MastCol::kSendDate), store.Get(row, MastCol::kSender),
               store.Get(row, MastCol::kTo), store.Get(row, MastCol::kTitle),
               store.Get(row, MastCol::kBody));
}

bool Originals::Put(const std::string& key, std::string_view bytes, std::string& why) const {
  if (!IsKey(key)) {
    why = "bad key";
    return false;
  }
  State& st = *state_;
  const std::string raw = pack::RawKey(key);
  std::string sealed;
  const bool seal = master_.encrypt;
  if (seal && (master_.crypto == nullptr || !master_.crypto->SealBytes(bytes, raw, sealed))) {
    why = "cannot seal : " + PathText(Dir());
    return false;
  }
  const std::string_view out = seal ? std::string_view(sealed) : bytes;
  errno = 0;
  if (!st.writer.is_open()) {
    std::error_code ec;
    std::filesystem::create_directories(Dir(), ec);
    st.writer_pack = pack::NewPackName();
    uint64_t size = 0;
    if (!st.writer.Create(Dir() / st.writer_pack) ||
        !FileSizeAndIdentity(Dir() / st.writer_pack, size, st.writer_identity)) {
      why = Reason("cannot create") + " : " + PathText(Dir());
      st.writer.Close();
      return false;
    }
  }
  pack::Entry e{raw, st.writer.size(), out.size(), seal};
  if (!st.writer.Append(pack::Header(raw, out, seal)) || !st.writer.Append(out)) {
    // The pack ends in a cut-short entry, which reading ignores; the next one starts a new
    // pack. The mails already in this one still count: they are synced now.
    why = Reason("write failed") + " : " + PathText(Dir());
    if (!st.writer.Sync() || !SyncDirectory(Dir())) st.unsynced = true;
    st.writer.Close();
    return false;
  }
  st.index.Appended(st.writer_pack, e, st.writer.size(), st.writer_identity);
  st.put.push_back(raw);
  return true;
}

bool Originals::FinishPack(std::string& why) const {
  State& st = *state_;
  if (st.unsynced) {
    st.unsynced = false;
    why = "sync failed : " + PathText(Dir());
    st.writer.Close();
    return false;
  }
  if (!st.writer.is_open()) return true;
  errno = 0;
  // The pack is new: its name reaches the disk with the folder's sync.
  const bool ok = st.writer.Sync() && SyncDirectory(Dir());
  if (!ok) why = Reason("sync failed") + " : " + PathText(Dir());
  st.writer.Close();
  return ok;
}

bool SyncOriginals(const Originals& originals, std::string& why) {
  Originals::State& st = *originals.state_;
  if (!st.writer.is_open() && !st.unsynced) return true;  // none was written, or all synced
  if (!originals.FinishPack(why)) return false;
  // A key put again leaves no older copy behind (nor a plain one once the store is sealed).
  st.index.RefreshIfMoved(originals.Dir());
  std::vector<std::string> again;
  for (const std::string& raw : st.put) {
    const std::vector<pack::Place>* places = st.index.Find(raw);
    bool older = false;
    for (size_t i = 0; places && i < places->size(); ++i) {
      older = older || (*places)[i].pack != st.writer_pack;
    }
    if (older) again.push_back(raw);
    if (st.index.single_files()) originals.RemoveSingleFiles(pack::HexKey(raw));
  }
  if (!again.empty()) originals.RemovePacked(again, st.writer_pack);
  st.put.clear();
  return true;
}

bool Originals::GetPacked(const std::string& raw, std::string& bytes) const {
  State& st = *state_;
  st.index.RefreshIfMoved(Dir());
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (attempt == 1) st.index.Refresh(Dir());  // a pack grew or was rewritten meanwhile
    const std::vector<pack::Place>* places = st.index.Find(raw);
    if (places == nullptr) continue;
    const std::vector<pack::Place> found = *places;
    for (auto it = found.rbegin(); it != found.rend(); ++it) {  // the latest first
      OffsetReader file;
      std::string stored;
      if (!file.Open(Dir() / it->pack) || !pack::ReadEntry(file, it->entry, stored)) continue;
      if (!it->entry.sealed) {
        bytes = std::move(stored);
        return true;
      }
      if (master_.crypto != nullptr && master_.crypto->OpenBytes(stored, raw, bytes)) return true;
    }
  }
  return false;
}

bool Originals::Get(const std::string& key, std::string& bytes) const {
  bytes.clear();
  if (!IsKey(key)) return false;
  if (GetPacked(pack::RawKey(key), bytes)) return true;
  if (PathExists(SealedPath(key))) {
    if (master_.crypto == nullptr) return false;
    std::string plain;
    const bool ok = master_.crypto->DecryptToSink(SealedPath(key), [&plain](std::string_view c) {
      plain.append(c);
      return true;
    });
    if (ok) bytes = std::move(plain);
    return ok;
  }
  return PathExists(PlainPath(key)) && ReadWholeFile(PlainPath(key), bytes);
}

bool Originals::Has(const std::string& key) const {
  if (!IsKey(key)) return false;
  if (PathExists(SealedPath(key)) || PathExists(PlainPath(key))) return true;
  State& st = *state_;
  const std::string raw = pack::RawKey(key);
  st.index.RefreshIfMoved(Dir());
  if (st.index.Find(raw) != nullptr) return true;
  st.index.Refresh(Dir());
  return st.index.Find(raw) != nullptr;
}

void Originals::RemoveSingleFiles(const std::string& key) const {
  std::error_code ec;
  std::filesystem::remove(SealedPath(key), ec);
  std::filesystem::remove(PlainPath(key), ec);
}

void Originals::RemovePacked(const std::vector<std::string>& raw_keys,
                             const std::string& keep) const {
  State& st = *state_;
  std::string why;
  FinishPack(why);  // the pack being written may be one to rewrite
  st.index.Refresh(Dir());
  const std::unordered_set<std::string> drop(raw_keys.begin(), raw_keys.end());
  std::set<std::string> packs;
  for (const std::string& raw : raw_keys) {
    const std::vector<pack::Place>* places = st.index.Find(raw);
    for (size_t i = 0; places && i < places->size(); ++i) {
      if ((*places)[i].pack != keep) packs.insert((*places)[i].pack);
    }
  }
  for (const std::string& name : packs) {
    pack::RewriteWithout(
        Dir() / name, [&drop](std::string_view raw) { return drop.contains(std::string(raw)); },
        why);
  }
  if (!packs.empty()) st.index.Refresh(Dir());
}

void Originals::Remove(const std::string& key) const {
  if (!IsKey(key)) return;
  RemovePacked({pack::RawKey(key)}, "");
  RemoveSingleFiles(key);
}

void Originals::RemoveUnused(const TArMastd& store, const std::vector<Ref>& removed) const {
  std::unordered_set<std::string> unused;
  std::set<std::string, std::less<>> dates;
  for (const Ref& ref : removed) {
    if (!Has(ref.key)) continue;
    unused.insert(ref.key);
    dates.insert(ref.send_date);
  }
  // Only a record with the send date of a removed one can share its key.
  for (int32_t r = 0; r < store.CtMaster() && !unused.empty(); ++r) {
    if (!dates.contains(store.Get(r, MastCol::kSendDate))) continue;
    unused.erase(KeyOfRecord(store, r));
  }
  std::vector<std::string> raw_keys;
  for (const std::string& key : unused) {
    raw_keys.push_back(pack::RawKey(key));
    RemoveSingleFiles(key);
  }
  if (!raw_keys.empty()) RemovePacked(raw_keys, "");
}

}  // namespace sorami
