// Mail received from a real Dovecot by "sorami-cli mail receive" keeps its original: "original"
// gives its bytes, "show" its full Unicode text, and "export" / "import" move it through an
// mbox file that Python's mailbox module reads.
#include <gtest/gtest.h>

#include <algorithm>

#include "mail/ReceiveSettings.h"
#include "support/Cli.h"
#include "support/Dovecot.h"
#include "support/Scratch.h"

namespace sorami {
namespace {

using namespace test;

const std::string kEmoji =
    "From: taro@example.jp\nTo: hanako@example.jp\nSubject: =?UTF-8?B?"
    "57W15paH5a2X8J+YgOOBqPCgrrfph47lrrY=?=\nDate: Tue, 1 Dec 2026 10:00:00 +0900\n"
    "Message-Id: <emoji@example.jp>\nContent-Type: text/plain; charset=UTF-8\n"
    "Content-Transfer-Encoding: 8bit\n\n絵文字😀と𠮷野家\n";
const std::string kFromLine =
    "From: jiro@example.jp\nTo: hanako@example.jp\nSubject: plain\n"
    "Date: Wed, 2 Dec 2026 11:00:00 +0900\nMessage-Id: <plain@example.jp>\n\n"
    "From the start of a line\n>From quoted already\n";

TEST(OriginalsCli, ReceivedMailKeepsItsBytesAndShowsEveryCharacter) {
  if (!HaveCli()) GTEST_SKIP() << "SORAMI_CLI names no sorami-cli";
  if (!Dovecot::Installed()) GTEST_SKIP() << "dovecot-pop3d is not installed";
  Dovecot server(true);
  ASSERT_TRUE(server.running()) << server.why_not();
  server.AddMail(kEmoji);
  server.AddMail(kFromLine);
  ScratchDir app, config;
  WriteReceiveSettings(config.path(), server, server.pop3s_port(), 3);  // "SSL/TLS"
  int status = 0;
  std::string err;
  std::string out = RunCli("mail receive", app.path(), config.path(), status, &err);
  ASSERT_EQ(status, 0) << err << out;
  ASSERT_NE(out.find("{\"stored\": 2, \"deleted\": 0}"), std::string::npos) << out;

  out = RunCli("original 0", app.path(), config.path(), status, &err);
  EXPECT_EQ(status, 0) << err;
  EXPECT_EQ(out, Crlf(kEmoji));
  // The store is encrypted (the default), and so is every original on disk: one pack for the
  // receive, no mail text in it.
  int files = 0;
  for (const auto& f : std::filesystem::directory_iterator(app / "Data" / "Originals")) {
    ++files;
    EXPECT_EQ(f.path().extension(), ".pack");
  }
  EXPECT_EQ(files, 1);
  EXPECT_EQ(FolderBytes(app / "Data" / "Originals").find("Subject"), std::string::npos);

  out = RunCli("show 0", app.path(), config.path(), status, &err);
  EXPECT_EQ(status, 0) << err;
  EXPECT_NE(out.find("\"body\": \"絵文字😀と𠮷野家"), std::string::npos) << out;
  EXPECT_NE(out.find("\"LabelTitle\": \"絵文字😀と𠮷野家\""), std::string::npos) << out;
  EXPECT_NE(out.find("\"original\": true"), std::string::npos) << out;

  RunCli("original 7", app.path(), config.path(), status, &err);
  EXPECT_EQ(status, 1);

  // Export, read by Python's mailbox module.
  const std::filesystem::path mbox = app / "inbox.mbox";
  out = RunCli("export 受信箱 '" + mbox.string() + "'", app.path(), config.path(), status, &err);
  ASSERT_EQ(status, 0) << err << out;
  EXPECT_NE(out.find("{\"mails\": 2, \"originals\": 2}"), std::string::npos) << out;
  const std::string script = app.path().string() + "/read.py";
  WriteFileBytes(script,
                 "import mailbox, sys, email.header\n"
                 "for m in mailbox.mbox(sys.argv[1]):\n"
                 "    s = str(email.header.make_header(email.header.decode_header(m['Subject'])))\n"
                 "    body = m.get_payload(decode=True).decode('utf-8')\n"
                 "    print(s + '|' + m['Message-Id'] + '|' + body.splitlines()[0])\n");
  FILE* p = popen(("python3 '" + script + "' '" + mbox.string() + "'").c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string read;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) read.append(buf, n);
  EXPECT_EQ(pclose(p), 0);
  EXPECT_EQ(read,
            "絵文字😀と𠮷野家|<emoji@example.jp>|絵文字😀と𠮷野家\n"
            // Python reads the quoted line as it stands (it unquotes no "From " line).
            "plain|<plain@example.jp>|>From the start of a line\n");

  // Imported twice into another data directory: two mails, no duplicates, the same bytes.
  ScratchDir other, other_config;
  out = RunCli("import '" + mbox.string() + "'", other.path(), other_config.path(), status, &err);
  EXPECT_EQ(status, 0) << err << out;
  EXPECT_NE(out.find("{\"mails\": 2, \"stored\": 2, \"duplicates\": 0, \"failed\": 0}"),
            std::string::npos)
      << out;
  out = RunCli("import '" + mbox.string() + "'", other.path(), other_config.path(), status, &err);
  EXPECT_EQ(status, 0) << err << out;
  EXPECT_NE(out.find("{\"mails\": 2, \"stored\": 0, \"duplicates\": 2, \"failed\": 0}"),
            std::string::npos)
      << out;
  out = RunCli("list 受信箱", other.path(), other_config.path(), status);
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2) << out;
  for (int n : {0, 1}) {
    EXPECT_EQ(RunCli("original " + std::to_string(n), other.path(), other_config.path(), status),
              RunCli("original " + std::to_string(n), app.path(), config.path(), status));
  }
  EXPECT_EQ(RunCli("original 1", other.path(), other_config.path(), status), Crlf(kFromLine));
}

}  // namespace
}  // namespace sorami
