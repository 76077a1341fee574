#include "Password.h"

#include <sodium.h>

#include <array>
#include <mutex>
#include <set>
#include <stdexcept>

namespace sorami::site {
namespace {

using Digest = std::array<unsigned char, crypto_generichash_BYTES>;

class VerifiedCache {
 public:
  VerifiedCache() { crypto_generichash_keygen(key_.data()); }

  Digest Of(const std::string& hash, std::string_view password) const {
    crypto_generichash_state st;
    crypto_generichash_init(&st, key_.data(), key_.size(), crypto_generichash_BYTES);
    crypto_generichash_update(&st, reinterpret_cast<const unsigned char*>(hash.data()),
                              hash.size() + 1);  // with its NUL, as a separator
    crypto_generichash_update(&st, reinterpret_cast<const unsigned char*>(password.data()),
                              password.size());
    Digest d;
    crypto_generichash_final(&st, d.data(), d.size());
    return d;
  }
  bool Contains(const Digest& d) {
    std::lock_guard lock(mutex_);
    return known_.count(d) != 0;
  }
  void Add(const Digest& d) {
    std::lock_guard lock(mutex_);
    if (known_.size() >= 4096) known_.clear();
    known_.insert(d);
  }

 private:
  std::array<unsigned char, crypto_generichash_KEYBYTES> key_;
  std::mutex mutex_;
  std::set<Digest> known_;
};

VerifiedCache& Cache() {
  if (sodium_init() < 0) throw std::runtime_error("libsodium cannot start");
  static VerifiedCache cache;
  return cache;
}

}  // namespace

std::string HashPassword(std::string_view password) {
  if (sodium_init() < 0) throw std::runtime_error("libsodium cannot start");
  char out[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str(out, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                        crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
    throw std::runtime_error("out of memory while hashing a password");
  }
  return out;
}

bool VerifyPassword(const std::string& hash, std::string_view password) {
  VerifiedCache& cache = Cache();
  Digest d = cache.Of(hash, password);
  if (cache.Contains(d)) return true;
  if (crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) != 0) return false;
  cache.Add(d);
  return true;
}

}  // namespace sorami::site
