#include "platform/sodium/StreamOpener.h"

#include <dlfcn.h>
#include <openssl/evp.h>

#include <cstdint>
#include <cstring>

namespace sorami {

namespace {

// The libcrypto calls used here, looked up once; the library is loaded only by a program that
// opens an encrypted file, and never linked, so no other command pays for loading it.
struct Crypto {
  decltype(&::EVP_CIPHER_fetch) cipher_fetch = nullptr;
  decltype(&::EVP_CIPHER_free) cipher_free = nullptr;
  decltype(&::EVP_CIPHER_CTX_new) cipher_ctx_new = nullptr;
  decltype(&::EVP_CIPHER_CTX_free) cipher_ctx_free = nullptr;
  decltype(&::EVP_EncryptInit_ex2) encrypt_init = nullptr;
  decltype(&::EVP_EncryptUpdate) encrypt_update = nullptr;
  decltype(&::EVP_MAC_fetch) mac_fetch = nullptr;
  decltype(&::EVP_MAC_free) mac_free = nullptr;
  decltype(&::EVP_MAC_CTX_new) mac_ctx_new = nullptr;
  decltype(&::EVP_MAC_CTX_free) mac_ctx_free = nullptr;
  decltype(&::EVP_MAC_init) mac_init = nullptr;
  decltype(&::EVP_MAC_update) mac_update = nullptr;
  decltype(&::EVP_MAC_final) mac_final = nullptr;
  bool loaded = false;
};

template <typename F>
bool Find(void* lib, const char* name, F& f) {
  f = reinterpret_cast<F>(::dlsym(lib, name));
  return f != nullptr;
}

const Crypto& LibCrypto() {
  static const Crypto crypto = [] {
    Crypto c;
    void* lib = ::dlopen("libcrypto.so.3", RTLD_NOW | RTLD_LOCAL);
    if (lib == nullptr) return c;
    c.loaded = Find(lib, "EVP_CIPHER_fetch", c.cipher_fetch) &&
               Find(lib, "EVP_CIPHER_free", c.cipher_free) &&
               Find(lib, "EVP_CIPHER_CTX_new", c.cipher_ctx_new) &&
               Find(lib, "EVP_CIPHER_CTX_free", c.cipher_ctx_free) &&
               Find(lib, "EVP_EncryptInit_ex2", c.encrypt_init) &&
               Find(lib, "EVP_EncryptUpdate", c.encrypt_update) &&
               Find(lib, "EVP_MAC_fetch", c.mac_fetch) && Find(lib, "EVP_MAC_free", c.mac_free) &&
               Find(lib, "EVP_MAC_CTX_new", c.mac_ctx_new) &&
               Find(lib, "EVP_MAC_CTX_free", c.mac_ctx_free) &&
               Find(lib, "EVP_MAC_init", c.mac_init) && Find(lib, "EVP_MAC_update", c.mac_update) &&
               Find(lib, "EVP_MAC_final", c.mac_final);
    return c;
  }();
  return crypto;
}

constexpr size_t kABytes = crypto_secretstream_xchacha20poly1305_ABYTES;  // tag byte + MAC
constexpr size_t kMacBytes = 16;
constexpr size_t kCounterBytes = 4;
constexpr size_t kInonceBytes = 8;

void PutLe64(unsigned char* out, unsigned long long v) {
  for (int i = 0; i < 8; ++i) out[i] = static_cast<unsigned char>(v >> (8 * i));
}

}  // namespace

StreamOpener::StreamOpener(bool fast) {
  const Crypto& c = LibCrypto();
  if (!fast || !c.loaded) return;
  auto* cipher = c.cipher_fetch(nullptr, "ChaCha20", nullptr);
  auto* mac = c.mac_fetch(nullptr, "POLY1305", nullptr);
  auto* cipher_ctx = cipher != nullptr ? c.cipher_ctx_new() : nullptr;
  auto* mac_ctx = mac != nullptr ? c.mac_ctx_new(mac) : nullptr;
  if (mac != nullptr) c.mac_free(mac);  // the context keeps its own reference
  if (cipher_ctx == nullptr || mac_ctx == nullptr) {
    if (cipher != nullptr) c.cipher_free(cipher);
    if (cipher_ctx != nullptr) c.cipher_ctx_free(cipher_ctx);
    if (mac_ctx != nullptr) c.mac_ctx_free(mac_ctx);
    return;
  }
  cipher_ = cipher;
  cipher_ctx_ = cipher_ctx;
  mac_ctx_ = mac_ctx;
}

StreamOpener::~StreamOpener() {
  if (cipher_ctx_ == nullptr) return;
  const Crypto& c = LibCrypto();
  c.cipher_ctx_free(static_cast<EVP_CIPHER_CTX*>(cipher_ctx_));
  c.cipher_free(static_cast<EVP_CIPHER*>(cipher_));
  c.mac_ctx_free(static_cast<EVP_MAC_CTX*>(mac_ctx_));
}

// The chunk layout: the tag byte encrypted with the first byte of key-stream block 1, the
// message encrypted from block 2 on, then a Poly1305 MAC keyed by block 0 over block 1 (its
// first byte replaced by the encrypted tag), the cipher text, padding and both lengths. After
// the chunk the nonce's inner part takes the MAC in, its counter goes up by one, and the key
// is renewed when the tag asks for it or the counter wrapped.
int StreamOpener::Pull(crypto_secretstream_xchacha20poly1305_state& st, unsigned char* m,
                       size_t& mlen, unsigned char& tag, const unsigned char* c, size_t clen) {
  if (!Fast()) {
    unsigned long long n = 0;
    const int rc =
        crypto_secretstream_xchacha20poly1305_pull(&st, m, &n, &tag, c, clen, nullptr, 0);
    mlen = static_cast<size_t>(n);
    return rc;
  }
  if (clen < kABytes || clen - kABytes > static_cast<size_t>(INT32_MAX)) return -1;
  const size_t n = clen - kABytes;
  const Crypto& lib = LibCrypto();
  auto* cctx = static_cast<EVP_CIPHER_CTX*>(cipher_ctx_);
  auto* mctx = static_cast<EVP_MAC_CTX*>(mac_ctx_);
  // OpenSSL's ChaCha20 IV: the 32-bit block counter (little-endian), then the 96-bit nonce.
  unsigned char iv[16] = {};
  std::memcpy(iv + 4, st.nonce, sizeof st.nonce);
  unsigned char blocks[128] = {};  // key-stream blocks 0 and 1
  int out_len = 0;
  if (lib.encrypt_init(cctx, static_cast<EVP_CIPHER*>(cipher_), st.k, iv, nullptr) != 1 ||
      lib.encrypt_update(cctx, blocks, &out_len, blocks, sizeof blocks) != 1) {
    return -1;
  }
  unsigned char* block = blocks + 64;
  const unsigned char plain_tag = static_cast<unsigned char>(block[0] ^ c[0]);
  block[0] = c[0];
  static const unsigned char kZeros[16] = {};
  unsigned char lengths[16];
  PutLe64(lengths, 0);  // no additional data
  PutLe64(lengths + 8, 64 + n);
  unsigned char mac[kMacBytes];
  size_t mac_len = 0;
  const bool maced = lib.mac_init(mctx, blocks, 32, nullptr) == 1 &&
                     lib.mac_update(mctx, block, 64) == 1 && lib.mac_update(mctx, c + 1, n) == 1 &&
                     lib.mac_update(mctx, kZeros, (0x10 - 64 + n) & 0xf) == 1 &&
                     lib.mac_update(mctx, lengths, sizeof lengths) == 1 &&
                     lib.mac_final(mctx, mac, &mac_len, sizeof mac) == 1;
  sodium_memzero(blocks, sizeof blocks);
  if (!maced || mac_len != kMacBytes || sodium_memcmp(mac, c + 1 + n, kMacBytes) != 0) {
    return -1;
  }
  // The message from block 2 on: the stream above is there already.
  if (n > 0 && (lib.encrypt_update(cctx, m, &out_len, c + 1, static_cast<int>(n)) != 1 ||
                static_cast<size_t>(out_len) != n)) {
    return -1;
  }
  for (size_t i = 0; i < kInonceBytes; ++i) st.nonce[kCounterBytes + i] ^= mac[i];
  sodium_increment(st.nonce, kCounterBytes);
  if ((plain_tag & crypto_secretstream_xchacha20poly1305_TAG_REKEY) != 0 ||
      sodium_is_zero(st.nonce, kCounterBytes)) {
    crypto_secretstream_xchacha20poly1305_rekey(&st);
  }
  mlen = n;
  tag = plain_tag;
  return 0;
}

}  // namespace sorami
