// The download of attachments against scripted answers: what is asked for, where the files land,
// and what a failure or a hostile name leaves behind.
#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "site/TenpuDownload.h"
#include "store/MastRecord.h"
#include "support/FakeHttp.h"

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

TEST_F(TenpuRequests, EveryListedNameIsOneGetInOrderAndAFailedOneLeavesNoFile) {
  EXPECT_EQ(EscapeHighBytes("a b&c=%" + Utf8ToCp932("表")), "a b&c=%%95\\");
  http->Answer("first");
  Failed(404);  // the body of an error page never becomes a file
  http->Answer("third");
  TenpuDownload got;
  EXPECT_FALSE(Download(",a.txt,," + Utf8ToCp932("写真 1.jpg") + ",here.txt", got));
  ASSERT_EQ(http->sent.size(), 3u);
  EXPECT_EQ(http->sent[0].method, "GET");
  EXPECT_EQ(http->sent[0].url, "http://h:8/bn/WbTenpu.exe?FILE=a.txt&TOUSER=sys&TONO=0042");
  // High bytes as lower-case %xx; the blank and ASCII trail bytes stay as they are.
  EXPECT_EQ(http->sent[1].url,
            "http://h:8/bn/WbTenpu.exe?FILE=%8e%ca%90^ 1.jpg&TOUSER=sys&TONO=0042");
  EXPECT_EQ(Cp932ToUtf8(msg), "接続エラー");
  EXPECT_EQ(got.saved, 2);
  EXPECT_EQ(got.failed, 1);
  const std::vector<std::string> files = Files();
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(test::ReadFileBytes(Attach() / files[0]), "first");
  EXPECT_EQ(files[1].substr(0, 5), "here_");

  st->site.max_download_bytes = 4;
  http->Answer("12345");
  EXPECT_FALSE(Download("big.bin", got));
  EXPECT_EQ(Cp932ToUtf8(msg), "添付ファイルが大きすぎます (上限 4 バイト)");
  EXPECT_EQ(Files().size(), 2u);
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

}  // namespace
}  // namespace sorami
