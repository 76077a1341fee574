// Member passwords: stored only as libsodium password hashes (Argon2id). Verifying a hash is
// deliberately slow, so a verified (hash, password) pair is remembered for the life of the
// process as a keyed digest, never as the password itself.
#pragma once

#include <string>
#include <string_view>

namespace sorami::site {

std::string HashPassword(std::string_view password);
bool VerifyPassword(const std::string& hash, std::string_view password);

}  // namespace sorami::site
