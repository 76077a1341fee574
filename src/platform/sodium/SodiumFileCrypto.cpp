#include <fcntl.h>
#include <sodium.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/FileCrypto.h"
#include "platform/sodium/StreamOpener.h"

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

// Encrypts the plain bytes written to it into the file's layout: every chunk holds kChunk
// plain bytes but the last, which carries the FINAL tag (a full last chunk is held back until
// the end is known, so no empty chunk follows it; an empty file is one empty FINAL chunk).
class Sealer : public EncryptedWriter {
 public:
  Sealer() : plain_(kChunk), cipher_(kSealed) {}
  ~Sealer() override {
    sodium_memzero(plain_.data(), plain_.size());
    sodium_memzero(&st_, sizeof st_);
  }
  Sealer(const Sealer&) = delete;
  Sealer& operator=(const Sealer&) = delete;

  bool Open(const unsigned char* key, const std::filesystem::path& dest) {
    // The sealed chunks go out whole, one write each: no stream buffer beside them.
    if (!out_.Open(dest, 0)) return false;
    unsigned char header[crypto_secretstream_xchacha20poly1305_HEADERBYTES];
    crypto_secretstream_xchacha20poly1305_init_push(&st_, header, key);
    return out_.Write(std::string_view(kMagic, sizeof kMagic)) &&
           out_.Write(std::string_view(reinterpret_cast<char*>(header), sizeof header));
  }

  bool Write(std::string_view plain) override {
    while (!plain.empty() && !failed_) {
      if (fill_ == kChunk) Push(false);  // more follows: the full chunk is not the last
      const size_t n = std::min(kChunk - fill_, plain.size());
      std::memcpy(plain_.data() + fill_, plain.data(), n);
      fill_ += n;
      plain.remove_prefix(n);
    }
    return !failed_;
  }

  bool Commit() override {
    if (!failed_) Push(true);
    return out_.Commit();  // after a failed write: false, errno telling why
  }

 private:
  void Push(bool last) {
    unsigned long long clen = 0;
    crypto_secretstream_xchacha20poly1305_push(
        &st_, cipher_.data(), &clen, plain_.data(), fill_, nullptr, 0,
        last ? crypto_secretstream_xchacha20poly1305_TAG_FINAL : 0);
    fill_ = 0;
    if (!out_.Write(std::string_view(reinterpret_cast<char*>(cipher_.data()), clen))) {
      failed_ = true;
    }
  }

  crypto_secretstream_xchacha20poly1305_state st_{};
  std::vector<unsigned char> plain_;
  std::vector<unsigned char> cipher_;
  size_t fill_ = 0;
  bool failed_ = false;
  AtomicFileWriter out_;
};

// The reading side of the file layout: checks its head, then opens one chunk at a time.
class Unsealer {
 public:
  explicit Unsealer(std::FILE* in) : in_(in), cipher_(kSealed) {}
  ~Unsealer() { sodium_memzero(&st_, sizeof st_); }
  Unsealer(const Unsealer&) = delete;
  Unsealer& operator=(const Unsealer&) = delete;

  // 0 when the file starts as ours and the key fits its header.
  int Start(const unsigned char* key) {
    char magic[sizeof kMagic];
    unsigned char header[crypto_secretstream_xchacha20poly1305_HEADERBYTES];
    if (std::fread(magic, 1, sizeof magic, in_) != sizeof magic ||
        std::memcmp(magic, kMagic, sizeof magic) != 0 ||
        std::fread(header, 1, sizeof header, in_) != sizeof header ||
        crypto_secretstream_xchacha20poly1305_init_pull(&st_, header, key) != 0) {
      return 8;
    }
    return 0;
  }

  // Opens the next chunk into out (room for kChunk bytes), its length into len; 0, or why not.
  // done() once the last chunk is open.
  int Next(unsigned char* out, size_t& len) {
    const size_t n = std::fread(cipher_.data(), 1, cipher_.size(), in_);
    if (std::ferror(in_)) return 5;
    unsigned char tag = 0;
    if (opener_.Pull(st_, out, len, tag, cipher_.data(), n) != 0) {
      return 9;  // wrong key, damaged or truncated
    }
    if (tag == crypto_secretstream_xchacha20poly1305_TAG_FINAL) {
      unsigned char extra;
      if (std::fread(&extra, 1, 1, in_) != 0) return 10;  // data after the end
      done_ = true;
      return 0;
    }
    return n < cipher_.size() ? 11 : 0;  // 11: ended without the final chunk
  }
  bool done() const { return done_; }

 private:
  std::FILE* in_;
  crypto_secretstream_xchacha20poly1305_state st_{};
  StreamOpener opener_;
  std::vector<unsigned char> cipher_;
  bool done_ = false;
};

// Decrypts the file in, handing each checked chunk to sink; non-zero on any failure. The file
// is read and decrypted on a thread of its own, in batches of chunks a few batches ahead,
// while sink takes the chunks before on the caller's thread: a large store is parsed as fast
// as it is decrypted, with a small, fixed room in between.
int Unseal(const unsigned char* key, std::FILE* in, const PlainSink& sink) {
  Unsealer unsealer(in);
  if (const int rc = unsealer.Start(key)) return rc;
  constexpr size_t kSlots = 3;
  constexpr size_t kPerBatch = 2;  // chunks
  struct Batch {
    std::vector<unsigned char> bytes = std::vector<unsigned char>(kPerBatch * kChunk);
    std::array<size_t, kPerBatch> lengths{};  // of its chunks, one after another in bytes
    size_t chunks = 0;
  };
  std::array<Batch, kSlots> ring;
  std::mutex m;
  std::condition_variable cv;
  size_t made = 0;   // batches ready, written by the decrypting thread only
  size_t taken = 0;  // batches the sink took, written by the caller's thread only
  bool finished = false;
  bool stop = false;
  int decrypt_rc = 0;
  std::thread decrypting([&] {
    int rc = 0;
    while (rc == 0 && !unsealer.done()) {
      {
        std::unique_lock lock(m);
        cv.wait(lock, [&] { return stop || made - taken < kSlots; });
        if (stop) break;
      }
      Batch& b = ring[made % kSlots];  // not the sink's: it takes only batches before made
      b.chunks = 0;
      for (size_t at = 0; b.chunks < kPerBatch && rc == 0 && !unsealer.done(); ++b.chunks) {
        rc = unsealer.Next(b.bytes.data() + at, b.lengths[b.chunks]);
        if (rc != 0) break;
        at += b.lengths[b.chunks];
      }
      std::lock_guard lock(m);
      if (b.chunks > 0) ++made;  // the chunks before a failure checked out: they go on
      cv.notify_all();
    }
    std::lock_guard lock(m);
    decrypt_rc = rc;
    finished = true;
    cv.notify_all();
  });
  auto halt = [&] {
    {
      std::lock_guard lock(m);
      stop = true;
    }
    cv.notify_all();
    decrypting.join();
  };
  int rc = 0;
  try {
    for (;;) {
      std::unique_lock lock(m);
      cv.wait(lock, [&] { return taken < made || finished; });
      if (taken == made) break;  // all decrypted and taken
      const Batch& b = ring[taken % kSlots];
      lock.unlock();
      bool more = true;
      const char* at = reinterpret_cast<const char*>(b.bytes.data());
      for (size_t k = 0; k < b.chunks && more; at += b.lengths[k++]) {
        more = sink(std::string_view(at, b.lengths[k]));
      }
      lock.lock();
      ++taken;
      cv.notify_all();
      if (!more) {
        rc = 6;
        break;
      }
    }
  } catch (...) {
    halt();
    throw;
  }
  halt();
  for (Batch& b : ring) sodium_memzero(b.bytes.data(), b.bytes.size());
  return rc != 0 ? rc : decrypt_rc;
}

class SodiumFileCrypto : public FileCrypto {
 public:
  explicit SodiumFileCrypto(std::filesystem::path key_file) : key_file_(std::move(key_file)) {}
  ~SodiumFileCrypto() override {
    if (cached_key_ != nullptr) sodium_free(cached_key_);
  }
  SodiumFileCrypto(const SodiumFileCrypto&) = delete;
  SodiumFileCrypto& operator=(const SodiumFileCrypto&) = delete;

  int EncryptFile(const char* source, const char* dest, const char*) override {
    File in = OpenRead(source);
    if (!in) return 3;
    std::unique_ptr<EncryptedWriter> out = OpenEncrypted(dest);
    if (!out) return 4;
    std::vector<char> buf(kChunk);
    for (;;) {
      const size_t n = std::fread(buf.data(), 1, buf.size(), in.get());
      if (std::ferror(in.get())) return 5;
      if (!out->Write(std::string_view(buf.data(), n))) return 6;
      if (n < buf.size()) break;
    }
    sodium_memzero(buf.data(), buf.size());
    return out->Commit() ? 0 : 7;
  }

  std::unique_ptr<EncryptedWriter> OpenEncrypted(const std::filesystem::path& dest) override {
    if (sodium_init() < 0) return nullptr;
    unsigned char key[kKeyBytes];
    if (!LoadOrCreateKey(key_file_, key)) return nullptr;
    auto sealer = std::make_unique<Sealer>();
    const bool opened = sealer->Open(key, dest);
    sodium_memzero(key, sizeof key);
    if (!opened) return nullptr;
    return sealer;
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

  bool DecryptToSink(const std::filesystem::path& source, const PlainSink& sink) override {
    if (sodium_init() < 0) return false;
    unsigned char key[kKeyBytes];
    if (!ReadKey(key_file_, key)) return false;
    File in = OpenRead(source.c_str());
    const int rc = !in ? 3 : Unseal(key, in.get(), sink);
    sodium_memzero(key, sizeof key);
    return rc == 0;
  }

  // Layout: a random nonce, then the cipher text with its tag; bound is the associated data.
  bool SealBytes(std::string_view plain, std::string_view bound, std::string& sealed) override {
    sealed.clear();
    const unsigned char* key = Key(true);
    if (key == nullptr) return false;
    constexpr size_t kNonce = crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;
    sealed.resize(kNonce + plain.size() + crypto_aead_xchacha20poly1305_ietf_ABYTES);
    auto* out = reinterpret_cast<unsigned char*>(sealed.data());
    randombytes_buf(out, kNonce);
    unsigned long long clen = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(
        out + kNonce, &clen, reinterpret_cast<const unsigned char*>(plain.data()), plain.size(),
        reinterpret_cast<const unsigned char*>(bound.data()), bound.size(), nullptr, out, key);
    sealed.resize(kNonce + clen);
    return true;
  }

  bool OpenBytes(std::string_view sealed, std::string_view bound, std::string& plain) override {
    plain.clear();
    constexpr size_t kNonce = crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;
    constexpr size_t kTag = crypto_aead_xchacha20poly1305_ietf_ABYTES;
    const unsigned char* key = Key(false);
    if (key == nullptr || sealed.size() < kNonce + kTag) return false;
    const auto* in = reinterpret_cast<const unsigned char*>(sealed.data());
    std::string out(sealed.size() - kNonce - kTag, '\0');
    unsigned long long plen = 0;
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(
            reinterpret_cast<unsigned char*>(out.data()), &plen, nullptr, in + kNonce,
            sealed.size() - kNonce, reinterpret_cast<const unsigned char*>(bound.data()),
            bound.size(), in, key) != 0) {
      return false;
    }
    out.resize(plen);
    plain = std::move(out);
    return true;
  }

 private:
  // The key for the in-memory calls, read once (they come one per mail) and kept in guarded
  // memory; null when it cannot be had (create: make it when there is no key file yet).
  const unsigned char* Key(bool create) {
    if (cached_key_ != nullptr) return cached_key_;
    if (sodium_init() < 0) return nullptr;
    auto* key = static_cast<unsigned char*>(sodium_malloc(kKeyBytes));
    if (key == nullptr) return nullptr;
    if (!(create ? LoadOrCreateKey(key_file_, key) : ReadKey(key_file_, key))) {
      sodium_free(key);
      return nullptr;
    }
    cached_key_ = key;
    return cached_key_;
  }

  std::filesystem::path key_file_;
  unsigned char* cached_key_ = nullptr;
};

}  // namespace

std::unique_ptr<FileCrypto> MakeSodiumFileCrypto(std::filesystem::path key_file) {
  return std::make_unique<SodiumFileCrypto>(std::move(key_file));
}

}  // namespace sorami
