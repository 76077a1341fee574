#include "platform/SyncFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/posix/TempFile.h"

namespace sorami {

bool WriteFileUnsynced(const std::filesystem::path& target, std::string_view bytes) {
  std::string temp = target.parent_path().empty() ? "." : target.parent_path().string();
  temp.append("/.").append(target.filename().string()).append(".XXXXXX");
  std::FILE* file = OpenNewTempFile(temp, "wb");
  if (file == nullptr) return false;
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  int cause = ok ? 0 : errno;
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    cause = errno;
  }
  if (ok && ::rename(temp.c_str(), target.c_str()) == 0) return true;
  if (ok) cause = errno;
  ::unlink(temp.c_str());
  errno = cause;
  return false;
}

bool SyncFileSystem(const std::filesystem::path& dir) {
  const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return false;
  const bool ok = ::syncfs(fd) == 0;
  ::close(fd);
  return ok;
}

}  // namespace sorami
