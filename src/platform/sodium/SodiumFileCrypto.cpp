#include <fcntl.h>
#include <sodium.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/FileCrypto.h"

namespace sorami {

namespace {

// File layout: the magic text, the secret-stream header, then chunks of at most kChunk
// plain bytes each followed by its authentication tag; the last chunk carries the FINAL tag,
// so a truncated file is detected.
constexpr char kMagic[8] = {'S', 'O', 'R', 'A', 'M', 'I', 'E', '1'};
constexpr size_t kChunk = 64 * 1024;
constexpr size_t kKeyBytes = crypto_secretstream_xchacha20poly1305_KEYBYTES;

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

File OpenRead(const char* path) { return File(std::fopen(path, "rb"), &std::fclose); }

bool ReadKey(const std::filesystem::path& key_file, unsigned char* key) {
  File f = OpenRead(key_file.c_str());
  if (!f) return false;
  unsigned char extra;
  return std::fread(key, 1, kKeyBytes, f.get()) == kKeyBytes &&
         std::fread(&extra, 1, 1, f.get()) == 0;
}

// Creates the key file when there is none; an existing key file is never replaced.
bool LoadOrCreateKey(const std::filesystem::path& key_file, unsigned char* key) {
  if (ReadKey(key_file, key)) return true;
  std::error_code ec;
  if (std::filesystem::exists(key_file, ec)) return false;  // present but unreadable or damaged
  std::filesystem::create_directories(key_file.parent_path(), ec);
  std::string temp = (key_file.parent_path() / ".master.key.XXXXXX").string();
  const int fd = ::mkstemp(temp.data());  // mode 0600
  if (fd < 0) return false;
  randombytes_buf(key, kKeyBytes);
  const bool written =
      ::write(fd, key, kKeyBytes) == static_cast<ssize_t>(kKeyBytes) && ::fsync(fd) == 0;
  ::close(fd);
  // link() fails when another process created the key first; then that key is the one.
  const bool linked = written && ::link(temp.c_str(), key_file.c_str()) == 0;
  ::unlink(temp.c_str());
  return linked || ReadKey(key_file, key);
}

class SodiumFileCrypto : public FileCrypto {
 public:
  explicit SodiumFileCrypto(std::filesystem::path key_file) : key_file_(std::move(key_file)) {}

  int EncryptFile(const char* source, const char* dest, const char*) override {
    if (sodium_init() < 0) return 1;
    unsigned char key[kKeyBytes];
    if (!LoadOrCreateKey(key_file_, key)) return 2;
    File in = OpenRead(source);
    if (!in) return 3;
    AtomicFileWriter out;
    if (!out.Open(dest)) return 4;
    crypto_secretstream_xchacha20poly1305_state st;
    unsigned char header[crypto_secretstream_xchacha20poly1305_HEADERBYTES];
    crypto_secretstream_xchacha20poly1305_init_push(&st, header, key);
    sodium_memzero(key, sizeof key);
    out.Write(std::string_view(kMagic, sizeof kMagic));
    out.Write(std::string_view(reinterpret_cast<char*>(header), sizeof header));
    std::vector<unsigned char> plain(kChunk);
    std::vector<unsigned char> cipher(kChunk + crypto_secretstream_xchacha20poly1305_ABYTES);
    for (;;) {
      const size_t n = std::fread(plain.data(), 1, kChunk, in.get());
      if (std::ferror(in.get())) return 5;
      const bool last = std::feof(in.get()) != 0;
      unsigned long long clen = 0;
      crypto_secretstream_xchacha20poly1305_push(
          &st, cipher.data(), &clen, plain.data(), n, nullptr, 0,
          last ? crypto_secretstream_xchacha20poly1305_TAG_FINAL : 0);
      if (!out.Write(std::string_view(reinterpret_cast<char*>(cipher.data()), clen))) return 6;
      if (last) break;
    }
    sodium_memzero(plain.data(), plain.size());
    return out.Commit() ? 0 : 7;
  }

  int DecryptFile(const char* source, const char* dest, const char*) override {
    if (sodium_init() < 0) return 1;
    unsigned char key[kKeyBytes];
    if (!ReadKey(key_file_, key)) return 2;
    File in = OpenRead(source);
    if (!in) return 3;
    char magic[sizeof kMagic];
    unsigned char header[crypto_secretstream_xchacha20poly1305_HEADERBYTES];
    if (std::fread(magic, 1, sizeof magic, in.get()) != sizeof magic ||
        std::memcmp(magic, kMagic, sizeof magic) != 0 ||
        std::fread(header, 1, sizeof header, in.get()) != sizeof header) {
      return 8;
    }
    crypto_secretstream_xchacha20poly1305_state st;
    const int init = crypto_secretstream_xchacha20poly1305_init_pull(&st, header, key);
    sodium_memzero(key, sizeof key);
    if (init != 0) return 8;
    AtomicFileWriter out;  // the plain file appears only when the whole file checked out
    if (!out.Open(dest)) return 4;
    std::vector<unsigned char> cipher(kChunk + crypto_secretstream_xchacha20poly1305_ABYTES);
    std::vector<unsigned char> plain(kChunk);
    for (;;) {
      const size_t n = std::fread(cipher.data(), 1, cipher.size(), in.get());
      if (std::ferror(in.get())) return 5;
      unsigned long long plen = 0;
      unsigned char tag = 0;
      if (crypto_secretstream_xchacha20poly1305_pull(&st, plain.data(), &plen, &tag, cipher.data(),
                                                     n, nullptr, 0) != 0) {
        return 9;  // wrong key, damaged or truncated
      }
      if (!out.Write(std::string_view(reinterpret_cast<char*>(plain.data()), plen))) return 6;
      if (tag == crypto_secretstream_xchacha20poly1305_TAG_FINAL) {
        unsigned char extra;
        if (std::fread(&extra, 1, 1, in.get()) != 0) return 10;  // data after the end
        break;
      }
      if (n < cipher.size()) return 11;  // ended without the final chunk
    }
    sodium_memzero(plain.data(), plain.size());
    return out.Commit() ? 0 : 7;
  }

 private:
  std::filesystem::path key_file_;
};

}  // namespace

std::unique_ptr<FileCrypto> MakeSodiumFileCrypto(std::filesystem::path key_file) {
  return std::make_unique<SodiumFileCrypto>(std::move(key_file));
}

}  // namespace sorami
