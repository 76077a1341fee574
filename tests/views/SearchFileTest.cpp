// The search straight from the master file against the search over the read store.
#include <gtest/gtest.h>

#include <random>

#include "platform/Codepage.h"
#include "store/MasterScan.h"
#include "store/StoreFixture.h"
#include "views/MessageList.h"
#include "views/SearchFile.h"

namespace sorami {
namespace {

// Bytes a column can hold: plain and double-byte characters whose second byte is also a
// character ("\x82\x61" ends in "a", "\x83\x5C" in the backslash), digits, the bytes the file
// escapes, a lone form feed, and the names of two folders.
const std::vector<std::string>& Pieces() {
  static const std::vector<std::string> pieces = {
      "a",  "b",    "1",  "9",  "\\",   "\x82\x61", "\x83\x5C",     "\x82\xA0",
      "\t", "\r\n", "\r", "\n", "\x0C", "\x0C\x41", "送信箱"_cp932, "削除済み"_cp932};
  return pieces;
}

class SearchFileTest : public test::StoreTest {
 protected:
  // A master file of n random records, with the lines a read treats specially among them.
  void WriteStore(std::mt19937& random, int n) {
    std::uniform_int_distribution<size_t> piece(0, Pieces().size() - 1);
    std::uniform_int_distribution<int> len(0, 4);
    std::string file;
    for (int i = 0; i < n; ++i) {
      file += std::to_string(i + 1);
      for (int col = 2; col <= 23; ++col) {
        std::string value;
        for (int k = len(random); k > 0; --k) value += Pieces()[piece(random)];
        file += '\t' + EscapeMasterField(value);
      }
      switch (i % 9) {
        case 0:
          file += "\n";  // no CR
          break;
        case 1:
          file += "\tpast the last column 99\r\n";
          break;
        case 2:
          file += "\r\nno tab at all 1\r\n\r\n";  // a line without fields, an empty line
          break;
        case 3:  // a record of the deleted folder: a read does not keep it
          file += "\r\n7";
          for (int col = 2; col <= 23; ++col) file += col == 13 ? "\t削除済み"_cp932 : "\ta1";
          file += "\r\n";
          break;
        case 4:
          file +=
              "\r\n8\ta\tb\x0C\x0B"
              "1\r\n";  // a short line, with an escaped line break
          break;
        default:
          file += "\r\n";
      }
    }
    // One line longer than the file is read at a time, then a last line without its end.
    file += "1\t" + std::string(3u << 19, 'b') + "a\t\x82\x61\r\n2\t9a\ta\x83\x5C";
    std::filesystem::create_directories(dir / "app" / "Data");
    test::WriteFileBytes(DataFile("Master.dat"), file);
  }

  // The search both ways: the same rows, each record alike in every column and list text.
  void ExpectSame(const std::string& text, SearchMode mode) {
    const SearchResult read = KensakuJikkou(st->store, st->log, text, mode);
    std::vector<int32_t> rows;
    SearchResult scanned;
    const FileSearch how = KensakuFile(
        st->master, st->log, text, mode,
        [&](int32_t row, const TArMastData& rec) {
          rows.push_back(row);
          ASSERT_LT(row, st->store.CtMaster());
          EXPECT_EQ(rec.Columns(), st->store.Row(row).Columns()) << row;
          for (int c = 0; c < kListColumns; ++c) {
            EXPECT_EQ(ListText(rec, row, static_cast<ListCol>(c)),
                      ListText(st->store, row, static_cast<ListCol>(c)));
          }
        },
        scanned);
    ASSERT_EQ(how, FileSearch::kDone) << text;
    EXPECT_EQ(rows, read.rows) << text;
    EXPECT_EQ(scanned.rows, read.rows);
    EXPECT_EQ(scanned.msg, read.msg);
    EXPECT_EQ(scanned.found, read.found);
    EXPECT_TRUE(scanned.searched);
  }
};

TEST_F(SearchFileTest, FindsExactlyTheRowsAndRecordsOfTheReadStore) {
  std::mt19937 random(11);
  WriteStore(random, 400);
  ASSERT_TRUE(ReadMaster(st->master, st->store, msg));
  ASSERT_GT(st->store.CtMaster(), 500);

  // Keywords at trail bytes ("a", "\\"), in row numbers only ("0003", "1"), across an escape
  // ("b\x0C"-less "b" and "1" after an escaped line break), in the unlisted columns ("99"),
  // the deleted folder's name held by kept records, and none at all.
  for (const char* text : {"a", "\\", "0003", "1", "99", "past", "\x82\x61", "A", "削除済み", "zzz",
                           "bb a", "a1 b", "9a"}) {
    ExpectSame(Utf8ToCp932(text), SearchMode::kAnd);
    ExpectSame(Utf8ToCp932(text), SearchMode::kOr);
  }
  // Random sets of up to ten keywords made of the pieces a column holds.
  std::vector<std::string> words;
  for (const std::string& p : Pieces()) {
    if (SearchableInFile(p)) words.push_back(p);
  }
  std::uniform_int_distribution<size_t> pick(0, words.size() - 1);
  for (int round = 0; round < 150; ++round) {
    std::string text;
    const int count = 1 + round % 10;
    for (int k = 0; k < count; ++k) {
      text += words[pick(random)];
      if (random() % 3 != 0) text += words[pick(random)];
      text += ' ';
    }
    ExpectSame(text, round % 2 == 0 ? SearchMode::kAnd : SearchMode::kOr);
  }

  // The same bytes encrypted: scanned as they decrypt, the long line across many chunks.
  ASSERT_EQ(
      st->crypto->EncryptFile(DataFile("Master.dat").c_str(), DataFile("Master.enc").c_str(), ""),
      0);
  std::filesystem::remove(DataFile("Master.dat"));
  for (const char* text : {"a", "0003", "99", "削除済み", "bb a", "9a"}) {
    ExpectSame(Utf8ToCp932(text), SearchMode::kAnd);
    ExpectSame(Utf8ToCp932(text), SearchMode::kOr);
  }
}

TEST_F(SearchFileTest, AnEmptyFileFindsNothingAndAStoreItCannotScanIsLeftToTheRead) {
  std::filesystem::create_directories(dir / "app" / "Data");
  test::WriteFileBytes(DataFile("Master.dat"), "");
  SearchResult out;
  int given = 0;
  auto count = [&given](int32_t, const TArMastData&) { ++given; };
  ASSERT_EQ(KensakuFile(st->master, st->log, "a", SearchMode::kOr, count, out), FileSearch::kDone);
  EXPECT_TRUE(out.rows.empty());
  EXPECT_EQ(Cp932ToUtf8(out.msg), "検索該当無し");

  // A keyword holding a byte the file writes escaped, and no keyword at all.
  EXPECT_EQ(KensakuFile(st->master, st->log, "a\tb", SearchMode::kAnd, count, out),
            FileSearch::kNotScanned);
  EXPECT_EQ(KensakuFile(st->master, st->log, "  ", SearchMode::kAnd, count, out),
            FileSearch::kNotScanned);

  // A store in both files is left to the read, which chooses between them.
  Add("to", "花見", "受信箱");
  ASSERT_TRUE(SaveMasterAs(st->master, st->store, true, msg)) << msg;
  ASSERT_TRUE(Has("Master.enc"));
  test::WriteFileBytes(DataFile("Master.dat"), "");
  EXPECT_EQ(KensakuFile(st->master, st->log, "a", SearchMode::kOr, count, out),
            FileSearch::kNotScanned);
  std::filesystem::remove(DataFile("Master.dat"));
  // A damaged encrypted store fails as its read fails, and gives nothing.
  std::string sealed = test::ReadFileBytes(DataFile("Master.enc"));
  sealed[sealed.size() - 3] ^= 1;
  test::WriteFileBytes(DataFile("Master.enc"), sealed);
  EXPECT_EQ(KensakuFile(st->master, st->log, "花見"_cp932, SearchMode::kOr, count, out),
            FileSearch::kFailed);
  EXPECT_EQ(Cp932ToUtf8(out.msg), "暗号復号失敗");
  EXPECT_TRUE(out.rows.empty());
  std::filesystem::remove(DataFile("Master.enc"));
  EXPECT_EQ(KensakuFile(st->master, st->log, "a", SearchMode::kOr, count, out),
            FileSearch::kNotScanned);  // no store: the read says so
  // A file that cannot be read fails as its read fails.
  std::filesystem::create_directory(DataFile("Master.dat"));
  EXPECT_EQ(KensakuFile(st->master, st->log, "a", SearchMode::kOr, count, out),
            FileSearch::kFailed);
  EXPECT_EQ(out.msg.rfind("Cannot Read : ", 0), 0u) << out.msg;
  EXPECT_EQ(given, 0);
}

TEST(FindBytes, FindsWhatFindFindsNearEveryEnd) {
  std::mt19937 random(5);
  for (int round = 0; round < 3000; ++round) {
    std::string hay(random() % 110, 'a');
    for (char& c : hay) c = static_cast<char>('a' + random() % 3);
    std::string needle(1 + random() % 5, 'a');
    for (char& c : needle) c = static_cast<char>('a' + random() % 3);
    const size_t from = random() % (hay.size() + 2);
    EXPECT_EQ(FindBytes(hay, needle, from), std::string_view(hay).find(needle, from))
        << hay << " / " << needle << " @" << from;
  }
}

}  // namespace
}  // namespace sorami
