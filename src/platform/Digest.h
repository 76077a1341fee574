// Message digests.
#pragma once

#include <string>
#include <string_view>

namespace sorami {

// SHA-256 of the bytes as 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::string_view bytes);

}  // namespace sorami
