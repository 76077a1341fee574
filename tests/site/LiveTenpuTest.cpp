// Attachments and the site list against the real site service: files sent by one member arrive
// byte for byte in another's attachment directory, under dated names the record lists; a file
// too large for the service is refused with its text.
#include <gtest/gtest.h>

#include <regex>

#include "shell/SiteFetch.h"
#include "shell/SiteList.h"
#include "site/LiveServerFixture.h"
#include "store/MasterFile.h"
#include "support/Cli.h"

namespace sorami {
namespace {

class LiveTenpu : public test::LiveServer {
 protected:
  std::filesystem::path Attach() { return st->paths.AttachDir(); }
};

TEST_F(LiveTenpu, TwoFilesSentByOneMemberArriveWithTheMessageOfAnother) {
  Login(test::kHanako);
  std::string photo;
  for (int i = 0; i < 100000; ++i) photo += static_cast<char>(i * 7);
  test::WriteFileBytes(dir / "photo.jpg", photo);
  test::WriteFileBytes(dir / "memo.txt", "memo\r\n");
  st->site.send_attachments = {(dir / "photo.jpg").string(), (dir / "memo.txt").string()};
  ASSERT_TRUE(Send("たろう%広場", "写真", "二つ", "2030/02/01 10:00:00")) << Cp932ToUtf8(msg);

  st->site.send_attachments.clear();
  Login(test::kTaro);
  ShowAccountRow(st->settei, 1);
  ASSERT_TRUE(FetchNewMessages(*st, -1).any_new);
  ASSERT_EQ(st->store.CtMaster(), 1);
  const std::string col20(st->store.Get(0, MastCol::kAttachments));
  std::smatch m;
  ASSERT_TRUE(std::regex_match(col20, m, std::regex(R"((photo_\d{14}\.jpg),(memo_\d{14}\.txt))")))
      << col20;
  EXPECT_EQ(test::ReadFileBytes(Attach() / m[1].str()), photo);
  EXPECT_EQ(test::ReadFileBytes(Attach() / m[2].str()), "memo\r\n");

  if (!test::HaveCli()) return;
  ASSERT_TRUE(SaveMaster(st->master, st->store, msg)) << msg;
  int status = 0;
  const std::string rows = test::RunCli("attachments 0", dir / "app", dir / "cfg", status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(rows.find("\"name\": \"" + m[1].str() + "\", \"type\": \"メッセージ\", \"path\": \"" +
                      (Attach() / m[1].str()).string() + "\", \"exists\": true}"),
            std::string::npos)
      << rows;
  EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 2);
}

TEST_F(LiveTenpu, AnUploadTheServiceRefusesAsTooLargeShowsTheServicesText) {
  Login(test::kHanako);
  test::WriteFileBytes(dir / "big.bin", std::string(33u * 1024 * 1024, 'x'));
  st->site.send_attachments = {dir / "big.bin"};
  EXPECT_FALSE(Send("たろう%広場", "t", "b", "2030/02/03 10:00:00"));
  EXPECT_EQ(Cp932ToUtf8(msg), "要求が大きすぎます (上限 32 MiB)");
}

TEST_F(LiveTenpu, TheSiteListShowsThePublicSitesOfTheHost) {
  Login(test::kHanako);
  const SiteListReport out = FetchSiteList(*st);
  ASSERT_TRUE(out.ok) << Cp932ToUtf8(out.status);
  EXPECT_EQ(Cp932ToUtf8(out.text), "(公開サイト一覧)広場\r\n別館");  // not 秘密
  if (!test::HaveCli()) return;
  std::string save_msg;
  ASSERT_TRUE(SetteiHozon(st->settei, st->SetteiPlace(), save_msg));
  int status = 0;
  EXPECT_EQ(test::RunCli("sites", dir / "app", dir / "cfg", status),
            "(公開サイト一覧)広場\r\n別館\n");
  EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace sorami
