#include "store/Originals.h"

#include <cerrno>
#include <cstring>
#include <set>
#include <unordered_set>

#include "platform/AtomicFile.h"
#include "platform/Codepage.h"
#include "platform/Digest.h"
#include "platform/SyncFiles.h"
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
  std::error_code ec;
  std::filesystem::create_directories(Dir(), ec);
  errno = 0;
  bool ok = false;
  if (master_.encrypt && master_.crypto != nullptr) {
    std::unique_ptr<EncryptedWriter> out = master_.crypto->OpenEncrypted(SealedPath(key));
    ok = out && out->Write(bytes) && out->Commit();       // sealed files are synced one by one
    if (ok) std::filesystem::remove(PlainPath(key), ec);  // no plain copy stays beside it
  } else {
    ok = WriteFileUnsynced(PlainPath(key), bytes);  // synced with the others: SyncOriginals
    if (ok) std::filesystem::remove(SealedPath(key), ec);
  }
  if (!ok) why = Reason("write failed") + " : " + PathText(Dir());
  return ok;
}

bool SyncOriginals(const Originals& originals, std::string& why) {
  if (!PathExists(originals.Dir())) return true;  // none was written
  errno = 0;
  if (SyncFileSystem(originals.Dir())) return true;
  why = Reason("sync failed") + " : " + PathText(originals.Dir());
  return false;
}

bool Originals::Get(const std::string& key, std::string& bytes) const {
  bytes.clear();
  if (!IsKey(key)) return false;
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
  return IsKey(key) && (PathExists(SealedPath(key)) || PathExists(PlainPath(key)));
}

void Originals::Remove(const std::string& key) const {
  if (!IsKey(key)) return;
  std::error_code ec;
  std::filesystem::remove(SealedPath(key), ec);
  std::filesystem::remove(PlainPath(key), ec);
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
  for (const std::string& key : unused) Remove(key);
}

}  // namespace sorami
