// The file-encryption library that keeps the master file encrypted on disk.
//
// The file calls take (source path, destination path, a third text that is accepted and not
// needed) and return 0 on success. Every destination is created or replaced whole, through a
// temporary file beside it; on any failure (missing source, wrong key, damaged or truncated
// file) the call fails and no partial destination is left behind. The source is never
// changed. The streaming calls let the store be written and read encrypted without its plain
// text ever touching the disk, or being held whole in memory.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace sorami {

// An encrypted file being written: plain bytes go in as they come and leave encrypted, a
// chunk at a time. Nothing replaces the destination before Commit; a writer dropped without
// Commit leaves the old file as it was.
class EncryptedWriter {
 public:
  virtual ~EncryptedWriter() = default;
  // False once any write failed.
  virtual bool Write(std::string_view plain) = 0;
  // Ends the file and puts it in place; false (old file untouched) on any failure.
  virtual bool Commit() = 0;
};

// Takes the plain bytes of a decrypted file a checked chunk at a time; false stops.
using PlainSink = std::function<bool(std::string_view chunk)>;

class FileCrypto {
 public:
  virtual ~FileCrypto() = default;
  virtual int EncryptFile(const char* source, const char* dest, const char* dir) = 0;
  virtual int DecryptFile(const char* source, const char* dest, const char* dir) = 0;
  // Opens dest for writing encrypted; null when the key or the file cannot be had.
  virtual std::unique_ptr<EncryptedWriter> OpenEncrypted(const std::filesystem::path& dest) = 0;
  // Decrypts source, handing each chunk to sink once it checked out; false on any failure
  // (wrong key, damaged or truncated file, the sink refusing), also after chunks were handed
  // on: what the sink built from them is then to be dropped.
  virtual bool DecryptToSink(const std::filesystem::path& source, const PlainSink& sink) = 0;
  // Seals bytes in memory with the same key, bound to `bound` (a name the sealed bytes belong
  // to, which opening must give again); false when the key cannot be had.
  virtual bool SealBytes(std::string_view plain, std::string_view bound, std::string& sealed) = 0;
  // Opens what SealBytes made; false (plain left empty) on a wrong key or bound, or damage.
  virtual bool OpenBytes(std::string_view sealed, std::string_view bound, std::string& plain) = 0;
};

// XChaCha20-Poly1305 secret stream (libsodium) under a 32-byte key kept in key_file; the key
// is created on first use with file mode 0600 and never replaced.
std::unique_ptr<FileCrypto> MakeSodiumFileCrypto(std::filesystem::path key_file);

}  // namespace sorami
