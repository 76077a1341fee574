// A receive on a scratch data directory, and POP3 server scripts built from mails.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "base/AccountLog.h"
#include "base/DiagLog.h"
#include "mail/MailJushin.h"
#include "platform/Codepage.h"
#include "store/MasterFile.h"
#include "support/Scratch.h"

namespace sorami::test {

// Keeps every text the status label showed.
class RecordedEvents : public JushinEvents {
 public:
  void Label(const std::string& text) override { labels.push_back(Cp932ToUtf8(text)); }
  void Progress(int number, int) override { progress.push_back(number); }
  std::vector<std::string> labels;
  std::vector<int> progress;
};

class MailTest : public ::testing::Test {
 protected:
  MailTest() {
    log.Attach();
    master.encrypt = false;
    config.host = "pop.example.jp";
    config.port = 110;
    config.security = MailSecurity::kNone;
    config.user = "taro";
    config.password = "himitsu";
  }

  JushinOutcome Receive(LineSocket& socket) {
    JushinPlace place{
        {store, log, data_dir(), attach_dir(), &events, originals}, master, &aclog, &events};
    return MailJushin(session, place, config, socket);
  }

  std::filesystem::path data_dir() const { return dir.path() / "Data"; }
  std::filesystem::path attach_dir() const { return dir.path() / "ATTACH"; }
  // A column of a record, as UTF-8.
  std::string Col(int32_t row, MastCol col) const { return Cp932ToUtf8(store.Get(row, col)); }
  // The records of the master file on disk.
  int32_t SavedRecords() {
    DiagLog quiet;
    MasterFiles files{data_dir(), nullptr, quiet};
    files.encrypt = false;
    TArMastd saved;
    std::string msg;
    ReadMaster(files, saved, msg);
    return saved.CtMaster();
  }

  ScratchDir dir;
  DiagLog log;
  TArMastd store;
  MasterFiles master{dir.path() / "Data", nullptr, log};
  AccountLog aclog;
  JushinSession session;
  RecordedEvents events;
  PopConfig config;
  const Originals* originals = nullptr;  // set: received mails keep their originals
};

// Server scripts (see ScriptedLineSocket) for a plain login as taro.
inline std::string Login() {
  return "S: +OK ready\nC: USER taro\nS: +OK\nC: PASS himitsu\nS: +OK Logged in.\n";
}
inline std::string Stat(int n) { return "C: STAT\nS: +OK " + std::to_string(n) + " 1000\n"; }
inline std::string Uidl(const std::vector<std::string>& ids) {
  std::string s = "C: UIDL\nS: +OK\n";
  for (size_t i = 0; i < ids.size(); ++i) s += "S: " + std::to_string(i + 1) + " " + ids[i] + "\n";
  return s + "S: .\n";
}
// The size a server gives for the mail (LF lines): every line ended by CR LF.
inline size_t WireSize(const std::string& mail) {
  return mail.size() + static_cast<size_t>(std::count(mail.begin(), mail.end(), '\n'));
}
// LIST n and RETR n answered with the mail (LF lines), byte-stuffed as a server sends it;
// with `cut`, the server stops after that many lines of it.
inline std::string Retr(int n, const std::string& mail, int cut = -1) {
  const size_t size = WireSize(mail);
  std::string s = "C: LIST " + std::to_string(n) + "\nS: +OK " + std::to_string(n) + " " +
                  std::to_string(size) + "\nC: RETR " + std::to_string(n) + "\nS: +OK\n";
  std::string line;
  std::istringstream in(mail);
  for (int k = 0; k != cut && std::getline(in, line); ++k) {
    s += "S: " + std::string(line.starts_with(".") ? "." : "") + line + "\n";
  }
  return cut >= 0 ? s : s + "S: .\n";
}
inline std::string Dele(int n) { return "C: DELE " + std::to_string(n) + "\nS: +OK\n"; }
inline std::string Quit() { return "C: QUIT\nS: +OK bye\n"; }

// A plain mail; the Date and Message-Id are left out when empty. The default Date has no
// zone, so it reads as this machine's local time.
inline std::string Mail(const std::string& subject, const std::string& body,
                        const std::string& message_id = "",
                        const std::string& date = "Tue, 1 Dec 2026 10:00:00") {
  std::string m =
      "From: =?ISO-2022-JP?B?GyRCQkBPOhsoQg==?= <taro@example.jp>\n"
      "To: hanako@example.jp\nSubject: " +
      subject + "\n";
  if (!date.empty()) m += "Date: " + date + "\n";
  if (!message_id.empty()) m += "Message-Id: " + message_id + "\n";
  return m + "Content-Type: text/plain; charset=US-ASCII\n\n" + body;
}

}  // namespace sorami::test
