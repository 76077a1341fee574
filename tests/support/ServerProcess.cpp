#include "support/ServerProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

#include "support/Scratch.h"

extern char** environ;

namespace sorami::test {
namespace {

pid_t Spawn(const std::vector<std::string>& args, posix_spawn_file_actions_t* actions) {
  const char* program = std::getenv("SORAMI_SITE_SERVER");
  if (!program) throw std::runtime_error("SORAMI_SITE_SERVER is not set");
  std::vector<char*> argv = {const_cast<char*>(program)};  // posix_spawn does not change them
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, program, actions, nullptr, argv.data(), environ) != 0) {
    throw std::runtime_error(std::string("cannot start ") + program);
  }
  return pid;
}

}  // namespace

CommandResult RunServerCommand(const std::vector<std::string>& args,
                               const std::filesystem::path& scratch, int limitSeconds) {
  const std::string out = (scratch / "cmd.out").string(), err = (scratch / "cmd.err").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = Spawn(args, &actions);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  for (int waited = 0; limitSeconds > 0 && waitpid(pid, &status, WNOHANG) == 0; ++waited) {
    if (waited >= limitSeconds * 10) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
      return {-1, ReadFileBytes(out), ReadFileBytes(err)};
    }
    usleep(100'000);
  }
  if (limitSeconds <= 0) waitpid(pid, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileBytes(out), ReadFileBytes(err)};
}

ServerProcess::ServerProcess(const std::vector<std::string>& args,
                             const std::filesystem::path& logFile) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  const std::string log = logFile.string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  std::vector<std::string> full = {"serve"};
  full.insert(full.end(), args.begin(), args.end());
  pid_ = Spawn(full, &actions);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  // The first line ends with the bound address.
  std::string line;
  char c[256];
  for (ssize_t n; line.find('\n') == std::string::npos && (n = read(fds[0], c, sizeof c)) > 0;) {
    line.append(c, n);
  }
  close(fds[0]);
  std::size_t nl = line.find('\n');
  std::size_t sp = line.rfind(' ', nl);
  if (nl == std::string::npos || sp == std::string::npos) {
    Kill();
    throw std::runtime_error("the server did not announce its address: " + line);
  }
  address_ = line.substr(sp + 1, nl - sp - 1);
}

ServerProcess::~ServerProcess() { Stop(SIGTERM); }
void ServerProcess::Kill() { Stop(SIGKILL); }

void ServerProcess::Pause() { kill(pid_, SIGSTOP); }
void ServerProcess::Resume() { kill(pid_, SIGCONT); }

void ServerProcess::Stop(int signal) {
  if (pid_ > 0 && kill(pid_, signal) == 0) {
    kill(pid_, SIGCONT);  // a frozen process takes its signal only when it runs again
    waitpid(pid_, nullptr, 0);
  }
  pid_ = -1;
}

}  // namespace sorami::test
