// The attachment window's rows without widgets: a record's files up to the first missing one,
// a sent copy's names, names that never lead out of the attachment directory, a saved copy
// that never destroys the attachment. The window's own tests cover the files to send and a
// mail's attachment names.
#include <gtest/gtest.h>

#include "attach/TenpuList.h"
#include "platform/Codepage.h"
#include "store/StoreFixture.h"

namespace sorami {
namespace {

class TenpuListTest : public test::StoreTest {
 protected:
  std::filesystem::path Attach() { return dir / "app" / "ATTACH"; }
  void Put(const std::string& name, const std::string& bytes = "x") {
    std::filesystem::create_directories(Attach());
    test::WriteFileBytes(Attach() / name, bytes);
  }
  int32_t Record(const std::string& attachments) {
    const int32_t r = Add("a%site", "t", "受信箱");
    st->store.Set(r, MastCol::kAttachments, attachments);
    return r;
  }
  std::vector<std::string> Names(const TenpuList& l) {
    std::vector<std::string> out;
    for (const TenpuRow& r : l.rows()) out.push_back(r.name);
    return out;
  }
  std::vector<std::filesystem::path> sends;
};

TEST_F(TenpuListTest, ARecordListsEveryFileMarkingTheMissingOnes) {
  TenpuList list(st->log, Attach(), sends);
  EXPECT_FALSE(list.ShowTenpu(st->store, Record("")));
  EXPECT_TRUE(list.rows().empty());

  Put("a.jpg");
  EXPECT_FALSE(list.ShowTenpu(st->store, Record("b.jpg,a.jpg")));
  EXPECT_EQ(Names(list), (std::vector<std::string>{"b.jpg", "a.jpg"}));
  EXPECT_TRUE(list.rows()[0].missing);
  EXPECT_FALSE(list.rows()[1].missing);
  EXPECT_EQ(Cp932ToUtf8(list.rows()[1].detail), "メッセージ");

  Put("b.jpg");
  EXPECT_TRUE(list.ShowTenpu(st->store, Record("a.jpg,,b.jpg,")));
  EXPECT_EQ(Names(list), (std::vector<std::string>{"a.jpg", "b.jpg"}));
  EXPECT_FALSE(list.ShowTenpu(st->store, 99));  // no such record
  EXPECT_TRUE(list.rows().empty());
}

TEST_F(TenpuListTest, ASentCopyListsTheNamesItWentOutWithThoughTheFilesAreElsewhere) {
  const int32_t sent = Record(Utf8ToCp932("見積書.txt,___.txt"));
  st->store.Set(sent, MastCol::kFolder, Utf8ToCp932("送信箱"));
  TenpuList list(st->log, Attach(), sends);
  ASSERT_TRUE(list.ShowTenpu(st->store, sent));
  EXPECT_EQ(Names(list), (std::vector<std::string>{Utf8ToCp932("見積書.txt"), "___.txt"}));
  EXPECT_EQ(Cp932ToUtf8(list.rows()[1].detail), "送信済み");
}

TEST_F(TenpuListTest, NamesInARecordNeverLeadOutOfTheAttachmentDirectory) {
  test::WriteFileBytes(dir / "app" / "secret.txt", "outside");
  Put("secret.txt", "inside");
  TenpuList list(st->log, Attach(), sends);
  ASSERT_TRUE(list.ShowTenpu(st->store, Record("../secret.txt")));
  EXPECT_EQ(list.FileOf(0), Attach() / "secret.txt");
  const auto files = RecordTenpu(st->store, Record("..\\..\\secret.txt,C:\\x\\y.bin"), Attach());
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0].path, Attach() / "secret.txt");
  EXPECT_TRUE(files[0].exists);
  EXPECT_EQ(files[1].path, Attach() / "y.bin");
  EXPECT_FALSE(files[1].exists);
}

TEST_F(TenpuListTest, SavingACopyNeverDestroysTheAttachment) {
  Put("doc.bin", "original");
  const auto from = Attach() / "doc.bin";
  std::string status;
  EXPECT_TRUE(SaveTenpuCopy(from, from, status));  // onto itself
  EXPECT_EQ(test::ReadFileBytes(from), "original");

  test::WriteFileBytes(dir / "old.bin", "older");
  EXPECT_TRUE(SaveTenpuCopy(from, dir / "old.bin", status));
  EXPECT_EQ(Cp932ToUtf8(status), "保存完了:" + (dir / "old.bin").string());
  EXPECT_EQ(test::ReadFileBytes(dir / "old.bin"), "original");

  EXPECT_FALSE(SaveTenpuCopy(Attach() / "gone.bin", dir / "old.bin", status));
  EXPECT_EQ(Cp932ToUtf8(status), "保存失敗:" + (dir / "old.bin").string());
  EXPECT_EQ(test::ReadFileBytes(dir / "old.bin"), "original");  // the target stays whole
  EXPECT_FALSE(SaveTenpuCopy(from, dir / "no-such-dir" / "x.bin", status));
  EXPECT_EQ(test::ReadFileBytes(from), "original");
}

}  // namespace
}  // namespace sorami
