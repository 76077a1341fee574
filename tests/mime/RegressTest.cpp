// Messages kept as files, each named after a fault it guards against, read end to end;
// and the command line's mail commands run as a user runs them.
#include <gtest/gtest.h>

#include <cstdlib>

#include "MailTestUtil.h"
#include "mail/mime/MailDate.h"
#include "support/Cli.h"

namespace sorami {
namespace {

using test::Sj;
using test::U8;

TVexMsg Read(const std::string& name) { return test::ParseMail(test::MailData("regress/" + name)); }

TEST(Regress, EachKeptMessageReadsAsItsReaderSawIt) {
  test::LocalZone jst("JST-9");
  EXPECT_EQ(U8(Read("utf8-character-split-across-encoded-words.eml").Subject), "日本語");
  const TVexMsg nec = Read("iso-2022-jp-nec-ibm-rows-and-halfwidth-katakana.eml");
  EXPECT_EQ(U8(nec.Subject), "①㈱髙");
  EXPECT_EQ(U8(nec.BodyText()), "①㈱髙 ｱｲｳｴ end");
  EXPECT_EQ(FormatMailDateTime(Read("date-with-negative-zone.eml").DateValue),
            "2026/12/01 13:30:15");
  EXPECT_EQ(U8(Read("html-only-shift-jis.eml").BodyText()), "お知らせ\r\n\r\n本文&詳細");
  const TVexMsg files = Read("rfc2231-continued-and-raw-shift-jis-file-names.eml");
  ASSERT_EQ(files.Attachments.Count(), 2u);
  EXPECT_EQ(U8(files.Attachments[0].Name), "見積書.pdf");
  EXPECT_EQ(files.Attachments[0].Data, "%PDF-1.4 estimate");
  EXPECT_EQ(U8(files.Attachments[1].Name), "表ソ.txt");
  EXPECT_EQ(files.Text, (std::vector<std::string>{"see attached"}));
}

// sorami-cli on a scratch home.
std::string RunCli(const std::string& args, const std::string& stdin_bytes, int& status,
                   std::string* err = nullptr) {
  test::ScratchDir home;
  return test::RunCli(args, home.path(), home.path(), status, err, stdin_bytes);
}

TEST(Cli, MimeParsePrintsJsonAndKanjiFiltersStdinToStdout) {
  if (!std::getenv("SORAMI_CLI")) GTEST_SKIP() << "SORAMI_CLI names the command line under test";
  const std::string letter =
      test::DataFile("mail/letters-ja/test_japanese_multipart_mixed_iso-2022-jp_over_base64.txt");
  int status = -1;
  const std::string json = RunCli("mime parse '" + letter + "'", "", status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(json.find("\"subject\":\"〓 Test いろは歌\""), std::string::npos) << json;
  // sha256 of {"foo":"bar"}
  EXPECT_NE(json.find("{\"name\":\"attached-json-filename.json\",\"size\":13,\"sha256\":"
                      "\"7a38bf81f383f69433ad6e900d35b3e2385593f76a7b7ab5d4355b8ba41ee24b\","
                      "\"content_type\":\"application/json\"}"),
            std::string::npos)
      << json;
  EXPECT_EQ(json.find("\"name\":\"〓 Test いろは歌.html\""), std::string::npos);  // no file
  RunCli("mime parse /no/such/file", "", status);
  EXPECT_EQ(status, 1);
  // A mail that cannot be read whole fails, says why, and still shows what was read.
  std::string err;
  const std::string cut = RunCli("mime parse -", "\nbegin 644 cut.bin\n#0V%T\n", status, &err);
  EXPECT_EQ(status, 1);
  EXPECT_NE(err.find("cut.bin"), std::string::npos) << err;
  EXPECT_NE(cut.find("{\"name\":\"cut.bin\",\"size\":3,"), std::string::npos) << cut;
  RunCli("mime", "", status);
  EXPECT_EQ(status, 2);

  EXPECT_EQ(RunCli("kanji detect", Sj("日本"), status), "5\n");
  EXPECT_EQ(RunCli("kanji to-jis", Sj("日本") + "\r\n", status), "\x1B$BF|K\\\x1B(J\r\n");
  EXPECT_EQ(RunCli("kanji to-euc", Sj("日本"), status), "\xC6\xFC\xCB\xDC");
  EXPECT_EQ(RunCli("kanji to-sjis --from 4", "\xA4\xA2", status), Sj("あ"));
  EXPECT_EQ(U8(RunCli("kanji widen 2", "A\xB6\xDE", status)), "Aガ");
  EXPECT_EQ(status, 0);
  RunCli("kanji widen 9", "", status);
  EXPECT_EQ(status, 2);
}

}  // namespace
}  // namespace sorami
