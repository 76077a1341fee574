// A private Dovecot POP3 server on loopback for the mail tests and benchmarks, started from
// the scripts in tests/mail/servers (user "test", password "secret"). With TLS it also
// listens for POP3S and offers STLS, with a self-signed certificate for "localhost" and
// 127.0.0.1 whose file is ca_file(). With IMAP it serves the same mailbox by IMAP too
// (STARTTLS offered, and IMAP with TLS from the first byte, when TLS is on).
#pragma once

#include <filesystem>
#include <string>

namespace sorami::test {

class Dovecot {
 public:
  static constexpr const char* kUser = "test";
  static constexpr const char* kPassword = "secret";

  enum class Imap { kOff, kOn };
  explicit Dovecot(bool tls, Imap imap = Imap::kOff);
  ~Dovecot();  // stops the server and removes its directory
  Dovecot(const Dovecot&) = delete;
  Dovecot& operator=(const Dovecot&) = delete;

  // Whether the server runs; why not, when it does not.
  bool running() const { return pid_ > 0; }
  const std::string& why_not() const { return why_not_; }
  // Whether Dovecot is installed at all.
  static bool Installed();
  static bool ImapInstalled();

  int port() const { return port_; }
  int pop3s_port() const { return pop3s_port_; }
  int imap_port() const { return imap_port_; }
  int imaps_port() const { return imaps_port_; }
  std::filesystem::path ca_file() const { return state_ / "ssl" / "cert.pem"; }
  std::filesystem::path maildir() const { return state_ / "mail" / "Maildir"; }

  // What the server logged so far (logins name "TLS" when the connection used it).
  std::string LogText() const;
  // Whether the last login the server logged came over TLS.
  bool LastLoginUsedTls() const;

  // Puts one mail into the mailbox, as a delivery would (LF line ends are fine).
  void AddMail(const std::string& bytes);
  // The mails in the mailbox.
  size_t MailCount() const;
  // Empties the mailbox.
  void Clear();
  // n generated mails (six kinds of Japanese mail, see fill-mailbox.py), replacing the
  // mailbox; their expected values go to the manifest, one JSON line each.
  bool Fill(int n, const std::filesystem::path& manifest);

 private:
  std::filesystem::path state_;
  int port_ = 0, pop3s_port_ = 0, imap_port_ = 0, imaps_port_ = 0;
  long pid_ = 0;
  int mails_added_ = 0;
  std::string why_not_;
};

// The folder of the server scripts.
std::filesystem::path MailServerScripts();
// A loopback port no one listens on now.
int FreeLoopbackPort();

}  // namespace sorami::test
