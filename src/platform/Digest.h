// Message digests.
#pragma once

#include <string>
#include <string_view>

namespace sorami {

// SHA-256 of the bytes as 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::string_view bytes);

// A fast 16-byte check sum (BLAKE2b) as raw bytes, to tell bytes damaged or cut short on
// disk from the bytes written.
std::string CheckSum128(std::string_view bytes);

}  // namespace sorami
