// Messages kept as files, each named after a fault it guards against, read end to end;
// and the command line's mail commands run as a user runs them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "MailTestUtil.h"
#include "mail/mime/MailDate.h"
#include "mail/mime/VexPop.h"
#include "platform/Shell.h"

namespace sorami {
namespace {

using test::Sj;
using test::U8;

TVexMsg Read(const std::string& name) {
  TVexMsg msg;
  test::ReadMail(test::MailData("regress/" + name), msg);
  return msg;
}

TEST(Regress, Utf8CharacterSplitAcrossEncodedWords) {
  EXPECT_EQ(U8(Read("utf8-character-split-across-encoded-words.eml").Subject), "日本語");
}

TEST(Regress, Iso2022JpNecIbmRowsAndHalfWidthKatakana) {
  const TVexMsg msg = Read("iso-2022-jp-nec-ibm-rows-and-halfwidth-katakana.eml");
  EXPECT_EQ(U8(msg.Subject), "①㈱髙");
  EXPECT_EQ(U8(msg.BodyText()), "①㈱髙 ｱｲｳｴ end");
}

TEST(Regress, Rfc2231ContinuedAndRawShiftJisFileNames) {
  const TVexMsg msg = Read("rfc2231-continued-and-raw-shift-jis-file-names.eml");
  ASSERT_EQ(msg.Attachments.Count(), 2u);
  EXPECT_EQ(U8(msg.Attachments[0].Name), "見積書.pdf");
  EXPECT_EQ(msg.Attachments[0].Data, "%PDF-1.4 estimate");
  EXPECT_EQ(U8(msg.Attachments[1].Name), "表ソ.txt");
  EXPECT_EQ(msg.Text, (std::vector<std::string>{"see attached"}));
}

TEST(Regress, DateWithNegativeZone) {
  test::JapanTime jst;
  const TVexMsg msg = Read("date-with-negative-zone.eml");
  EXPECT_EQ(FormatMailDateTime(msg.DateValue), "2026/12/01 13:30:15");
}

TEST(Regress, HtmlOnlyShiftJis) {
  const TVexMsg msg = Read("html-only-shift-jis.eml");
  EXPECT_EQ(U8(msg.BodyText()), "お知らせ\r\n\r\n本文&詳細");
}

TEST(PartRoutines, FindUUBeginNeedsAModeAndAName) {
  TVexPOP parser;
  size_t at = 99;
  std::string name;
  const std::vector<std::string_view> lines = {"begin 777 no.bin", "begin 000 no.bin", "begin 644",
                                               "BEGIN 644 yes.bin"};
  ASSERT_TRUE(parser.FindUUBegin(lines, at, name));
  EXPECT_EQ(at, 3u);
  EXPECT_EQ(name, "yes.bin");
  EXPECT_FALSE(parser.FindUUBegin(LinesView(lines).first(3), at, name));
}

TEST(ShellOpen, HandsThePathToTheDesktopOpener) {
  test::ScratchDir dir;
  const auto out = dir / "opened.txt";
  test::WriteFileBytes(dir / "xdg-open",
                       "#!/bin/sh\nprintf '%s' \"$1\" > '" + out.string() + "'\n");
  std::filesystem::permissions(dir / "xdg-open", std::filesystem::perms::owner_all);
  const std::string old_path = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", (dir.path().string() + ":" + old_path).c_str(), 1);
  const bool started = ShellOpen(Sj("/tmp/資料.pdf"));
  setenv("PATH", old_path.c_str(), 1);
  ASSERT_TRUE(started);
  for (int i = 0; i < 100 && !std::filesystem::exists(out); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(test::ReadFileBytes(out), "/tmp/資料.pdf");
  EXPECT_FALSE(ShellOpen(""));
}

// sorami-cli, when the test run names it (CTest does).
std::string RunCli(const std::string& args, const std::string& stdin_bytes, int& status) {
  const char* cli = std::getenv("SORAMI_CLI");
  test::ScratchDir dir;
  test::WriteFileBytes(dir / "in", stdin_bytes);
  const std::string cmd = "SORAMI_HOME='" + dir.path().string() + "' SORAMI_CONFIG_HOME='" +
                          dir.path().string() + "' TZ=JST-9 '" + cli + "' " + args + " < '" +
                          (dir / "in").string() + "' 2>/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  status = WEXITSTATUS(pclose(p));
  return out;
}

TEST(Cli, MimeParsePrintsTheMailAsJson) {
  if (!std::getenv("SORAMI_CLI")) GTEST_SKIP() << "SORAMI_CLI names the command line under test";
  int status = -1;
  const std::string json =
      RunCli("mime parse '" +
                 test::DataFile(
                     "mail/letters-ja/test_japanese_multipart_mixed_iso-2022-jp_over_base64.txt")
                     .string() +
                 "'",
             "", status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(json.find("\"subject\":\"〓 Test いろは歌\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"date\":\"2019/04/01 07:55:00\""), std::string::npos);
  EXPECT_NE(json.find("\"body\":\"色は匂えど\\r\\n散りぬるを"), std::string::npos);
  // sha256 of {"foo":"bar"}
  EXPECT_NE(json.find("{\"name\":\"attached-json-filename.json\",\"size\":13,\"sha256\":"
                      "\"7a38bf81f383f69433ad6e900d35b3e2385593f76a7b7ab5d4355b8ba41ee24b\","
                      "\"content_type\":\"application/json\"}"),
            std::string::npos)
      << json;
  EXPECT_EQ(json.find("\"name\":\"〓 Test いろは歌.html\""), std::string::npos);  // no file
  RunCli("mime parse /no/such/file", "", status);
  EXPECT_EQ(status, 1);
  RunCli("mime", "", status);
  EXPECT_EQ(status, 2);
}

TEST(Cli, KanjiFiltersStdinToStdout) {
  if (!std::getenv("SORAMI_CLI")) GTEST_SKIP() << "SORAMI_CLI names the command line under test";
  int status = -1;
  EXPECT_EQ(RunCli("kanji detect", Sj("日本"), status), "5\n");
  EXPECT_EQ(RunCli("kanji to-jis", Sj("日本") + "\r\n", status), "\x1B$BF|K\\\x1B(J\r\n");
  EXPECT_EQ(RunCli("kanji to-sjis", "\x1B$BF|K\\\x1B(J", status), Sj("日本"));
  EXPECT_EQ(RunCli("kanji to-euc", Sj("日本"), status), "\xC6\xFC\xCB\xDC");
  EXPECT_EQ(RunCli("kanji to-sjis --from 4", "\xA4\xA2", status), Sj("あ"));
  EXPECT_EQ(U8(RunCli("kanji widen 2", "A\xB6\xDE", status)), "Aガ");
  EXPECT_EQ(status, 0);
  RunCli("kanji widen 9", "", status);
  EXPECT_EQ(status, 2);
}

}  // namespace
}  // namespace sorami
