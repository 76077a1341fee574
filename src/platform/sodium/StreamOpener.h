// Opens the chunks of a libsodium secret stream (XChaCha20-Poly1305) with the vectorised
// ChaCha20 and Poly1305 of the system's libcrypto when it can be loaded (several times the
// speed of libsodium's on this hardware: an encrypted store opens nearly as fast as a plain
// one), else with libsodium itself. The bytes, the checks and the state after each chunk are
// libsodium's exactly, so the two are interchangeable chunk by chunk.
#pragma once

#include <sodium.h>

#include <cstddef>

namespace sorami {

class StreamOpener {
 public:
  // fast: use libcrypto when it loads (tests compare both ways).
  explicit StreamOpener(bool fast = true);
  ~StreamOpener();
  StreamOpener(const StreamOpener&) = delete;
  StreamOpener& operator=(const StreamOpener&) = delete;

  // As crypto_secretstream_xchacha20poly1305_pull without additional data: 0 with the plain
  // text in m (room for clen - ABYTES bytes), its length and the tag; -1 when the chunk is
  // short, damaged or not this stream's, and then st is unchanged.
  int Pull(crypto_secretstream_xchacha20poly1305_state& st, unsigned char* m, size_t& mlen,
           unsigned char& tag, const unsigned char* c, size_t clen);

  // Whether libcrypto is in use.
  bool Fast() const { return cipher_ctx_ != nullptr; }

 private:
  void* cipher_ctx_ = nullptr;  // EVP_CIPHER_CTX
  void* cipher_ = nullptr;      // EVP_CIPHER, ChaCha20
  void* mac_ctx_ = nullptr;     // EVP_MAC_CTX, Poly1305
};

}  // namespace sorami
