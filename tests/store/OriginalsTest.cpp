// Received mails kept as their servers sent them: found again from the record, sealed while the
// store is encrypted, and gone when the record is erased for good.
#include <gtest/gtest.h>

#include "store/Originals.h"
#include "store/StoreFixture.h"
#include "store/StoreOps.h"

namespace sorami {
namespace {

using namespace test;

const std::string kMail =
    "Subject: =?UTF-8?B?8J+YgA==?=\r\n\r\n\xe7\xb5\xb5\xe6\x96\x87\xe5\xad\x97\xf0\x9f\x98\x80\r\n";

class OriginalsTest : public StoreTest {
 protected:
  // A mail record as the receive files it, with its original written under its key.
  int32_t AddMail(const std::string& title, const std::string& bytes) {
    const int32_t row = Add("hanako@example.jp", title, "削除済み", "body", "2026/12/01 10:00:00",
                            "taro<taro@example.jp>");
    st->store.Set(row, MastCol::kSendDate, "2026/12/01 10:00:00");
    std::string why;
    EXPECT_TRUE(originals().Put(Originals::KeyOfRecord(st->store, row), bytes, why)) << why;
    return row;
  }
  // Follows the run's master file, whichever run that is.
  Originals originals() const { return Originals(st->master); }
  std::filesystem::path dir_data() const { return dir / "app" / "Data"; }
};

TEST_F(OriginalsTest, AnEncryptedStoreSealsTheOriginalAndReadsItBackByteForByte) {
  st->master.encrypt = true;
  const int32_t row = AddMail("sealed", kMail);
  const std::string on_disk = FolderBytes(dir_data() / "Originals");
  ASSERT_FALSE(on_disk.empty());
  EXPECT_EQ(on_disk.find("Subject"), std::string::npos);
  EXPECT_EQ(on_disk.find("\xf0\x9f\x98\x80"), std::string::npos);
  std::string back;
  ASSERT_TRUE(originals().OfRecord(st->store, row, back));
  EXPECT_EQ(back, kMail);

  // Another key cannot open it: nothing comes back, not even part of it.
  const std::string key = Originals::KeyOfRecord(st->store, row);
  Remake(MakeSodiumFileCrypto(dir / "other.key"));
  st->master.encrypt = true;
  EXPECT_FALSE(Originals(st->master).Get(key, back));
  EXPECT_TRUE(back.empty());
}

TEST_F(OriginalsTest, ErasingForGoodRemovesTheOriginalUnlessAnotherRecordSharesIt) {
  const int32_t first = AddMail("same", kMail);
  const int32_t twin = AddMail("same", kMail);  // same date, sender, recipient and title
  const int32_t other = AddMail("other", "other mail\r\n");
  const std::string shared = Originals::KeyOfRecord(st->store, first);
  const std::string own = Originals::KeyOfRecord(st->store, other);
  ASSERT_NE(shared, own);

  // All three lie in "削除済み": deleting them again erases their records.
  const Originals kept = originals();
  ASSERT_TRUE(SakujoMessage(st->store, st->log, {other, first}, msg, nullptr, &kept));
  EXPECT_FALSE(originals().Has(own));
  EXPECT_TRUE(originals().Has(shared)) << "the twin still needs it";
  ASSERT_TRUE(SakujoMessage(st->store, st->log, {twin}, msg, nullptr, &kept));
  EXPECT_FALSE(originals().Has(shared));
  // The erased mails' bytes left the disk, not only the map.
  EXPECT_EQ(FolderBytes(dir_data() / "Originals").find("other mail"), std::string::npos);
  EXPECT_EQ(FolderBytes(dir_data() / "Originals").find("Subject"), std::string::npos);
}

TEST_F(OriginalsTest, AnOriginalThatCannotBeWrittenSaysWhyAndLeavesTheOldOne) {
  const int32_t row = AddMail("kept", kMail);
  const std::string key = Originals::KeyOfRecord(st->store, row);
  // A file where the folder should be: nothing can be written into it.
  std::filesystem::remove_all(dir_data() / "Originals");
  WriteFileBytes(dir_data() / "Originals", "in the way");
  std::string why;
  EXPECT_FALSE(originals().Put(key, "new", why));
  EXPECT_FALSE(why.empty());
  EXPECT_FALSE(originals().Put("../escape", "x", why));
  EXPECT_FALSE(std::filesystem::exists(dir_data() / "escape.eml"));
}

}  // namespace
}  // namespace sorami
