#include <fcntl.h>
#include <sodium.h>
#include <unistd.h>

#include <algorithm>
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

constexpr size_t kSealed = kChunk + crypto_secretstream_xchacha20poly1305_ABYTES;

// Encrypts what next() gives, chunk by chunk, into out. next(buffer) fills at most kChunk
// bytes and returns how many, setting last on the final chunk; it returns -1 on a read error.
template <typename Next>
int Seal(const unsigned char* key, Next next, AtomicFileWriter& out) {
  crypto_secretstream_xchacha20poly1305_state st;
  unsigned char header[crypto_secretstream_xchacha20poly1305_HEADERBYTES];
  crypto_secretstream_xchacha20poly1305_init_push(&st, header, key);
  out.Write(std::string_view(kMagic, sizeof kMagic));
  out.Write(std::string_view(reinterpret_cast<char*>(header), sizeof header));
  std::vector<unsigned char> plain(kChunk);
  std::vector<unsigned char> cipher(kSealed);
  for (;;) {
    bool last = false;
    const long n = next(plain.data(), last);
    if (n < 0) return 5;
    unsigned long long clen = 0;
    crypto_secretstream_xchacha20poly1305_push(
        &st, cipher.data(), &clen, plain.data(), static_cast<unsigned long long>(n), nullptr, 0,
        last ? crypto_secretstream_xchacha20poly1305_TAG_FINAL : 0);
    if (!out.Write(std::string_view(reinterpret_cast<char*>(cipher.data()), clen))) return 6;
    if (last) break;
  }
  sodium_memzero(plain.data(), plain.size());
  return out.Commit() ? 0 : 7;
}

// Decrypts the file in, handing each checked chunk to sink; non-zero on any failure.
template <typename Sink>
int Unseal(const unsigned char* key, std::FILE* in, Sink sink) {
  char magic[sizeof kMagic];
  unsigned char header[crypto_secretstream_xchacha20poly1305_HEADERBYTES];
  if (std::fread(magic, 1, sizeof magic, in) != sizeof magic ||
      std::memcmp(magic, kMagic, sizeof magic) != 0 ||
      std::fread(header, 1, sizeof header, in) != sizeof header) {
    return 8;
  }
  crypto_secretstream_xchacha20poly1305_state st;
  if (crypto_secretstream_xchacha20poly1305_init_pull(&st, header, key) != 0) return 8;
  std::vector<unsigned char> cipher(kSealed);
  std::vector<unsigned char> plain(kChunk);
  for (;;) {
    const size_t n = std::fread(cipher.data(), 1, cipher.size(), in);
    if (std::ferror(in)) return 5;
    unsigned long long plen = 0;
    unsigned char tag = 0;
    if (crypto_secretstream_xchacha20poly1305_pull(&st, plain.data(), &plen, &tag, cipher.data(), n,
                                                   nullptr, 0) != 0) {
      return 9;  // wrong key, damaged or truncated
    }
    if (!sink(std::string_view(reinterpret_cast<char*>(plain.data()), plen))) return 6;
    if (tag == crypto_secretstream_xchacha20poly1305_TAG_FINAL) {
      unsigned char extra;
      if (std::fread(&extra, 1, 1, in) != 0) return 10;  // data after the end
      break;
    }
    if (n < cipher.size()) return 11;  // ended without the final chunk
  }
  sodium_memzero(plain.data(), plain.size());
  return 0;
}

class SodiumFileCrypto : public FileCrypto {
 public:
  explicit SodiumFileCrypto(std::filesystem::path key_file) : key_file_(std::move(key_file)) {}

  int EncryptFile(const char* source, const char* dest, const char*) override {
    if (sodium_init() < 0) return 1;
    unsigned char key[kKeyBytes];
    if (!LoadOrCreateKey(key_file_, key)) return 2;
    File in = OpenRead(source);
    AtomicFileWriter out;
    const int rc = !in               ? 3
                   : !out.Open(dest) ? 4
                                     : Seal(
                                           key,
                                           [&](unsigned char* buf, bool& last) {
                                             const size_t n = std::fread(buf, 1, kChunk, in.get());
                                             if (std::ferror(in.get())) return -1L;
                                             last = std::feof(in.get()) != 0;
                                             return static_cast<long>(n);
                                           },
                                           out);
    sodium_memzero(key, sizeof key);
    return rc;
  }

  bool EncryptToFile(std::string_view plain, const std::filesystem::path& dest) override {
    if (sodium_init() < 0) return false;
    unsigned char key[kKeyBytes];
    if (!LoadOrCreateKey(key_file_, key)) return false;
    AtomicFileWriter out;
    size_t at = 0;
    const int rc = !out.Open(dest) ? 4
                                   : Seal(
                                         key,
                                         [&](unsigned char* buf, bool& last) {
                                           const size_t n = std::min(kChunk, plain.size() - at);
                                           std::memcpy(buf, plain.data() + at, n);
                                           at += n;
                                           last = at == plain.size();
                                           return static_cast<long>(n);
                                         },
                                         out);
    sodium_memzero(key, sizeof key);
    return rc == 0;
  }

  int DecryptFile(const char* source, const char* dest, const char*) override {
    if (sodium_init() < 0) return 1;
    unsigned char key[kKeyBytes];
    if (!ReadKey(key_file_, key)) return 2;
    File in = OpenRead(source);
    AtomicFileWriter out;  // the plain file appears only when the whole file checked out
    int rc = !in ? 3
             : !out.Open(dest)
                 ? 4
                 : Unseal(key, in.get(), [&](std::string_view chunk) { return out.Write(chunk); });
    sodium_memzero(key, sizeof key);
    if (rc == 0 && !out.Commit()) rc = 7;
    return rc;
  }

  bool DecryptToMemory(const std::filesystem::path& source, std::string& plain) override {
    plain.clear();
    if (sodium_init() < 0) return false;
    unsigned char key[kKeyBytes];
    if (!ReadKey(key_file_, key)) return false;
    File in = OpenRead(source.c_str());
    std::error_code ec;
    const auto size = std::filesystem::file_size(source, ec);
    if (!ec) plain.reserve(static_cast<size_t>(size));
    const int rc = !in ? 3 : Unseal(key, in.get(), [&](std::string_view chunk) {
      plain.append(chunk);
      return true;
    });
    sodium_memzero(key, sizeof key);
    if (rc != 0) {
      sodium_memzero(plain.data(), plain.size());
      plain.clear();
    }
    return rc == 0;
  }

 private:
  std::filesystem::path key_file_;
};

}  // namespace

std::unique_ptr<FileCrypto> MakeSodiumFileCrypto(std::filesystem::path key_file) {
  return std::make_unique<SodiumFileCrypto>(std::move(key_file));
}

}  // namespace sorami
