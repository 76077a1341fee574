// The attachment window lists every file of a received message, a missing one marked, and
// "再取得" downloads the missing files from the host of the account the message came to.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTreeWidget>

#include "attach/ui/TFormTenpu.h"
#include "gui/BrowseFixture.h"
#include "support/FakeHttp.h"

namespace sorami::test {
namespace {

using TenpuRefetchTest = BrowseFixture;

TEST_F(TenpuRefetchTest, AMissingFileIsMarkedAndRefetchBringsIt) {
  FakeHttp* http = UseFakeHttp(*st);
  st->settei.rows.push_back({.host = "site:9", .sys_user = "hiroba"});
  const std::filesystem::path attach = dir_ / "app" / "ATTACH";
  std::filesystem::create_directories(attach);
  WriteFileBytes(attach / "here.txt", "here");
  const int32_t r = Add({"two files"});
  st->store.Set(r, MastCol::kAttachments, "missing_20300101000000.txt,here.txt");
  st->store.Set(r, MastCol::kServerNo, "42");
  st->store.Set(r, MastCol::kRecipientUser, "hiroba");

  ClickNode(FolderNode(Folder::kInbox));
  ClickRow(0);
  Find<QPushButton>(main, "BtTenpu")->click();
  TFormTenpu* window = windows->tenpu.get();
  auto* rows = Find<QTreeWidget>(window, "LViewTenpu");
  auto* refetch = Find<QPushButton>(window, "BtSaishutoku");
  ASSERT_EQ(rows->topLevelItemCount(), 2);  // the missing first file hides nothing after it
  EXPECT_EQ(rows->topLevelItem(0)->text(1), QStringLiteral("メッセージ（未取得）"));
  EXPECT_EQ(rows->topLevelItem(1)->text(1), QStringLiteral("メッセージ"));
  ASSERT_TRUE(refetch->isEnabled());

  http->Fail();  // the host does not answer: the window says which file
  refetch->click();
  EXPECT_EQ(window->StatusText(),
            QStringLiteral("添付ファイル取得失敗 : missing_20300101000000.txt (接続エラー)"));
  EXPECT_TRUE(refetch->isEnabled());

  http->Answer("the file");
  refetch->click();
  ASSERT_FALSE(http->sent.empty());
  EXPECT_EQ(http->sent.back().url,
            "http://site:9/bn/WbTenpu.exe?FILE=missing_20300101000000.txt&TOUSER=hiroba&TONO=42");
  EXPECT_EQ(ReadFileBytes(attach / "missing_20300101000000.txt"), "the file");
  EXPECT_EQ(rows->topLevelItem(0)->text(1), QStringLiteral("メッセージ"));
  EXPECT_FALSE(refetch->isEnabled());
  EXPECT_TRUE(window->StatusText().isEmpty());
  window->close();
}

}  // namespace
}  // namespace sorami::test
