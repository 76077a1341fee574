#include "platform/SpoolFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "platform/posix/TempFile.h"

namespace sorami {

namespace {
constexpr std::string_view kPrefix = ".spool.";
constexpr size_t kRandom = 6;  // the XXXXXX of mkstemp
}  // namespace

SpoolFile::~SpoolFile() {
  if (file_ != nullptr) std::fclose(file_);
  if (!path_.empty()) ::unlink(path_.c_str());
}

bool SpoolFile::Create(const std::filesystem::path& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  std::string pattern = (dir.empty() ? std::string(".") : dir.string()) + "/" +
                        std::string(kPrefix) + std::string(kRandom, 'X');
  file_ = OpenNewTempFile(pattern, "w+b");
  if (file_ == nullptr) return false;
  path_ = pattern;
  return true;
}

bool SpoolFile::Write(std::string_view bytes) {
  if (file_ == nullptr || failed_) return false;
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    failed_ = true;
    error_ = errno;
  }
  return !failed_;
}

bool SpoolFile::Rewind() {
  if (file_ == nullptr || failed_ || std::fflush(file_) != 0) return false;
  std::rewind(file_);
  return true;
}

bool SpoolFile::NextLine(std::string& line, bool crlf_only, bool* had_cr) {
  line.clear();
  if (had_cr) *had_cr = false;
  if (file_ == nullptr) return false;
  char* buf = nullptr;
  size_t cap = 0;
  bool any = false;
  for (ssize_t n; (n = ::getdelim(&buf, &cap, '\n', file_)) > 0;) {
    any = true;
    line.append(buf, static_cast<size_t>(n));
    if (line.back() != '\n') break;  // the last line, without an end
    const bool after_cr = line.size() >= 2 && line[line.size() - 2] == '\r';
    if (crlf_only && !after_cr) continue;  // a bare LF inside the line
    line.resize(line.size() - (after_cr ? 2 : 1));
    if (had_cr) *had_cr = after_cr;
    break;
  }
  std::free(buf);
  return any;
}

bool IsSpoolFileName(std::string_view name) {
  return name.size() == kPrefix.size() + kRandom && name.substr(0, kPrefix.size()) == kPrefix;
}

}  // namespace sorami
