// A new private file from a mkstemp pattern ("...XXXXXX", completed in place), opened as a
// stream; nullptr (and no file left behind) when it cannot be made or opened.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace sorami {

inline std::FILE* OpenNewTempFile(std::string& pattern, const char* mode) {
  const int fd = ::mkstemp(pattern.data());  // 0600
  if (fd < 0) return nullptr;
  std::FILE* file = ::fdopen(fd, mode);
  if (file == nullptr) {
    ::close(fd);
    ::unlink(pattern.c_str());
  }
  return file;
}

}  // namespace sorami
