#include <cstdint>
#include <string>
#include <string_view>

#include "mail/imap/ImapClient.h"
#include "platform/Codepage.h"

namespace sorami {

std::string ImapFolderName(std::string_view cp932) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+,";
  const std::u16string text = Cp932ToUtf16(cp932);
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const char16_t c = text[i];
    if (c >= 0x20 && c <= 0x7e) {
      out += c == u'&' ? std::string("&-") : std::string(1, static_cast<char>(c));
      ++i;
      continue;
    }
    // A run of other characters: their UTF-16 bytes in base64, ',' for '/', no padding.
    std::string bytes;
    for (; i < text.size() && (text[i] < 0x20 || text[i] > 0x7e); ++i) {
      bytes += static_cast<char>(text[i] >> 8);
      bytes += static_cast<char>(text[i] & 0xff);
    }
    out += '&';
    uint32_t bits = 0;
    int held = 0;
    for (const char b : bytes) {
      bits = (bits << 8) | static_cast<unsigned char>(b);
      held += 8;
      while (held >= 6) {
        held -= 6;
        out += kDigits[(bits >> held) & 0x3f];
      }
    }
    if (held > 0) out += kDigits[(bits << (6 - held)) & 0x3f];
    out += '-';
  }
  return out;
}

std::string UidSet(const std::vector<uint32_t>& uids) {
  std::string out;
  for (size_t i = 0; i < uids.size();) {
    size_t j = i;
    while (j + 1 < uids.size() && uids[j + 1] == uids[j] + 1) ++j;
    if (!out.empty()) out += ',';
    out += std::to_string(uids[i]);
    if (j > i) out += ':' + std::to_string(uids[j]);
    i = j + 1;
  }
  return out;
}

}  // namespace sorami
