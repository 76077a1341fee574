#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "base/MbText.h"
#include "store/Folders.h"
#include "store/MasterFile.h"
#include "store/StoreFixture.h"

namespace sorami {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

class MasterFile : public test::StoreTest {};

std::string Line(const std::string& number, std::vector<std::pair<int, std::string>> cols) {
  std::string line = number;
  for (int c = 2; c <= 23; ++c) {
    line += '\t';
    for (auto& [col, v] : cols) {
      if (col == c) line += v;
    }
  }
  return line + "\r\n";
}

TEST_F(MasterFile, SavesDeletedRowsAsGapsEscapesTabsAndLineBreaksAndRenumbersOnRead) {
  const int32_t first = Add("a", "fi\trst", "受信箱", "x\r\ny");
  st->store.Set(first, MastCol::kReplyTo, "last\tcolumn");
  Add("b", "second", "削除済み");
  Add("c", "third", "既読");
  ASSERT_TRUE(SaveMaster(st->master, st->store, msg));
  EXPECT_EQ(Cp932ToUtf8(msg), "保存完了 :2 件");
  const std::string inbox = Utf8ToCp932("受信箱");
  const std::string read = Utf8ToCp932("既読");
  EXPECT_EQ(ReadFileBytes(DataFile("Master.dat")),
            Line("0001", {{2, "a"},
                          {3, "fi\x0C\x08rst"},
                          {4, "x\x0C\x0By"},
                          {13, inbox},
                          {23,
                           "last\x0C\x08"
                           "column"}}) +
                Line("0003", {{2, "c"}, {3, "third"}, {13, read}}));

  Remake();
  ASSERT_TRUE(ReadMaster(st->master, st->store, msg));
  EXPECT_EQ(Cp932ToUtf8(msg), "読込完了 :2 件");
  ASSERT_EQ(st->store.CtMaster(), 2);
  EXPECT_EQ(st->store.Get(0, MastCol::kNumber), "0000");
  EXPECT_EQ(st->store.Get(0, MastCol::kTitle), "fi\trst");
  EXPECT_EQ(st->store.Get(0, MastCol::kBody), "x\r\ny");
  EXPECT_EQ(st->store.Get(0, MastCol::kReplyTo), "last\tcolumn");
  EXPECT_EQ(st->store.Get(0, MastCol::kFolder), inbox);
  EXPECT_EQ(st->store.Get(1, MastCol::kNumber), "0001");
  EXPECT_EQ(st->store.Get(1, MastCol::kTitle), "third");
}

TEST_F(MasterFile, EveryByteOfAValueRoundTripsAndOldFilesStillRead) {
  // A lone LF or CR, a form feed and what looks like an escape, in the middle and at the ends.
  const std::vector<std::string> values = {"line1\nline2", "\nstart",      "end\n",
                                           "cr\ronly",     "\r",           "ff\x0C\x08raw",
                                           "\x0C",         "\r\n\n\r\r\n", "\t\x0C\x0B"};
  for (const std::string& v : values) {
    const int32_t row = Add("to", "title", "受信箱", v, "2026/01/01 00:00:00", "sender");
    st->store.Set(row, MastCol::kReplyTo, v);
  }
  ASSERT_TRUE(SaveMaster(st->master, st->store, msg));
  const std::string file = ReadFileBytes(DataFile("Master.dat"));
  EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), static_cast<long>(values.size()));

  Remake();
  ASSERT_TRUE(ReadMaster(st->master, st->store, msg));
  ASSERT_EQ(st->store.CtMaster(), static_cast<int32_t>(values.size()));
  for (size_t i = 0; i < values.size(); ++i) {
    const int32_t row = static_cast<int32_t>(i);
    EXPECT_EQ(st->store.Get(row, MastCol::kBody), values[i]) << i;
    EXPECT_EQ(st->store.Get(row, MastCol::kReplyTo), values[i]) << i;
    EXPECT_EQ(st->store.Get(row, MastCol::kDate), "2026/01/01 00:00:00") << i;
  }

  // A file of an earlier version: a form feed that starts no escape is kept as it is.
  WriteFileBytes(DataFile("Master.dat"), Line("0001", {{3,
                                                        "a\x0C"
                                                        "b\x0C"},
                                                       {4,
                                                        "x\x0C\x0B"
                                                        "y"}}));
  Remake();
  ASSERT_TRUE(ReadMaster(st->master, st->store, msg));
  EXPECT_EQ(st->store.Get(0, MastCol::kTitle),
            "a\x0C"
            "b\x0C");
  EXPECT_EQ(st->store.Get(0, MastCol::kBody), "x\r\ny");
}

TEST_F(MasterFile, WritesOnlyLinesOfAtLeastEightCharactersAndNoDeletedRecords) {
  Add("abc", "", "");
  Add("ab", "", "");
  Add("", "", "");
  Add("\x83\x5C", "", "");  // "0004" TAB ソ: 6 characters
  ASSERT_TRUE(SaveMaster(st->master, st->store, msg));
  EXPECT_EQ(Cp932ToUtf8(msg), "保存完了 :1 件");
  EXPECT_EQ(ReadFileBytes(DataFile("Master.dat")), Line("0001", {{2, "abc"}}));

  // All deleted: an empty file that reads as no records.
  st->store.Clear();
  Add("a", "x", "削除済み");
  ASSERT_TRUE(SaveMaster(st->master, st->store, msg));
  EXPECT_EQ(ReadFileBytes(DataFile("Master.dat")), "");
  ASSERT_TRUE(ReadMaster(st->master, st->store, msg));
  EXPECT_EQ(st->store.CtMaster(), 0);
}

TEST_F(MasterFile, ReadsShortLongAndOddLinesAsFarAsTheyGo) {
  std::string file = "0001\tonly-to\r\n";          // fewer than 22 fields
  file += Line("0002", {{3, "t"}}).substr(0, 12);  // cut short after the title
  file.insert(file.size(), "\r\n");
  std::string many = "0003";
  for (int i = 2; i <= 30; ++i) many += "\tf" + std::to_string(i);  // fields beyond column 23
  file += many + "\n";                                              // LF alone
  file += std::string("0004\t\x83", 6) + "\tafter-lead\r\n";        // lone lead byte before a TAB
  file += std::string("\0\xFF\t\x0C", 4) + "\r\n";
  WriteFileBytes(DataFile("Master.dat"), file);
  ASSERT_TRUE(ReadMaster(st->master, st->store, msg));
  ASSERT_EQ(st->store.CtMaster(), 5);
  EXPECT_EQ(st->store.Get(0, MastCol::kTo), "only-to");
  EXPECT_EQ(st->store.Get(0, MastCol::kTitle), "");
  EXPECT_EQ(st->store.Get(1, MastCol::kTitle), "t");
  EXPECT_EQ(st->store.Get(2, MastCol::kReplyTo), "f23");
  EXPECT_EQ(st->store.Get(2, 24), "");
  EXPECT_EQ(st->store.Get(3, MastCol::kTitle), "after-lead");
  EXPECT_EQ(st->store.Get(4, MastCol::kTo), "\x0C");
}

TEST_F(MasterFile, ReadingTwoThousandLinesKeepsEveryRecord) {
  std::string file;
  for (int i = 1; i <= 2000; ++i) file += Line(Format4d(i), {{2, "to" + std::to_string(i)}});
  WriteFileBytes(DataFile("Master.dat"), file);
  ASSERT_TRUE(ReadMaster(st->master, st->store, msg));
  EXPECT_EQ(st->store.CtMaster(), 2000);
  EXPECT_EQ(st->store.Get(1999, MastCol::kTo), "to2000");
  EXPECT_EQ(st->store.Get(1999, MastCol::kNumber), "1999");
}

TEST_F(MasterFile, MissingUnreadableAndUnwritableFilesReportWithoutTouchingTheStore) {
  Add("kept", "x", "受信箱");
  EXPECT_FALSE(ReadMaster(st->master, st->store, msg));
  EXPECT_EQ(msg, "Not Found : " + DataFile("Master.dat").string());
  std::filesystem::create_directories(DataFile("Master.dat"));  // exists, cannot be read
  EXPECT_FALSE(ReadMaster(st->master, st->store, msg));
  EXPECT_EQ(msg, "Cannot Read : " + DataFile("Master.dat").string());
  EXPECT_EQ(st->store.CtMaster(), 1);

  std::filesystem::remove_all(dir / "app" / "Data");
  WriteFileBytes(dir / "app" / "Data", "a file where the data directory should be");
  EXPECT_FALSE(SaveMaster(st->master, st->store, msg));
  // The system's reason is told.
  EXPECT_EQ(Cp932ToUtf8(msg),
            "保存失敗 : Not a directory (" + DataFile("Master.dat").string() + ")");
}

TEST_F(MasterFile, AFiledRecordIsOnDiskAtOnceAndAFailedSaveIsLoggedAndTold) {
  std::array<std::string, TArMastData::kColumns> record{};
  record[ColIndex(MastCol::kTitle)] = "filed";
  std::string msg;
  EXPECT_TRUE(FileRecord(st->master, st->store, record, msg));
  EXPECT_EQ(ReadFileBytes(DataFile("Master.dat")), Line("0001", {{3, "filed"}}));

  std::filesystem::remove_all(dir / "app" / "Data");
  WriteFileBytes(dir / "app" / "Data", "a file where the data directory should be");
  record[ColIndex(MastCol::kTitle)] = "kept in memory";
  EXPECT_FALSE(FileRecord(st->master, st->store, record, msg));
  EXPECT_EQ(st->store.Get(1, MastCol::kTitle), "kept in memory");
  EXPECT_EQ(Cp932ToUtf8(msg),
            "保存失敗 : Not a directory (" + DataFile("Master.dat").string() + ")");
  ASSERT_FALSE(st->log.lines().empty());
  EXPECT_TRUE(st->log.lines().back().ends_with(msg)) << st->log.lines().back();
}

// The files of the data directory, by name.
std::vector<std::string> DataFiles(const std::filesystem::path& data) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(data)) {
    names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class Encrypted : public MasterFile {
 protected:
  Encrypted() { st->master.encrypt = true; }
  void Restart() {
    Remake();
    st->master.encrypt = true;
  }
  // Names starting with the prefix.
  int Count(const std::string& prefix) {
    int n = 0;
    for (const std::string& f : DataFiles(dir / "app" / "Data")) n += f.rfind(prefix, 0) == 0;
    return n;
  }
};

TEST_F(Encrypted, SavesOnlyTheEncryptedFileAndReadsItBackInMemory) {
  Add("to", "secret title", "受信箱", "secret body");
  ASSERT_TRUE(SaveMaster(st->master, st->store, msg));
  EXPECT_EQ(DataFiles(dir / "app" / "Data"), std::vector<std::string>{"Master.enc"});
  EXPECT_EQ(ReadFileBytes(DataFile("Master.enc")).find("secret"), std::string::npos);

  Restart();
  ASSERT_TRUE(ReadMaster(st->master, st->store, msg));
  EXPECT_EQ(st->store.Get(0, MastCol::kTitle), "secret title");
  EXPECT_EQ(DataFiles(dir / "app" / "Data"), std::vector<std::string>{"Master.enc"});
}

TEST_F(Encrypted, APlainStoreIsEncryptedWhenReadAndAReadOnlyReadChangesNoFile) {
  Add("to", "plain title", "受信箱");
  st->master.encrypt = false;
  ASSERT_TRUE(SaveMaster(st->master, st->store, msg));

  Restart();
  st->master.read_only = true;
  ASSERT_TRUE(ReadMaster(st->master, st->store, msg));
  EXPECT_EQ(DataFiles(dir / "app" / "Data"), std::vector<std::string>{"Master.dat"});

  Restart();
  ASSERT_TRUE(ReadMaster(st->master, st->store, msg));
  EXPECT_EQ(st->store.Get(0, MastCol::kTitle), "plain title");
  EXPECT_EQ(DataFiles(dir / "app" / "Data"), std::vector<std::string>{"Master.enc"});
}

TEST_F(Encrypted, OfBothFilesTheNewerIsReadAndTheOtherKeptAside) {
  Add("to", "old", "受信箱");
  ASSERT_TRUE(SaveMaster(st->master, st->store, msg));  // Master.enc
  st->store.Set(0, MastCol::kTitle, "newer text save");
  ASSERT_TRUE(SaveMasterAs(st->master, st->store, false, msg));  // then Master.dat
  std::filesystem::last_write_time(
      DataFile("Master.enc"),
      std::filesystem::last_write_time(DataFile("Master.dat")) - std::chrono::seconds(5));
  Restart();
  ASSERT_TRUE(ReadMaster(st->master, st->store, msg));
  EXPECT_EQ(st->store.Get(0, MastCol::kTitle), "newer text save");
  EXPECT_EQ(Count("Master.enc.older-"), 1);  // the older copy is renamed, not deleted
  EXPECT_EQ(Count("Master.enc"), 2);         // and the text save is encrypted now
  EXPECT_EQ(Count("Master.dat"), 0);

  // The other way round: the encrypted file is newer.
  st->store.Set(0, MastCol::kTitle, "newest");
  ASSERT_TRUE(SaveMaster(st->master, st->store, msg));
  WriteFileBytes(DataFile("Master.dat"), Line("0001", {{3, "stale text"}}));
  std::filesystem::last_write_time(
      DataFile("Master.dat"),
      std::filesystem::last_write_time(DataFile("Master.enc")) - std::chrono::seconds(5));
  Restart();
  ASSERT_TRUE(ReadMaster(st->master, st->store, msg));
  EXPECT_EQ(st->store.Get(0, MastCol::kTitle), "newest");
  EXPECT_EQ(Count("Master.dat.older-"), 1);
}

TEST_F(Encrypted, AWrongKeyOrADamagedFileIsKeptAsideAndNeverOverwritten) {
  Add("to", "precious", "受信箱");
  ASSERT_TRUE(SaveMaster(st->master, st->store, msg));
  const std::string sealed = ReadFileBytes(DataFile("Master.enc"));
  for (const bool wrong_key : {true, false}) {
    WriteFileBytes(DataFile("Master.enc"), sealed);
    if (wrong_key) {
      std::filesystem::rename(dir / "cfg" / "master.key", dir / "cfg" / "real.key");
    } else {
      std::filesystem::rename(dir / "cfg" / "real.key", dir / "cfg" / "master.key");
      std::string damaged = sealed;
      damaged[damaged.size() / 2] ^= 0x01;
      WriteFileBytes(DataFile("Master.enc"), damaged);
    }
    Restart();
    Add("to", "typed after start", "受信箱");
    EXPECT_FALSE(ReadMaster(st->master, st->store, msg));
    EXPECT_EQ(Cp932ToUtf8(msg), "暗号復号失敗");
    EXPECT_EQ(st->store.CtMaster(), 1);  // the store is left as it was
    ASSERT_TRUE(SaveMaster(st->master, st->store, msg));
    EXPECT_EQ(Count("Master.enc.unread-"), 1) << wrong_key;
    for (const std::string& f : DataFiles(dir / "app" / "Data")) {
      if (f.rfind("Master.enc.unread-", 0) == 0) {
        EXPECT_EQ(ReadFileBytes(dir / "app" / "Data" / f).size(), sealed.size());
        std::filesystem::remove(dir / "app" / "Data" / f);
      }
    }
  }
}

TEST_F(Encrypted, AFailingEncryptionReportsAndWritesNoPlainFile) {
  auto failing = std::make_unique<test::FailingCrypto>();
  test::FailingCrypto* crypto = failing.get();
  Remake(std::move(failing));
  st->master.encrypt = true;
  Add("to", "x", "受信箱");
  EXPECT_FALSE(SaveMaster(st->master, st->store, msg));
  EXPECT_EQ(Cp932ToUtf8(msg), "保存失敗 : 暗号化失敗 (" + DataFile("Master.enc").string() + ")");
  EXPECT_GT(crypto->calls, 0);
  EXPECT_FALSE(Has("Master.dat"));
  EXPECT_FALSE(Has("Master.enc"));
}

TEST_F(MasterFile, ExistsMasterMatchesDateAndSenderTogether) {
  Add("", "a", "受信箱", "", "2026/12/01 10:00:00", "taro");
  MastFields f;
  f[MastCol::kDate] = "2026/12/01 10:00:00";
  f[MastCol::kSender] = Utf8ToCp932("taro");
  f[MastCol::kTitle] = "a";
  EXPECT_TRUE(ExistsMaster(st->store, st->log, f));
  f[MastCol::kSender] = "hanako";
  EXPECT_FALSE(ExistsMaster(st->store, st->log, f));
  f[MastCol::kSender] = "Taro";  // case-sensitive
  EXPECT_FALSE(ExistsMaster(st->store, st->log, f));
  f[MastCol::kSender] = "taro";
  f[MastCol::kDate] = "2026/12/01 10:00:01";
  EXPECT_FALSE(ExistsMaster(st->store, st->log, f));
  // Changing a record keeps the look-up in step.
  st->store.Set(0, MastCol::kDate, "2026/12/01 10:00:01");
  EXPECT_TRUE(ExistsMaster(st->store, st->log, f));
}

}  // namespace
}  // namespace sorami
