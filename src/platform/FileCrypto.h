// The file-encryption library that keeps the master file encrypted on disk.
//
// The file calls take (source path, destination path, a third text that is accepted and not
// needed) and return 0 on success. Every destination is created or replaced whole, through a
// temporary file beside it; on any failure (missing source, wrong key, damaged or truncated
// file) the call fails and no partial destination is left behind. The source is never
// changed. The memory calls let the store be written and read encrypted without its plain
// text ever touching the disk.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace sorami {

class FileCrypto {
 public:
  virtual ~FileCrypto() = default;
  virtual int EncryptFile(const char* source, const char* dest, const char* dir) = 0;
  virtual int DecryptFile(const char* source, const char* dest, const char* dir) = 0;
  // Encrypts the bytes into dest; true on success.
  virtual bool EncryptToFile(std::string_view plain, const std::filesystem::path& dest) = 0;
  // Decrypts source into plain; false on any failure (plain is then empty).
  virtual bool DecryptToMemory(const std::filesystem::path& source, std::string& plain) = 0;
};

// XChaCha20-Poly1305 secret stream (libsodium) under a 32-byte key kept in key_file; the key
// is created on first use with file mode 0600 and never replaced.
std::unique_ptr<FileCrypto> MakeSodiumFileCrypto(std::filesystem::path key_file);

}  // namespace sorami
