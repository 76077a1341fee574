#include "platform/Digest.h"

#include <sodium.h>

namespace sorami {

std::string Sha256Hex(std::string_view bytes) {
  unsigned char hash[crypto_hash_sha256_BYTES];
  crypto_hash_sha256(hash, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(2 * sizeof hash);
  for (unsigned char b : hash) {
    out += kHex[b >> 4];
    out += kHex[b & 0x0F];
  }
  return out;
}

std::string CheckSum128(std::string_view bytes) {
  std::string out(16, '\0');
  crypto_generichash(reinterpret_cast<unsigned char*>(out.data()), out.size(),
                     reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), nullptr,
                     0);
  return out;
}

}  // namespace sorami
