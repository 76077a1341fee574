#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "base/MbText.h"
#include "platform/posix/TempFile.h"

namespace sorami {

namespace {

void SyncDirectory(const std::filesystem::path& dir) {
  const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

AtomicFileWriter::~AtomicFileWriter() { Abandon(); }

bool AtomicFileWriter::Open(const std::filesystem::path& target, size_t buffer_bytes) {
  Abandon();
  target_ = target;
  std::string pattern = target.parent_path().empty() ? "." : target.parent_path().string();
  pattern.append("/.").append(target.filename().string()).append(".XXXXXX");
  file_ = OpenNewTempFile(pattern, "wb");
  if (file_ == nullptr) return false;
  // A new file is private to the user (mkstemp creates it 0600: messages and passwords live
  // in these files); a replaced file keeps the permissions it had.
  struct stat old_stat;
  if (::stat(target.c_str(), &old_stat) == 0) ::fchmod(::fileno(file_), old_stat.st_mode & 07777);
  // glibc takes the size of a buffer only with the buffer itself: without one it keeps its
  // 4 KiB, and a save of the store becomes thousands of small writes.
  if (buffer_bytes == 0) {
    std::setvbuf(file_, nullptr, _IONBF, 0);
  } else {
    if (buffer_bytes_ != buffer_bytes) {
      buffer_ = std::make_unique_for_overwrite<char[]>(buffer_bytes);
      buffer_bytes_ = buffer_bytes;
    }
    std::setvbuf(file_, buffer_.get(), _IOFBF, buffer_bytes);
  }
  temp_ = pattern;
  failed_ = false;
  return true;
}

bool AtomicFileWriter::Write(std::string_view bytes) {
  if (file_ == nullptr || failed_) return false;
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    failed_ = true;
    write_errno_ = errno;
  }
  return !failed_;
}

bool AtomicFileWriter::Commit() {
  if (file_ == nullptr) return false;
  // errno of the first step that failed, for the caller to tell.
  int cause = failed_ ? write_errno_ : 0;
  bool ok = !failed_ && std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
  if (!ok && cause == 0) cause = errno;
  if (std::fclose(file_) != 0 && ok) {
    ok = false;
    cause = errno;
  }
  file_ = nullptr;
  if (ok && ::rename(temp_.c_str(), target_.c_str()) == 0) {
    temp_.clear();
    SyncDirectory(target_.parent_path());
    return true;
  }
  if (ok) cause = errno;
  Abandon();
  errno = cause;
  return false;
}

void AtomicFileWriter::Abandon() {
  // The clean-up keeps errno as the failure left it, so a caller can tell why a save failed.
  const int saved_errno = errno;
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
  if (!temp_.empty()) {
    ::unlink(temp_.c_str());
    temp_.clear();
  }
  errno = saved_errno;
}

bool WriteFileAtomic(const std::filesystem::path& target, std::string_view bytes) {
  AtomicFileWriter w;
  return w.Open(target) && w.Write(bytes) && w.Commit();
}

bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  bytes.clear();
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
  const bool ok = std::ferror(f) == 0;
  std::fclose(f);
  if (!ok) bytes.clear();
  return ok;
}

bool KeepAside(const std::filesystem::path& p, std::string_view why, std::filesystem::path& kept) {
  if (!PathExists(p)) return false;
  kept = p;
  kept += "." + std::string(why) + "-" + FormatLocalTime(std::time(nullptr), "%Y%m%d-%H%M%S");
  std::error_code ec;
  std::filesystem::rename(p, kept, ec);
  return !ec;
}

}  // namespace sorami
