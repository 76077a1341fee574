#include "support/Scratch.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace sorami::test {

ScratchDir::ScratchDir() {
  std::random_device rd;
  const auto base = std::filesystem::temp_directory_path();
  for (int i = 0; i < 100; ++i) {
    auto p = base / ("sorami-test-" + std::to_string(::getpid()) + "-" + std::to_string(rd()));
    if (std::filesystem::create_directory(p)) {
      path_ = p;
      return;
    }
  }
  throw std::runtime_error("cannot create a scratch directory");
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::string Crlf(const std::string& lf) {
  std::string out;
  for (char c : lf) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

std::string ReadFileBytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + p.string());
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string FolderBytes(const std::filesystem::path& dir) {
  std::string all;
  if (!std::filesystem::exists(dir)) return all;
  for (const auto& f : std::filesystem::recursive_directory_iterator(dir)) {
    if (f.is_regular_file()) all += ReadFileBytes(f.path());
  }
  return all;
}

void WriteFileBytes(const std::filesystem::path& p, const std::string& bytes) {
  std::filesystem::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + p.string());
}

std::filesystem::path DataFile(const std::string& relative) {
  const char* root = std::getenv("SORAMI_TEST_DATA");
  return std::filesystem::path(root ? root : "tests/data") / relative;
}

}  // namespace sorami::test
