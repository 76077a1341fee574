#include "platform/DataLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <system_error>
#include <thread>

namespace sorami {

namespace {

class FlockDataLock : public DataLock {
 public:
  explicit FlockDataLock(int fd) : fd_(fd) {}
  ~FlockDataLock() override { close(fd_); }  // closing lets the lock go

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<DataLock> LockDataDir(const std::filesystem::path& data_dir, int wait_ms) {
  std::error_code ec;
  std::filesystem::create_directories(data_dir, ec);
  const int fd = open((data_dir / "sorami.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return nullptr;
  constexpr int kStepMs = 100;
  for (int waited = 0;; waited += kStepMs) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return std::make_unique<FlockDataLock>(fd);
    if (errno != EWOULDBLOCK || waited >= wait_ms) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(kStepMs));
  }
  close(fd);
  return nullptr;
}

}  // namespace sorami
