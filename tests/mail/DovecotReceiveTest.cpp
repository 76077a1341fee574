// The receive against a real Dovecot on loopback: plain POP3, POP3S and STLS.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>

#include "mail/DovecotSuite.h"
#include "platform/Digest.h"
#include "support/Dovecot.h"

namespace sorami {
namespace {

using namespace test;

// The value of a string field of one manifest line (JSON written by fill-mailbox.py).
std::string JsonField(const std::string& line, const std::string& key) {
  const std::string tag = "\"" + key + "\": \"";
  size_t i = line.find(tag);
  if (i == std::string::npos) return {};
  std::string out;
  for (i += tag.size(); i < line.size() && line[i] != '"'; ++i) {
    if (line[i] == '\\' && i + 1 < line.size()) ++i;
    out += line[i];
  }
  return out;
}

class DovecotReceiveTest : public DovecotSuite<Dovecot::Imap::kOff> {
 protected:
  void SetUp() override {
    DovecotSuite::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    config.port = server_->port();
  }
  void AddThree() {
    for (const char* s : {"one", "two", "three"}) server_->AddMail(Mail(s, std::string(s) + "\n"));
  }
};

TEST_F(DovecotReceiveTest, Pop3sAndStlsAndMailLeftOnTheServerIsStoredOnceAndDeletedLater) {
  const JushinOutcome empty = ReceiveHere();
  EXPECT_TRUE(empty.ok) << Cp932ToUtf8(empty.status);
  EXPECT_EQ(empty.label, " 0 件"_cp932);

  AddThree();
  config.leave_on_server = true;
  config.security = MailSecurity::kTls;
  config.port = server_->pop3s_port();
  const JushinOutcome implicit = ReceiveHere();
  EXPECT_TRUE(implicit.ok) << Cp932ToUtf8(implicit.status);
  EXPECT_TRUE(server_->LastLoginUsedTls());
  EXPECT_EQ(implicit.stored, 3);

  server_->AddMail(Mail("four", "4\n"));
  config.security = MailSecurity::kAuto;  // the plain port offers STLS
  config.port = server_->port();
  const JushinOutcome upgraded = ReceiveHere();
  EXPECT_TRUE(upgraded.ok) << Cp932ToUtf8(upgraded.status);
  EXPECT_TRUE(server_->LastLoginUsedTls());
  EXPECT_EQ(upgraded.stored, 1);
  EXPECT_EQ(upgraded.known, 3);

  // Leave-on-server off now: what was stored before is deleted, nothing is stored again.
  config.leave_on_server = false;
  const JushinOutcome last = ReceiveHere();
  EXPECT_EQ(last.stored, 0);
  EXPECT_EQ(last.deleted, 4);
  EXPECT_EQ(server_->MailCount(), 0u);
  EXPECT_EQ(SavedRecords(), 4);
}

TEST_F(DovecotReceiveTest, AWrongPasswordOrAnUntrustedCertificateIsAClearFailure) {
  AddThree();
  config.password = "wrong";
  const JushinOutcome login = ReceiveHere();
  EXPECT_FALSE(login.ok);
  EXPECT_EQ(login.label, "ホスト・エラー"_cp932);
  EXPECT_TRUE(login.status.starts_with("ログインできません"_cp932)) << Cp932ToUtf8(login.status);

  config.password = Dovecot::kPassword;
  config.ca_file.clear();
  config.security = MailSecurity::kTls;
  config.port = server_->pop3s_port();
  const JushinOutcome untrusted = ReceiveHere();
  EXPECT_FALSE(untrusted.ok);
  EXPECT_TRUE(untrusted.status.starts_with("サーバーの証明書を信頼できません"_cp932))
      << Cp932ToUtf8(untrusted.status);
  EXPECT_EQ(store.CtMaster(), 0);
  EXPECT_EQ(server_->MailCount(), 3u);
}

TEST_F(DovecotReceiveTest, AThousandJapaneseMailsAreStoredAsTheManifestSays) {
  const std::filesystem::path manifest = dir.path() / "manifest.jsonl";
  ASSERT_TRUE(server_->Fill(1000, manifest));
  const JushinOutcome out = ReceiveHere();
  ASSERT_TRUE(out.ok) << Cp932ToUtf8(out.status);
  EXPECT_FALSE(out.parse_error);
  EXPECT_EQ(out.stored, 1000);
  EXPECT_EQ(out.deleted, 1000);
  EXPECT_EQ(server_->MailCount(), 0u);
  ASSERT_FALSE(events.progress.empty());
  EXPECT_EQ(events.progress.back(), 1000);

  std::map<std::string, int32_t> by_subject;
  for (int32_t row = 0; row < store.CtMaster(); ++row) {
    by_subject[std::string(store.Get(row, MastCol::kTitle))] = row;
  }
  std::ifstream in(manifest);
  int checked = 0;
  for (std::string line; std::getline(in, line); ++checked) {
    const std::string kind = JsonField(line, "kind"), subject = JsonField(line, "subject");
    SCOPED_TRACE(line);
    const auto found = by_subject.find(Utf8ToCp932(subject));
    ASSERT_NE(found, by_subject.end());
    const int32_t row = found->second;
    const std::string body = std::string(store.Get(row, MastCol::kBody));
    const std::string index = line.substr(10, line.find(',') - 10);  // {"index": N,
    const std::string name = JsonField(line, "attachment");
    if (kind == "ascii") {
      EXPECT_NE(body.find("This is message " + index + ".\r\n.\r\n..two dots"), std::string::npos);
    } else {
      EXPECT_NE(body.find(Utf8ToCp932("メッセージ番号" + index + "番をお送りします。")),
                std::string::npos);
    }
    // The HTML of "alt" is not a file.
    EXPECT_EQ(Col(row, MastCol::kAttachments), name.empty() ? "" : "MailTenpu;" + name);
    if (kind == "jis-attach") {
      EXPECT_EQ(Sha256Hex(ReadFileBytes(attach_dir() / name)),
                JsonField(line, "attachment_sha256"));
    } else if (kind == "sjis-b64") {
      EXPECT_EQ(ReadFileBytes(attach_dir() / name), "添付テキスト" + index + "\n");
    }
  }
  EXPECT_EQ(checked, 1000);
}

}  // namespace
}  // namespace sorami
