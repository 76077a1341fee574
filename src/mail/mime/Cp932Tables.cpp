#include "mail/mime/Cp932Tables.h"

#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Codepage.h"

namespace sorami::cp932 {

namespace {

bool IsLead(unsigned b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsTrail(unsigned b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

struct Tables {
  std::vector<uint16_t> canonical = std::vector<uint16_t>(0x10000, 0);
  std::unordered_map<uint16_t, uint16_t> jis_carrier;

  Tables() {
    // Decode every double-byte code in one pass: each code followed by a line feed, so a code
    // the code page does not define shows as something other than one character.
    std::string all;
    std::vector<uint16_t> codes;
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
      if (!IsLead(lead)) continue;
      for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
        if (!IsTrail(trail)) continue;
        all += static_cast<char>(lead);
        all += static_cast<char>(trail);
        all += '\n';
        codes.push_back(static_cast<uint16_t>(lead << 8 | trail));
      }
    }
    const std::u16string units = Cp932ToUtf16(all);
    std::vector<char16_t> of_code(codes.size(), 0);
    size_t k = 0, start = 0;
    for (size_t i = 0; i < units.size() && k < codes.size(); ++i) {
      if (units[i] != u'\n') continue;
      if (i - start == 1 && units[start] != 0xFFFD) of_code[k] = units[start];
      ++k;
      start = i + 1;
    }

    // The preferred code of each character: Windows' choice for the rows that hold
    // duplicates, the code itself elsewhere.
    std::u16string dup_units;
    std::vector<size_t> dup_index;
    for (size_t i = 0; i < codes.size(); ++i) {
      if (of_code[i] == 0) continue;
      const unsigned lead = codes[i] >> 8;
      canonical[codes[i]] = codes[i];
      if (lead == 0x87 || lead == 0xED || lead == 0xEE) {
        dup_units += of_code[i];
        dup_index.push_back(i);
      }
    }
    const std::string back = Utf16ToCp932(dup_units);
    if (back.size() == 2 * dup_units.size()) {
      for (size_t j = 0; j < dup_index.size(); ++j) {
        const uint16_t code = static_cast<uint16_t>(static_cast<unsigned char>(back[2 * j]) << 8 |
                                                    static_cast<unsigned char>(back[2 * j + 1]));
        if (code != kGetaSjis || codes[dup_index[j]] == kGetaSjis) {
          canonical[codes[dup_index[j]]] = code;
        }
      }
    }

    // Characters of the IBM rows that also stand in a row JIS can carry: the first such code
    // in the order JIS X 0208, NEC row 13, NEC-selected IBM rows.
    std::unordered_map<char16_t, uint16_t> jis_code_of;
    for (size_t i = 0; i < codes.size(); ++i) {
      const unsigned lead = codes[i] >> 8;
      if (of_code[i] == 0 || lead > 0xEE) continue;
      jis_code_of.emplace(of_code[i], codes[i]);
    }
    for (size_t i = 0; i < codes.size(); ++i) {
      const unsigned lead = codes[i] >> 8;
      if (of_code[i] == 0 || lead < 0xFA) continue;
      const auto it = jis_code_of.find(of_code[i]);
      if (it != jis_code_of.end()) jis_carrier.emplace(codes[i], it->second);
    }
  }
};

const Tables& TheTables() {
  static const Tables tables;
  return tables;
}

}  // namespace

uint16_t Canonical(uint16_t sjis) { return TheTables().canonical[sjis]; }

uint16_t JisCarrier(uint16_t sjis) {
  const auto& map = TheTables().jis_carrier;
  const auto it = map.find(sjis);
  return it == map.end() ? 0 : it->second;
}

}  // namespace sorami::cp932
