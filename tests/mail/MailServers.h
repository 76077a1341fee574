// Real mail peers for the mail tests: the aiosmtpd sink of tests/mail/servers started on a
// free loopback port, a self-signed certificate for it, and the standard reader
// (read_mail.py, Python's email package) that shows a stored mail as users see it.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/Scratch.h"

namespace sorami::test {

inline std::filesystem::path MailServerScript(const std::string& name) {
  return std::filesystem::path(SORAMI_TESTS_DIR) / "mail" / "servers" / name;
}

// stdout of a shell command; status gets its exit status.
inline std::string RunCommand(const std::string& cmd, int& status) {
  FILE* p = popen(cmd.c_str(), "r");
  std::string out;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  status = WEXITSTATUS(pclose(p));
  return out;
}

// A certificate for CN=localhost (and 127.0.0.1) with its key, made in dir.
inline bool MakeSelfSignedCert(const std::filesystem::path& dir) {
  int status = 0;
  RunCommand(
      "openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj /CN=localhost -addext "
      "subjectAltName=DNS:localhost,IP:127.0.0.1 -keyout '" +
          (dir / "key.pem").string() + "' -out '" + (dir / "cert.pem").string() +
          "' >/dev/null 2>&1",
      status);
  return status == 0;
}

// The sink as its own process, stopped when the object goes.
class SmtpSink {
 public:
  // extra: "--auth USER:PASS", "--starttls CERT KEY", "--smtps CERT KEY", "--refuse ADDRESS".
  SmtpSink(const std::filesystem::path& dir, std::vector<std::string> extra) : dir_(dir) {
    const std::string port_file = (dir / "port").string();
    std::vector<std::string> args = {"/usr/bin/python3",
                                     MailServerScript("smtp_sink.py").string(),
                                     "--dir",
                                     (dir / "messages").string(),
                                     "--port-file",
                                     port_file};
    args.insert(args.end(), extra.begin(), extra.end());
    pid_ = fork();
    if (pid_ == 0) {
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    for (int i = 0; i < 200 && !std::filesystem::exists(port_file); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (std::filesystem::exists(port_file)) port_ = std::stoi(ReadFileBytes(port_file));
  }
  ~SmtpSink() {
    if (pid_ > 0 && kill(pid_, SIGTERM) == 0) waitpid(pid_, nullptr, 0);
  }
  SmtpSink(const SmtpSink&) = delete;
  SmtpSink& operator=(const SmtpSink&) = delete;

  int port() const { return port_; }  // 0 when the sink did not start
  // The stored mails, oldest first.
  std::vector<std::filesystem::path> Messages() const {
    std::vector<std::filesystem::path> out;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir_ / "messages", ec)) {
      if (e.path().extension() == ".eml") out.push_back(e.path());
    }
    std::sort(out.begin(), out.end());
    return out;
  }
  std::string Envelopes() const {
    std::error_code ec;
    return std::filesystem::exists(dir_ / "messages" / "envelopes.jsonl", ec)
               ? ReadFileBytes(dir_ / "messages" / "envelopes.jsonl")
               : std::string();
  }

 private:
  std::filesystem::path dir_;
  pid_t pid_ = -1;
  int port_ = 0;
};

// What Python's email package reads from a mail file ("key=value" lines, UTF-8).
inline std::string ReadWithPython(const std::filesystem::path& mail) {
  int status = 0;
  std::string out = RunCommand("/usr/bin/python3 '" + MailServerScript("read_mail.py").string() +
                                   "' '" + mail.string() + "' 2>&1",
                               status);
  if (status != 0) ADD_FAILURE() << "read_mail.py failed: " << out;
  return out;
}

}  // namespace sorami::test
