// The file-encryption library that keeps the master file encrypted on disk.
//
// Both calls take (source path, destination path, a third text that is accepted and not
// needed) and return 0 on success. The destination is created or replaced whole; on any
// failure (missing source, wrong key, damaged or truncated file) the result is non-zero and
// no partial destination is left behind. The source is never changed.
#pragma once

#include <filesystem>
#include <memory>

namespace sorami {

class FileCrypto {
 public:
  virtual ~FileCrypto() = default;
  virtual int EncryptFile(const char* source, const char* dest, const char* dir) = 0;
  virtual int DecryptFile(const char* source, const char* dest, const char* dir) = 0;
};

// XChaCha20-Poly1305 secret stream (libsodium) under a 32-byte key kept in key_file; the key
// is created on first use with file mode 0600 and never replaced.
std::unique_ptr<FileCrypto> MakeSodiumFileCrypto(std::filesystem::path key_file);

}  // namespace sorami
