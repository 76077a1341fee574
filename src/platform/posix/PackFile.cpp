#include "platform/PackFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace sorami {

bool AppendFile::Create(const std::filesystem::path& path) {
  Close();
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
  size_ = 0;
  return fd_ >= 0;
}

bool AppendFile::Append(std::string_view bytes) {
  if (fd_ < 0) {
    errno = EBADF;
    return false;
  }
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    size_ += static_cast<uint64_t>(n);
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

bool AppendFile::Sync() {
  if (fd_ < 0) {
    errno = EBADF;
    return false;
  }
  return ::fdatasync(fd_) == 0;
}

void AppendFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

OffsetReader::~OffsetReader() {
  if (fd_ >= 0) ::close(fd_);
}

bool OffsetReader::Open(const std::filesystem::path& path) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return false;
  size_ = static_cast<uint64_t>(st.st_size);
  identity_ = static_cast<uint64_t>(st.st_ino) ^ (static_cast<uint64_t>(st.st_dev) << 48);
  return true;
}

bool OffsetReader::ReadAt(uint64_t offset, uint64_t n, std::string& out) const {
  out.clear();
  if (fd_ < 0 || offset > size_ || n > size_ - offset) return false;
  out.resize(n);
  uint64_t done = 0;
  while (done < n) {
    const ssize_t got =
        ::pread(fd_, out.data() + done, n - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      out.clear();
      return false;
    }
    done += static_cast<uint64_t>(got);
  }
  return true;
}

bool FileSizeAndIdentity(const std::filesystem::path& path, uint64_t& size, uint64_t& identity) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  size = static_cast<uint64_t>(st.st_size);
  identity = static_cast<uint64_t>(st.st_ino) ^ (static_cast<uint64_t>(st.st_dev) << 48);
  return true;
}

bool SyncDirectory(const std::filesystem::path& dir) {
  const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

uint64_t DirectoryStamp(const std::filesystem::path& dir) {
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0) return 0;
  return static_cast<uint64_t>(st.st_mtim.tv_sec) * 1000000000ULL +
         static_cast<uint64_t>(st.st_mtim.tv_nsec) + 1;
}

}  // namespace sorami
