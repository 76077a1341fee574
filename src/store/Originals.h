// The received mails as their servers sent them, in Data/Originals, so a mail's every character
// survives, whatever the store's code page 932 text could hold.
//
// A record finds its original by a key made from columns it already holds (send date,
// sender, recipient, title, body), so the store's own format stays as it is. The body is part
// of the key because the duplicate test lets two mails differ in their body alone: without it
// the second would overwrite the first one's original. A record whose body was edited by hand
// no longer finds its original, so the pane shows the edit instead of hiding it; the original
// stays.
//
// The originals put between two syncs (one receive, one import) go into one pack file
// (OriginalsPack.h), made durable by one sync of that file before the mail counts as stored;
// each is sealed with the store's key while the store is encrypted. Originals kept one file per
// mail by earlier versions (KEY.enc, KEY.eml) are still found and removed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/MastStore.h"
#include "store/MasterFile.h"

namespace sorami {

class Originals {
 public:
  // Follows the store's place and encryption switch as they are at each call.
  explicit Originals(const MasterFiles& master);
  ~Originals();
  Originals(const Originals&) = delete;
  Originals& operator=(const Originals&) = delete;

  // The key of a mail stored with these column texts (64 hexadecimal digits).
  static std::string KeyOf(std::string_view send_date, std::string_view sender, std::string_view to,
                           std::string_view title, std::string_view body);
  static std::string KeyOfRecord(const TArMastd& store, int32_t row);

  std::filesystem::path Dir() const { return master_.data_dir / "Originals"; }

  // Writes the original of key, unsynced until SyncOriginals; false, with the system's reason,
  // when it could not be written whole (an older original of the key is then left as it was).
  bool Put(const std::string& key, std::string_view bytes, std::string& why) const;
  // Reads the original of key; false when there is none or it cannot be read (a wrong key or
  // a damaged file gives nothing, never part of it).
  bool Get(const std::string& key, std::string& bytes) const;
  bool Has(const std::string& key) const;
  // Removes the original of key for good: the packs holding it are rewritten without it.
  void Remove(const std::string& key) const;

  // The original of a record, when it has one.
  bool OfRecord(const TArMastd& store, int32_t row, std::string& bytes) const {
    return Get(KeyOfRecord(store, row), bytes);
  }
  // What finds a record's original again once the record itself is erased.
  struct Ref {
    std::string key;
    std::string send_date;
  };
  static Ref RefOfRecord(const TArMastd& store, int32_t row) {
    return {KeyOfRecord(store, row), std::string(store.Get(row, MastCol::kSendDate))};
  }
  // Removes the originals of records that were just removed for good, except where a record
  // still in the store has the same key.
  void RemoveUnused(const TArMastd& store, const std::vector<Ref>& removed) const;

 private:
  friend bool SyncOriginals(const Originals& originals, std::string& why);
  struct State;
  bool GetPacked(const std::string& raw_key, std::string& bytes) const;
  // Syncs and closes the pack being written; false with why when the sync failed.
  bool FinishPack(std::string& why) const;
  // Rewrites the packs holding any of raw_keys without them (except in pack keep).
  void RemovePacked(const std::vector<std::string>& raw_keys, const std::string& keep) const;
  void RemoveSingleFiles(const std::string& key) const;
  std::filesystem::path PlainPath(const std::string& key) const { return Dir() / (key + ".eml"); }
  std::filesystem::path SealedPath(const std::string& key) const { return Dir() / (key + ".enc"); }

  const MasterFiles& master_;
  std::unique_ptr<State> state_;  // the pack being written and the map of the packs
};

}  // namespace sorami
