// How the store keeps its records: the duplicate index against a plain model, the record text
// shared between copies of a store, and a large store through the file in chunks (plain and
// encrypted) with lines crossing every chunk boundary; a site-ID line read back field by field.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "base/MbText.h"
#include "store/RowIndex.h"
#include "store/SiteAccount.h"
#include "store/StoreFixture.h"

namespace sorami {
namespace {

using test::ReadFileBytes;

// Rows found for a hash, in order.
std::multiset<int32_t> Found(const RowIndex& index, uint64_t hash) {
  std::multiset<int32_t> rows;
  index.Find(hash, [&](int32_t row) { return rows.insert(row), false; });
  return rows;
}

TEST(RowIndex, AddsAndRemovesLikeAMultimapThroughGrowthAndCollidingRuns) {
  RowIndex index;
  std::multimap<uint64_t, int32_t> model;
  std::mt19937 random(11);
  // Few hashes, some sharing their tag bits, so runs collide and wrap around the table.
  auto hash = [](uint32_t k) { return (uint64_t{k % 7} << 32) | (k * 0x9E3779B9u); };
  for (int step = 0; step < 20000; ++step) {
    const uint32_t k = random() % 300;
    if (random() % 3 == 0 && !model.empty()) {
      auto it = std::next(model.begin(), random() % model.size());
      index.Remove(it->first, it->second);
      model.erase(it);
    } else {
      const int32_t row = static_cast<int32_t>(random() % 1000);
      index.Add(hash(k), row);
      model.emplace(hash(k), row);
    }
    if (step % 997 == 0 || step == 19999) {
      ASSERT_EQ(index.size(), model.size());
      for (uint32_t probe = 0; probe < 300; ++probe) {
        std::multiset<int32_t> want;
        auto [b, e] = model.equal_range(hash(probe));
        for (; b != e; ++b) want.insert(b->second);
        ASSERT_EQ(Found(index, hash(probe)), want) << step << " " << probe;
      }
    }
  }
  index.Remove(hash(5), 123456);  // nothing of that row: nothing changes
  EXPECT_EQ(index.size(), model.size());
}

class StoreText : public test::StoreTest {};

TEST_F(StoreText, CopiesOfAStoreKeepTheirOwnRecordsWhateverTheOtherAppendsOrChanges) {
  for (int i = 0; i < 50; ++i) Add("to", "title " + std::to_string(i), "受信箱");
  TArMastd copy = st->store;
  for (int i = 50; i < 3000; ++i) Add("to", "title " + std::to_string(i), "受信箱");
  std::array<std::string_view, TArMastData::kColumns> cols{};
  cols[ColIndex(MastCol::kTitle)] = "only in the copy";
  for (int i = 0; i < 3000; ++i) copy.Append(cols);
  st->store.Set(3, MastCol::kTitle, "changed in the first");
  copy.Set(4, MastCol::kBody, "changed in the copy");

  ASSERT_EQ(st->store.CtMaster(), 3000);
  ASSERT_EQ(copy.CtMaster(), 3050);
  for (int32_t r = 0; r < 3000; ++r) {
    const std::string title = r == 3 ? "changed in the first" : "title " + std::to_string(r);
    ASSERT_EQ(st->store.Get(r, MastCol::kTitle), title) << r;
    ASSERT_EQ(st->store.Get(r, MastCol::kBody), "") << r;
  }
  for (int32_t r = 0; r < 3050; ++r) {
    const std::string title = r < 50 ? "title " + std::to_string(r) : "only in the copy";
    ASSERT_EQ(copy.Get(r, MastCol::kTitle), title) << r;
    ASSERT_EQ(copy.Get(r, MastCol::kNumber), Format4d(r)) << r;
  }
  EXPECT_EQ(copy.Get(4, MastCol::kBody), "changed in the copy");
  EXPECT_EQ(copy.Get(4, MastCol::kTitle), "title 4");
}

TEST_F(StoreText, ALargeStoreRoundTripsPlainAndEncryptedAndBothSavesHoldTheSameText) {
  std::mt19937 random(5);
  std::vector<std::string> bodies;
  for (int i = 0; i < 1500; ++i) {
    // Bodies from nothing to beyond a 64 KiB chunk, with every escaped byte.
    std::string body(random() % 20 == 0 ? random() % 70000 : random() % 400, 'a');
    for (char& c : body) c = "ab\t\r\n\x0C\x81\x40z"[random() % 9];
    bodies.push_back(body);
    Add("to", "title " + std::to_string(i), "受信箱", "", std::to_string(i), "s");
    st->store.Set(i, MastCol::kBody, body);
  }
  ASSERT_TRUE(SaveMasterAs(st->master, st->store, false, msg)) << msg;
  const std::string plain_file = ReadFileBytes(DataFile("Master.dat"));
  ASSERT_TRUE(SaveMasterAs(st->master, st->store, true, msg)) << msg;
  ASSERT_FALSE(Has("Master.dat"));
  const auto decrypted = dir / "decrypted";
  ASSERT_EQ(st->crypto->DecryptFile(DataFile("Master.enc").c_str(), decrypted.c_str(), ""), 0);
  EXPECT_TRUE(ReadFileBytes(decrypted) == plain_file);

  for (bool encrypted : {true, false}) {
    if (!encrypted) test::WriteFileBytes(DataFile("Master.dat"), plain_file);
    if (!encrypted) std::filesystem::remove(DataFile("Master.enc"));
    Remake();
    st->master.encrypt = encrypted;
    ASSERT_TRUE(ReadMaster(st->master, st->store, msg)) << msg;
    ASSERT_EQ(st->store.CtMaster(), 1500);
    // Room made for the read's records leaves the capacity rule as it was.
    EXPECT_EQ(st->store.MastCapacity(), TArMastd::kInitialCapacity);
    EXPECT_EQ(st->store.RowCount(), TArMastd::kInitialCapacity + 1u);
    for (int32_t r = 0; r < 1500; ++r) {
      ASSERT_EQ(st->store.Get(r, MastCol::kBody), bodies[r]) << r << " " << encrypted;
      ASSERT_EQ(st->store.Get(r, MastCol::kTitle), "title " + std::to_string(r));
      MastFields f;
      f[MastCol::kDate] = std::to_string(r);
      f[MastCol::kSender] = "s";
      f[MastCol::kBody] = bodies[r];
      f[MastCol::kTo] = "to";
      f[MastCol::kTitle] = "title " + std::to_string(r);
      ASSERT_TRUE(ExistsMaster(st->store, st->log, f)) << r;
    }
  }
}

TEST_F(StoreText, ARecordLeftOutOfAReadLeavesNoTextAndAChangedRecordCopiesWhole) {
  // Deleted records among kept ones (the last one too), bodies crossing 16-byte runs of
  // escapes, then records appended after the read.
  std::string file;
  std::vector<std::string> kept;
  for (int i = 0; i < 40; ++i) {
    const bool gone = i % 3 != 1;
    std::string body(static_cast<size_t>(i * 7), 'x');
    for (size_t k = 0; k < body.size(); k += 5 + i % 4) body[k] = "\t\n\x0C"[k % 3];
    std::string line = Format4d(i + 1);
    for (int c = 2; c <= 23; ++c) {
      line += '\t';
      if (c == static_cast<int>(MastCol::kBody)) line += EscapeMasterField(body);
      if (c == static_cast<int>(MastCol::kFolder)) line += gone ? "削除済み"_cp932 : "受信箱"_cp932;
    }
    file += line + "\r\n";
    if (!gone) kept.push_back(body);
  }
  test::WriteFileBytes(DataFile("Master.dat"), file);
  ASSERT_TRUE(ReadMaster(st->master, st->store, msg)) << msg;
  ASSERT_EQ(st->store.CtMaster(), static_cast<int32_t>(kept.size()));
  Add("after", "appended", "受信箱", "new body");
  st->store.Set(0, MastCol::kTitle, "own title");
  TArMastd copy = st->store;
  st->store.Set(0, MastCol::kBody, "changed after the copy");
  for (int32_t r = 0; r < static_cast<int32_t>(kept.size()); ++r) {
    ASSERT_EQ(copy.Get(r, MastCol::kBody), kept[r]) << r;
    ASSERT_EQ(copy.Get(r, MastCol::kNumber), Format4d(r)) << r;
  }
  EXPECT_EQ(copy.Get(0, MastCol::kTitle), "own title");
  EXPECT_EQ(st->store.Get(0, MastCol::kBody), "changed after the copy");
  EXPECT_EQ(copy.Get(copy.CtMaster() - 1, MastCol::kBody), "new body");
  EXPECT_EQ(copy.Get(copy.CtMaster() - 1, MastCol::kTitle), "appended");
}

TEST(Record, ColumnsStayWholeAsTheRecordGrowsPastAndShrinksBelow64KiB) {
  // Records are kept with short offsets up to 64 KiB and a table of long ones beyond: every
  // change crossing that line, in both directions, against plain strings; copies and moves
  // taken on either side keep their own columns.
  std::array<std::string, TArMastData::kColumns> model;
  TArMastData rec;
  std::mt19937 random(3);
  std::vector<std::pair<TArMastData, std::array<std::string, TArMastData::kColumns>>> copies;
  for (int step = 0; step < 400; ++step) {
    const int col = static_cast<int>(random() % TArMastData::kColumns);
    const size_t sizes[] = {0, 7, 30000, 65535, 65536, 70000};
    std::string value(sizes[random() % 6], static_cast<char>('a' + step % 26));
    rec.Set(col, value);
    model[col] = value;
    if (step % 40 == 0) copies.emplace_back(rec, model);
    if (step % 40 == 20) {
      TArMastData moved = TArMastData(rec);
      TArMastData assigned;
      assigned = std::move(moved);
      EXPECT_TRUE(moved.Empty());
      copies.emplace_back(std::move(assigned), model);
    }
    ASSERT_EQ(rec.Columns(), model) << step;
  }
  for (const auto& [copy, want] : copies) ASSERT_EQ(copy.Columns(), want);
  rec.Clear();
  EXPECT_TRUE(rec.Empty());
  EXPECT_EQ(rec[4], "");
}

TEST(AccountRow, AFieldEndingInALeadByteKeepsTheFieldsAfterIt) {
  // 0xEB starts a double-byte character; here the nickname ends with it.
  const SiteAccount a = ParseAccountRow("site\tni\xEB\tpw\t2026/01/01 00:00:00\th:1\tsys\ton\t$k");
  EXPECT_EQ(a.nickname, "ni\xEB");
  EXPECT_EQ(a.password, "pw");
  EXPECT_EQ(a.dyn_key, "$k");
  EXPECT_TRUE(a.enabled);
  EXPECT_EQ(ParseAccountRow(AccountRowText(a)).nickname, a.nickname);
}

}  // namespace
}  // namespace sorami
