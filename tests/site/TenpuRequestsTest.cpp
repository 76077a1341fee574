// The download of attachments, the site list and the deposit against scripted answers: what is
// asked for, where the files land, and what a failure leaves behind.
#include <gtest/gtest.h>

#include <regex>

#include "platform/Codepage.h"
#include "shell/SiteFetch.h"
#include "shell/SiteList.h"
#include "site/FakeHttp.h"
#include "site/Fetch.h"
#include "site/SiteIchiran.h"
#include "site/TenpuDownload.h"
#include "store/MastRecord.h"

namespace sorami {
namespace {

class TenpuRequests : public test::FakeSiteTest {
 protected:
  std::filesystem::path Attach() { return st->paths.AttachDir(); }
  std::vector<std::string> Files() {
    std::vector<std::string> out;
    if (!std::filesystem::exists(Attach())) return out;
    for (const auto& e : std::filesystem::directory_iterator(Attach())) {
      out.push_back(e.path().filename().string());
    }
    std::sort(out.begin(), out.end());
    return out;
  }
  bool Download(const std::string& files, TenpuDownload& got, const std::string& host = "h:8") {
    return DownloadTenpu(st->site, Attach(), host, "sys", "0042", files, got, msg);
  }
  void Failed(int status) { http->answers.push_back(HttpResponse{false, status, "", "refused"}); }
};

TEST_F(TenpuRequests, EveryListedNameIsOneGetInOrderUnderADatedFreeName) {
  EXPECT_EQ(EscapeHighBytes("a b&c=%" + Utf8ToCp932("表")), "a b&c=%%95\\");
  http->Answer("first");
  http->Answer("second");
  TenpuDownload got;
  ASSERT_TRUE(Download(",a.txt,," + Utf8ToCp932("写真 1.jpg") + ",", got));
  ASSERT_EQ(http->sent.size(), 2u);
  EXPECT_EQ(http->sent[0].method, "GET");
  EXPECT_EQ(http->sent[0].url, "http://h:8/bn/WbTenpu.exe?FILE=a.txt&TOUSER=sys&TONO=0042");
  // High bytes as lower-case %xx; the blank and ASCII trail bytes stay as they are.
  EXPECT_EQ(http->sent[1].url,
            "http://h:8/bn/WbTenpu.exe?FILE=%8e%ca%90^ 1.jpg&TOUSER=sys&TONO=0042");
  const std::vector<std::string> files = Files();
  ASSERT_EQ(files.size(), 2u);
  EXPECT_TRUE(std::regex_match(files[0], std::regex(R"(a_\d{14}\.txt)"))) << files[0];
  EXPECT_EQ(test::ReadFileBytes(Attach() / files[0]), "first");
  // The record lists the local names, in the order of the list.
  const std::string a = files[0];
  const std::string photo = Cp932ToUtf8(got.names.substr(got.names.find(',') + 1));
  EXPECT_EQ(got.names.substr(0, got.names.find(',')), a);
  EXPECT_TRUE(std::regex_match(photo, std::regex(R"(写真 1_\d{14}\.jpg)"))) << photo;
  EXPECT_EQ(got.last_path, PathText(Attach() / FsPath(Utf8ToCp932(photo))));
  EXPECT_EQ(got.saved, 2);
}

TEST_F(TenpuRequests, AFailedFileLeavesNothingAndTheOthersAreStillTried) {
  TenpuDownload got;
  EXPECT_FALSE(Download("a.txt", got, ""));
  EXPECT_EQ(Cp932ToUtf8(msg), "HOST未設定");
  EXPECT_TRUE(http->sent.empty());

  http->Fail();
  Failed(404);  // the body of an error page never becomes a file
  http->Answer("ok");
  EXPECT_FALSE(Download("gone.txt,missing.txt,here.txt", got));
  EXPECT_EQ(Cp932ToUtf8(msg), "接続エラー");
  EXPECT_EQ(http->sent.size(), 3u);
  ASSERT_EQ(Files().size(), 1u);
  EXPECT_EQ(Files()[0].substr(0, 5), "here_");
  EXPECT_EQ(got.failed, 2);
  EXPECT_EQ(got.names.substr(0, 21), "gone.txt,missing.txt,");  // failed names stay listed

  st->site.max_download_bytes = 4;
  http->Answer("12345");
  EXPECT_FALSE(Download("big.bin", got));
  EXPECT_EQ(Cp932ToUtf8(msg), "添付ファイルが大きすぎます (上限 4 バイト)");
  EXPECT_EQ(Files().size(), 1u);
}

TEST_F(TenpuRequests, NamesFromTheServiceLandInsideTheAttachmentDirectory) {
  for (int i = 0; i < 4; ++i) http->Answer("evil" + std::to_string(i));
  TenpuDownload got;
  ASSERT_TRUE(
      Download("../../escape.txt,C:\\Windows\\win.ini,a\x01\x1b"
               "b.txt,..",
               got));
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir.path())) {
    if (e.is_regular_file() && e.path().string().find("evil") != std::string::npos) {
      ADD_FAILURE() << e.path();  // nothing named after the content anywhere
    }
  }
  const std::vector<std::string> files = Files();
  ASSERT_EQ(files.size(), 4u);
  for (const std::string& f : files) {
    EXPECT_EQ(f.find_first_of("/\\:\x01\x1b"), std::string::npos) << f;
    EXPECT_NE(f.substr(0, 1), ".") << f;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "app" / "escape.txt"));
  EXPECT_FALSE(std::filesystem::exists(dir.path().parent_path() / "escape.txt"));
}

TEST_F(TenpuRequests, TheSiteListAsksTheCurrentHostAndShowsItsAnswer) {
  st->cur.account = Utf8ToCp932("はなこ");
  st->cur.user = "hiroba";
  st->cur.host = "site:9";
  http->Answer("x\tOK(PGM)2 sites\r\nA\r\nB");
  SiteListReport out = FetchSiteList(*st);
  ASSERT_TRUE(out.ok);
  EXPECT_EQ(http->sent[0].url, "http://site:9/bn/WbMessage.exe?");
  EXPECT_EQ(http->sent[0].body, "COMMAND=SITELIST&FROMNAME=%82%CD%82%C8%82%B1&FROMUSER=hiroba&");
  EXPECT_EQ(Cp932ToUtf8(out.text), "(公開サイト一覧)A\r\nB");
  EXPECT_EQ(Cp932ToUtf8(out.status), "取得完了");

  http->Fail();
  out = FetchSiteList(*st);
  EXPECT_FALSE(out.ok);
  EXPECT_EQ(Cp932ToUtf8(out.status), "接続エラー");
  EXPECT_TRUE(out.text.empty());
  st->site.busy = true;  // another request waits
  EXPECT_TRUE(FetchSiteList(*st).refused);
  EXPECT_EQ(http->sent.size(), 2u);
}

TEST_F(TenpuRequests, ADepositCarriesTheRequestAndNamesTheDepositAndTheDynamicKey) {
  http->Answer("x\tOK(PGM)ok\r\nkept");
  std::string text;
  ASSERT_TRUE(AzukariSend(st->site, -1, "DYN$k1", {"COMMAND=FEEDBACK", "TONAME=a b"}, text));
  EXPECT_EQ(http->sent[0].url, "http://dir:1/bn/WbMessage.exe?");
  EXPECT_EQ(http->sent[0].body, "COMMAND=FEEDBACK&TONAME=a+b&OPTION=AZUKARI&DYNAMIC=DYN%24k1&");
  EXPECT_EQ(text,
            "COMMAND=FEEDBACK\r\nTONAME=a b\r\nOPTION=AZUKARI\r\nDYNAMIC=DYN$k1"
            "x\tOK(PGM)ok\r\nkeptkept");

  http->Answer("x\tNG refused");
  EXPECT_FALSE(AzukariSend(st->site, -1, "DYN$k1", {"COMMAND=FEEDBACK"}, text));
  http->Fail();
  EXPECT_FALSE(AzukariSend(st->site, -1, "DYN$k1", {"COMMAND=FEEDBACK"}, text));
  const std::string tail = Cp932ToUtf8(text).substr(Cp932ToUtf8(text).rfind("預かり"));
  EXPECT_EQ(tail, "預かり処理失敗 :http://dir:1/bn/WbMessage.exe?");
}

}  // namespace
}  // namespace sorami
