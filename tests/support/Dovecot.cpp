#include "support/Dovecot.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "support/Scratch.h"

namespace sorami::test {

namespace fs = std::filesystem;

namespace {

std::string Quote(const fs::path& p) { return "'" + p.string() + "'"; }

// Runs a shell command; its output goes to the file, its status is returned.
int Run(const std::string& command, const fs::path& output) {
  return std::system((command + " >" + Quote(output) + " 2>&1 </dev/null").c_str());
}

}  // namespace

fs::path MailServerScripts() { return fs::path(SORAMI_TESTS_DIR) / "mail" / "servers"; }

int FreeLoopbackPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), len) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0) {
    port = ntohs(addr.sin_port);
  }
  ::close(fd);
  return port;
}

bool Dovecot::Installed() {
  return fs::exists("/usr/sbin/dovecot") && fs::exists("/usr/lib/dovecot/pop3");
}

bool Dovecot::ImapInstalled() { return Installed() && fs::exists("/usr/lib/dovecot/imap"); }

Dovecot::Dovecot(bool tls, Imap imap) {
  if (!Installed() || (imap == Imap::kOn && !ImapInstalled())) {
    why_not_ = "dovecot-pop3d or dovecot-imapd is not installed (scripts/setup installs them)";
    return;
  }
  // Short, and reachable by the mail user when run as root: Dovecot's socket paths are
  // limited, and mail is never accessed as root.
  char templ[] = "/tmp/sorami-pop3-XXXXXX";
  if (!::mkdtemp(templ)) {
    why_not_ = "cannot create a state directory";
    return;
  }
  state_ = templ;
  ::chmod(templ, 0755);
  port_ = FreeLoopbackPort();
  std::string command = "bash " + Quote(MailServerScripts() / "start-pop3.sh");
  if (tls) {
    pop3s_port_ = FreeLoopbackPort();
    command += " --pop3s-port " + std::to_string(pop3s_port_);
  }
  if (imap == Imap::kOn) {
    imap_port_ = FreeLoopbackPort();
    command += " --imap-port " + std::to_string(imap_port_);
    if (tls) {
      imaps_port_ = FreeLoopbackPort();
      command += " --imaps-port " + std::to_string(imaps_port_);
    }
  }
  command += " " + Quote(state_) + " " + std::to_string(port_);
  const fs::path out = state_ / "start.out";
  if (Run(command, out) != 0) {
    why_not_ = "dovecot did not start: " + ReadFileBytes(out);
    return;
  }
  std::ifstream pid_file(state_ / "dovecot.pid");
  pid_file >> pid_;
  if (pid_ <= 0) why_not_ = "dovecot wrote no pid";
}

Dovecot::~Dovecot() {
  if (state_.empty()) return;
  if (pid_ > 0) {
    Run("bash " + Quote(MailServerScripts() / "stop-pop3.sh") + " " + Quote(state_),
        state_ / "stop.out");
  }
  std::error_code ec;
  fs::remove_all(state_, ec);
}

std::string Dovecot::LogText() const { return ReadFileBytes(state_ / "dovecot.log"); }

bool Dovecot::LastLoginUsedTls() const {
  const std::string log = LogText();
  const size_t login = log.rfind("Login: user=<" + std::string(kUser) + ">");
  return login != std::string::npos && log.find(", TLS", login) < log.find('\n', login);
}

void Dovecot::AddMail(const std::string& bytes) {
  const std::string name = "1700000000.M" + std::to_string(++mails_added_) + "P" +
                           std::to_string(::getpid()) + ".sorami-test";
  const fs::path tmp = maildir() / "tmp" / name;
  WriteFileBytes(tmp, bytes);
  struct stat st {};
  if (::stat(maildir().c_str(), &st) == 0 && ::geteuid() == 0) {
    if (::chown(tmp.c_str(), st.st_uid, st.st_gid) != 0) std::perror("chown");
  }
  fs::rename(tmp, maildir() / "new" / name);
}

size_t Dovecot::MailCount() const {
  size_t n = 0;
  for (const char* sub : {"new", "cur"}) {
    for (const auto& e : fs::directory_iterator(maildir() / sub)) n += e.is_regular_file();
  }
  return n;
}

void Dovecot::Clear() {
  for (const char* sub : {"new", "cur", "tmp"}) {
    for (const auto& e : fs::directory_iterator(maildir() / sub)) fs::remove(e.path());
  }
}

bool Dovecot::Fill(int n, const fs::path& manifest) {
  const std::string command = "/usr/bin/python3 " + Quote(MailServerScripts() / "fill-mailbox.py") +
                              " --clear --manifest " + Quote(manifest) + " " + Quote(state_) + " " +
                              std::to_string(n);
  return Run(command, state_ / "fill.out") == 0;
}

}  // namespace sorami::test
