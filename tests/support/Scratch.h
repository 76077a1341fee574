// Test support: a scratch directory removed at the end of the test, and test data paths.
#pragma once

#include <filesystem>
#include <string>

namespace sorami::test {

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

std::string ReadFileBytes(const std::filesystem::path& p);
// The bytes of every file under dir, one after another (what a grep of the folder would see).
std::string FolderBytes(const std::filesystem::path& dir);
void WriteFileBytes(const std::filesystem::path& p, const std::string& bytes);
// A file of tests/data.
std::filesystem::path DataFile(const std::string& relative);
// Text written with LF line ends, as a mail server sends it: every LF becomes CR LF.
std::string Crlf(const std::string& lf);

}  // namespace sorami::test
