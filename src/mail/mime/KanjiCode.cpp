#include "mail/mime/KanjiCode.h"

#include <array>

#include "mail/mime/Cp932Tables.h"
#include "platform/Charset.h"
#include "platform/Codepage.h"

namespace sorami {

namespace {

constexpr std::string_view kToKanji = "\x1B$B";
constexpr std::string_view kToRoman = "\x1B(J";

// Low byte of the JIS X 0208 character of each half-width katakana 0xA1-0xDF; the high byte
// is 0x21 for the symbols (0xA1-0xA5, 0xB0, 0xDE, 0xDF) and 0x25 for the katakana.
constexpr std::array<uint8_t, 63> kKanaLow = {
    0x23, 0x56, 0x57, 0x22, 0x26, 0x72, 0x21, 0x23, 0x25, 0x27, 0x29, 0x63, 0x65, 0x67, 0x43, 0x3C,
    0x22, 0x24, 0x26, 0x28, 0x2A, 0x2B, 0x2D, 0x2F, 0x31, 0x33, 0x35, 0x37, 0x39, 0x3B, 0x3D, 0x3F,
    0x41, 0x44, 0x46, 0x48, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F, 0x52, 0x55, 0x58, 0x5B, 0x5E, 0x5F,
    0x60, 0x61, 0x62, 0x64, 0x66, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6F, 0x73, 0x2B, 0x2C};

inline bool IsKanaByte(unsigned char b) { return b >= 0xA1 && b <= 0xDF; }
inline bool IsSjisLead(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
inline bool IsSjisTrail(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }
inline bool IsJisByte(unsigned char b) { return b >= 0x21 && b <= 0x7E; }
inline bool IsEucByte(unsigned char b) { return b >= 0xA1 && b <= 0xFE; }

inline unsigned char At(std::string_view s, size_t i) {
  return i < s.size() ? static_cast<unsigned char>(s[i]) : 0;
}

inline void Put2(std::string& out, uint16_t code) {
  out += static_cast<char>(code >> 8);
  out += static_cast<char>(code & 0xFF);
}

// The Shift_JIS code Windows gives a JIS X 0208 pair (NEC and IBM rows included), or "〓"
// when code page 932 has no character there.
inline uint16_t JisToSjisCode(unsigned c1, unsigned c2) {
  const uint16_t code = cp932::Canonical(JisPairToSjis(c1, c2));
  return code != 0 ? code : cp932::kGetaSjis;
}

// The JIS pair of a Shift_JIS code: IBM rows through the same character in a row JIS
// carries, codes JIS cannot carry (user-defined and unmatched IBM) as "〓".
inline uint16_t SjisToJisCode(unsigned c1, unsigned c2) {
  if (c1 >= 0xF0) {
    const uint16_t carrier =
        c1 >= 0xFA ? cp932::JisCarrier(static_cast<uint16_t>(c1 << 8 | c2)) : 0;
    if (carrier == 0) return cp932::kGetaJis;
    c1 = carrier >> 8;
    c2 = carrier & 0xFF;
  }
  return SjisPairToJis(c1, c2);
}

// One JIS X 0212 character (given as its JIS pair) in code page 932, through Unicode: the
// few that code page 932 holds in its IBM rows come through, the rest become "〓".
std::string Jis0212ToSjis(unsigned c1, unsigned c2) {
  const char euc[3] = {static_cast<char>(0x8F), static_cast<char>(c1 | 0x80),
                       static_cast<char>(c2 | 0x80)};
  std::string utf8;
  if (!CharsetToUtf8(std::string_view(euc, 3), "EUC-JP-MS", utf8) || utf8.empty() ||
      utf8 == "\xEF\xBF\xBD") {
    return std::string(kGetaMark);
  }
  return Utf8ToCp932(utf8);
}

// Walks ISO-2022-JP text and hands each character to the sink by its set.
// The character sets an escape can select. JIS X 0213 shares the rows of JIS X 0208 but puts
// other characters where code page 932 has its NEC-selected IBM rows; those rows of it are
// read as unknown rather than as the wrong kanji.
enum class JisSet { kAscii, kKanji, kKanji0213, kKana, kX0212, kOther };

template <typename Sink>
void WalkJis(std::string_view s, Sink& sink) {
  JisSet set = JisSet::kAscii;
  bool shifted = false;  // SO ... SI: half-width katakana
  const size_t n = s.size();
  size_t i = 0;
  while (i < n) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    if (b == 0x1B && i + 2 < n) {
      const unsigned char b1 = At(s, i + 1), b2 = At(s, i + 2);
      if (b1 == '$') {
        if (b2 == '(' || b2 == ')') {
          const unsigned char f = At(s, i + 3);
          set = f == 'D'                 ? JisSet::kX0212
                : (f == 'O' || f == 'Q') ? JisSet::kKanji0213
                : (f == '@' || f == 'B') ? JisSet::kKanji
                                         : JisSet::kOther;
          i += 4;
        } else {
          set = (b2 == 'B' || b2 == '@') ? JisSet::kKanji : JisSet::kOther;
          i += 3;
        }
        continue;
      }
      if (b1 == '(') {
        set = b2 == 'I' ? JisSet::kKana : JisSet::kAscii;
        i += 3;
        continue;
      }
    }
    if (b == 0x0E) {
      shifted = true;
      ++i;
      continue;
    }
    if (b == 0x0F) {
      shifted = false;
      ++i;
      continue;
    }
    if ((shifted || set == JisSet::kKana) && b >= 0x21 && b <= 0x5F) {
      sink.Kana(static_cast<unsigned char>(b | 0x80));
      ++i;
      continue;
    }
    const bool two = set != JisSet::kAscii && set != JisSet::kKana;
    if (two && IsJisByte(b)) {
      const unsigned char b2 = At(s, i + 1);
      if (!IsJisByte(b2)) {  // a lone byte of a pair: the text was cut
        sink.Unknown();
        ++i;
        continue;
      }
      if (set == JisSet::kKanji || (set == JisSet::kKanji0213 && b < 0x75)) {
        sink.Kanji(b, b2);
      } else if (set == JisSet::kX0212) {
        sink.X0212(b, b2);
      } else {
        sink.Unknown();
      }
      i += 2;
      continue;
    }
    sink.Byte(static_cast<char>(b));  // single-byte text, and CR or LF in any mode
    ++i;
  }
}

struct JisToSjisSink {
  std::string& out;
  void Kana(unsigned char k) { out += static_cast<char>(k); }
  void Kanji(unsigned c1, unsigned c2) { Put2(out, JisToSjisCode(c1, c2)); }
  void X0212(unsigned c1, unsigned c2) { out += Jis0212ToSjis(c1, c2); }
  void Unknown() { Put2(out, cp932::kGetaSjis); }
  void Byte(char c) { out += c; }
};

struct JisToEucSink {
  std::string& out;
  void Kana(unsigned char k) {
    out += static_cast<char>(0x8E);
    out += static_cast<char>(k);
  }
  void Kanji(unsigned c1, unsigned c2) {
    out += static_cast<char>(c1 | 0x80);
    out += static_cast<char>(c2 | 0x80);
  }
  void X0212(unsigned c1, unsigned c2) {
    out += static_cast<char>(0x8F);
    Kanji(c1, c2);
  }
  void Unknown() { Put2(out, static_cast<uint16_t>(cp932::kGetaJis | 0x8080)); }
  void Byte(char c) { out += c; }
};

// Writes JIS with the two escapes of outgoing mail, switching mode only when needed.
class JisWriter {
 public:
  explicit JisWriter(std::string& out) : out_(out) {}
  void Pair(uint16_t jis) {
    if (!kanji_) {
      out_ += kToKanji;
      kanji_ = true;
    }
    Put2(out_, jis);
  }
  void Byte(char c) {
    if (kanji_) {
      out_ += kToRoman;
      kanji_ = false;
    }
    out_ += c;
  }

 private:
  std::string& out_;
  bool kanji_ = false;
};

// The cells of JIS X 0208 that hold a character: rows 1 to 8 in part, the kanji of rows 16 to
// 83 and the first six of row 84 (row 47 ends at its 51st cell).
bool IsJisX0208Cell(unsigned j1, unsigned j2) {
  auto in = [j2](unsigned from, unsigned to) { return j2 >= from && j2 <= to; };
  if (!in(0x21, 0x7E)) return false;
  switch (j1) {
    case 0x21:
      return true;
    case 0x22:
      return in(0x21, 0x2E) || in(0x3A, 0x41) || in(0x4A, 0x50) || in(0x5C, 0x6A) ||
             in(0x72, 0x79) || j2 == 0x7E;
    case 0x23:
      return in(0x30, 0x39) || in(0x41, 0x5A) || in(0x61, 0x7A);
    case 0x24:
      return in(0x21, 0x73);
    case 0x25:
      return in(0x21, 0x76);
    case 0x26:
      return in(0x21, 0x38) || in(0x41, 0x58);
    case 0x27:
      return in(0x21, 0x41) || in(0x51, 0x71);
    case 0x28:
      return in(0x21, 0x40);
    case 0x4F:
      return in(0x21, 0x53);
    case 0x74:
      return in(0x21, 0x26);
    default:
      return j1 >= 0x30 && j1 <= 0x73;
  }
}

}  // namespace

bool FitsIso2022Jp(std::string_view sjis) {
  for (size_t i = 0; i < sjis.size(); ++i) {
    const unsigned char b = At(sjis, i);
    if (b <= 0x7F || IsKanaByte(b)) continue;
    // User-defined characters (0xF0-0xF9) have no JIS pair at all.
    if (!IsSjisLead(b) || (b >= 0xF0 && b <= 0xF9) || !IsSjisTrail(At(sjis, i + 1))) {
      return false;
    }
    const uint16_t jis = SjisToJisCode(b, At(sjis, i + 1));
    const bool geta = b == 0x81 && At(sjis, i + 1) == 0xAC;
    if (!IsJisX0208Cell(jis >> 8, jis & 0xFF) || (jis == cp932::kGetaJis && !geta)) return false;
    ++i;
  }
  return true;
}

int DetectKanjiCode(std::string_view text) {
  const size_t n = text.size();
  // Positions below are 1-based as in the description of the scan; At(p - 1) reads position
  // p and yields 0 past the end.
  auto byte_at = [&](size_t p) { return At(text, p - 1); };
  for (size_t p = 1; p <= 512 && p < n; ++p) {
    const unsigned char c = byte_at(p);
    if (c < 0x08 || c == 0xFF) return kCodeBinary;
  }
  int code = kCodeAscii;
  size_t p = 1;
  while ((code == kCodeAscii || code >= kCodeEucOrSjis) && p < n) {
    const unsigned char c = byte_at(p);
    if (c == 0x1B) {
      ++p;
      if (byte_at(p) == '$') ++p;
      if (byte_at(p) == 'B') {
        code = kCodeJis;
      } else if (byte_at(p) == '@') {
        code = kCodeJisOld;
      }
    } else if (c < 0x08 || c == 0xFF) {
      code = kCodeBinary;
    } else if ((c >= 0x81 && c <= 0x8D) || (c >= 0x8F && c <= 0x9F)) {
      code = kCodeSjis;
    } else if (c == 0x8E) {
      const unsigned char d = byte_at(++p);
      if ((d >= 0x40 && d <= 0x7E) || (d >= 0x80 && d <= 0xA0) || (d >= 0xE0 && d <= 0xFC)) {
        code = kCodeSjis;
      } else if (d >= 0xA1 && d <= 0xDF) {
        code = kCodeEucOrSjis;
      }
    } else if (c >= 0xA1 && c <= 0xDF) {
      unsigned char d = byte_at(++p);
      if (d >= 0xF0 && d <= 0xFE) {
        code = kCodeEuc;
      } else if (d >= 0xA1 && d <= 0xDF) {
        code = kCodeEucOrSjis;
      } else if (d >= 0xE0 && d <= 0xEF) {
        code = kCodeEucOrSjis;
        while (d >= 0x40 && p <= n && code == kCodeEucOrSjis) {
          if ((d >= 0x81 && d <= 0x8D) || (d >= 0x8F && d <= 0x9C)) {
            code = kCodeSjis;
          } else if (d >= 0xFD && d <= 0xFE) {
            code = kCodeEuc;
          }
          d = byte_at(++p);
        }
      } else if (d < 0xA0) {
        code = kCodeSjis;
      }
    } else if (c >= 0xF0 && c <= 0xFE) {
      code = kCodeEuc;
    } else if (c >= 0xE0 && c <= 0xEF) {
      const unsigned char d = byte_at(++p);
      if ((d >= 0x40 && d <= 0x7E) || (d >= 0x80 && d <= 0xA0)) {
        code = kCodeSjis;
      } else if (d >= 0xFD && d <= 0xFE) {
        code = kCodeEuc;
      } else if (d >= 0xA1 && d <= 0xFC) {
        code = kCodeEucOrSjis;
      }
    }
    ++p;
  }
  return code;
}

uint16_t HankakuToZenkaku(unsigned char kana, unsigned char next, bool& consumed_next) {
  consumed_next = false;
  if (!IsKanaByte(kana)) return cp932::kGetaJis;
  const bool symbol = kana <= 0xA5 || kana == 0xB0 || kana == 0xDE || kana == 0xDF;
  unsigned low = kKanaLow[kana - 0xA1];
  const unsigned high = symbol ? 0x21 : 0x25;
  if (kana == 0xB3 && next == 0xDE) {  // ｳﾞ: ヴ
    consumed_next = true;
    return 0x2574;
  }
  if (next == 0xDE && ((kana >= 0xB6 && kana <= 0xC4) || (kana >= 0xCA && kana <= 0xCE))) {
    consumed_next = true;
    low += 1;
  } else if (next == 0xDF && kana >= 0xCA && kana <= 0xCE) {
    consumed_next = true;
    low += 2;
  }
  return static_cast<uint16_t>(high << 8 | low);
}

std::string SjisToJis(std::string_view sjis) {
  std::string out;
  out.reserve(sjis.size() + sjis.size() / 4 + 16);
  JisWriter w(out);
  const size_t n = sjis.size();
  for (size_t i = 0; i < n; ++i) {
    const unsigned char b = static_cast<unsigned char>(sjis[i]);
    if (b <= 0x7F) {
      w.Byte(static_cast<char>(b));
    } else if (IsKanaByte(b)) {
      bool consumed = false;
      w.Pair(HankakuToZenkaku(b, At(sjis, i + 1), consumed));
      if (consumed) ++i;
    } else if (IsSjisLead(b) && i + 1 < n && IsSjisTrail(At(sjis, i + 1))) {
      w.Pair(SjisToJisCode(b, At(sjis, i + 1)));
      ++i;
    } else {
      w.Pair(cp932::kGetaJis);  // not a character of code page 932
    }
  }
  return out;
}

std::string EucToJis(std::string_view euc) {
  std::string out;
  out.reserve(euc.size() + euc.size() / 4 + 16);
  JisWriter w(out);
  const size_t n = euc.size();
  for (size_t i = 0; i < n; ++i) {
    const unsigned char b = static_cast<unsigned char>(euc[i]);
    if (b <= 0x7F) {
      w.Byte(static_cast<char>(b));
    } else if (b == 0x8E && IsKanaByte(At(euc, i + 1))) {
      // The mark of a voiced kana comes with its own 0x8E prefix.
      const unsigned char mark = At(euc, i + 2) == 0x8E ? At(euc, i + 3) : 0;
      bool consumed = false;
      w.Pair(HankakuToZenkaku(At(euc, i + 1), mark, consumed));
      i += consumed ? 3 : 1;
    } else if (b == 0x8F && IsEucByte(At(euc, i + 1)) && IsEucByte(At(euc, i + 2))) {
      w.Pair(cp932::kGetaJis);  // JIS X 0212 has no place in ISO-2022-JP
      i += 2;
    } else if (IsEucByte(b) && IsEucByte(At(euc, i + 1))) {
      w.Pair(static_cast<uint16_t>((b & 0x7F) << 8 | (At(euc, i + 1) & 0x7F)));
      ++i;
    } else {
      w.Pair(cp932::kGetaJis);
    }
  }
  return out;
}

std::string JisToSjis(std::string_view jis) {
  std::string out;
  out.reserve(jis.size());
  JisToSjisSink sink{out};
  WalkJis(jis, sink);
  return out;
}

std::string JisToEuc(std::string_view jis) {
  std::string out;
  out.reserve(jis.size());
  JisToEucSink sink{out};
  WalkJis(jis, sink);
  return out;
}

std::string EucToSjis(std::string_view euc) {
  std::string out;
  out.reserve(euc.size());
  const size_t n = euc.size();
  for (size_t i = 0; i < n; ++i) {
    const unsigned char b = static_cast<unsigned char>(euc[i]);
    if (b < 0x81 || b == 0xFF) {
      out += static_cast<char>(b);
    } else if (b == 0x8E && IsKanaByte(At(euc, i + 1))) {
      out += euc[++i];  // half-width katakana stays half-width
    } else if (b == 0x8F && IsEucByte(At(euc, i + 1)) && IsEucByte(At(euc, i + 2))) {
      out += Jis0212ToSjis(At(euc, i + 1) & 0x7F, At(euc, i + 2) & 0x7F);
      i += 2;
    } else if (IsEucByte(b) && IsEucByte(At(euc, i + 1))) {
      Put2(out, JisToSjisCode(b & 0x7F, At(euc, i + 1) & 0x7F));
      ++i;
    } else {
      Put2(out, cp932::kGetaSjis);
    }
  }
  return out;
}

std::string SjisToEuc(std::string_view sjis) {
  std::string out;
  out.reserve(sjis.size() + sjis.size() / 4);
  const size_t n = sjis.size();
  for (size_t i = 0; i < n; ++i) {
    const unsigned char b = static_cast<unsigned char>(sjis[i]);
    if (b <= 0x7F) {
      out += static_cast<char>(b);
    } else if (IsKanaByte(b)) {
      out += static_cast<char>(0x8E);
      out += static_cast<char>(b);
    } else if (IsSjisLead(b) && i + 1 < n && IsSjisTrail(At(sjis, i + 1))) {
      Put2(out, static_cast<uint16_t>(SjisToJisCode(b, At(sjis, i + 1)) | 0x8080));
      ++i;
    } else {
      Put2(out, static_cast<uint16_t>(cp932::kGetaJis | 0x8080));
    }
  }
  return out;
}

std::string ConvertKanjiFrom(std::string_view text, int source, int target) {
  if (source < kCodeJis || source == target || source == kCodeEucOrSjis) return std::string(text);
  const bool jis = source == kCodeJis || source == kCodeJisOld;
  switch (target) {
    case kCodeJis:
      if (jis) return std::string(text);
      if (source == kCodeEuc) return EucToJis(text);
      if (source == kCodeSjis) return SjisToJis(text);
      break;
    case kCodeEuc:
      if (jis) return JisToEuc(text);
      if (source == kCodeSjis) return SjisToEuc(text);
      break;
    case kCodeSjis:
      if (jis) return JisToSjis(text);
      if (source == kCodeEuc) return EucToSjis(text);
      break;
    default:
      break;
  }
  return std::string(text);
}

std::string ConvertKanji(std::string_view text, int target) {
  return ConvertKanjiFrom(text, DetectKanjiCode(text), target);
}

std::string HankakuToZenkakuSjis(std::string_view sjis, int mode) {
  // Full-width Shift_JIS forms of the ASCII symbols 0x20-0x7E that are not letters or digits.
  static constexpr std::array<uint16_t, 95> kAsciiWide = [] {
    std::array<uint16_t, 95> t{};
    const std::pair<char, uint16_t> symbols[] = {
        {' ', 0x8140},  {'!', 0x8149},  {'"', 0x8168}, {'#', 0x8194}, {'$', 0x8190}, {'%', 0x8193},
        {'&', 0x8195},  {'\'', 0x8166}, {'(', 0x8169}, {')', 0x816A}, {'*', 0x8196}, {'+', 0x817B},
        {',', 0x8143},  {'-', 0x817C},  {'.', 0x8144}, {'/', 0x815E}, {':', 0x8146}, {';', 0x8147},
        {'<', 0x8183},  {'=', 0x8181},  {'>', 0x8184}, {'?', 0x8148}, {'@', 0x8197}, {'[', 0x816D},
        {'\\', 0x818F}, {']', 0x816E},  {'^', 0x814F}, {'_', 0x8151}, {'`', 0x8165}, {'{', 0x816F},
        {'|', 0x8162},  {'}', 0x8170},  {'~', 0x8150}};
    for (const auto& [c, code] : symbols) t[static_cast<size_t>(c - 0x20)] = code;
    for (unsigned c = '0'; c <= '9'; ++c) t[c - 0x20] = static_cast<uint16_t>(c + 0x821F);
    for (unsigned c = 'A'; c <= 'Z'; ++c) t[c - 0x20] = static_cast<uint16_t>(c + 0x821F);
    for (unsigned c = 'a'; c <= 'z'; ++c) t[c - 0x20] = static_cast<uint16_t>(c + 0x8220);
    return t;
  }();
  // Full-width Shift_JIS katakana of each half-width one 0xA1-0xDF, by runs of the table.
  static constexpr std::array<uint16_t, 63> kKanaWide = [] {
    std::array<uint16_t, 63> t{};
    auto set = [&t](unsigned b, unsigned code) { t[b - 0xA1] = static_cast<uint16_t>(code); };
    set(0xA1, 0x8142);
    set(0xA2, 0x8175);
    set(0xA3, 0x8176);
    set(0xA4, 0x8141);
    set(0xA5, 0x8145);
    set(0xA6, 0x8392);
    for (unsigned k = 0; k < 5; ++k) set(0xA7 + k, 0x8340 + 2 * k);
    for (unsigned k = 0; k < 3; ++k) set(0xAC + k, 0x8383 + 2 * k);
    set(0xAF, 0x8362);
    set(0xB0, 0x815B);
    for (unsigned k = 0; k < 5; ++k) set(0xB1 + k, 0x8341 + 2 * k);
    for (unsigned k = 0; k < 12; ++k) set(0xB6 + k, 0x834A + 2 * k);
    for (unsigned k = 0; k < 3; ++k) set(0xC2 + k, 0x8363 + 2 * k);
    for (unsigned b = 0xC5; b <= 0xC9; ++b) set(b, b + 0x82A4);
    for (unsigned k = 0; k < 5; ++k) set(0xCA + k, 0x836E + 3 * k);
    for (unsigned b = 0xCF; b <= 0xD0; ++b) set(b, b + 0x82AE);
    for (unsigned b = 0xD1; b <= 0xD3; ++b) set(b, b + 0x82AF);
    for (unsigned k = 0; k < 3; ++k) set(0xD4 + k, 0x8384 + 2 * k);
    for (unsigned b = 0xD7; b <= 0xDB; ++b) set(b, b + 0x82B2);
    set(0xDC, 0x838F);
    set(0xDD, 0x8393);
    set(0xDE, 0x814A);
    set(0xDF, 0x814B);
    return t;
  }();

  std::string out;
  out.reserve(sjis.size() * 2);
  const size_t n = sjis.size();
  for (size_t i = 0; i < n; ++i) {
    const unsigned char b = static_cast<unsigned char>(sjis[i]);
    if (IsSjisLead(b) && i + 1 < n && IsSjisTrail(At(sjis, i + 1))) {
      out += sjis[i];
      out += sjis[++i];
    } else if (b >= 0x20 && b <= 0x7E && mode != 2) {
      Put2(out, kAsciiWide[b - 0x20]);
    } else if (IsKanaByte(b) && mode != 1) {
      uint16_t code = kKanaWide[b - 0xA1];
      const unsigned char next = At(sjis, i + 1);
      const bool voiceable = (b >= 0xB6 && b <= 0xC4) || (b >= 0xCA && b <= 0xCE);
      if (next == 0xDE && voiceable) {
        code += 1;
        ++i;
      } else if (next == 0xDF && b >= 0xCA && b <= 0xCE) {
        code += 2;
        ++i;
      }
      Put2(out, code);
    } else {
      out += static_cast<char>(b);
    }
  }
  return out;
}

}  // namespace sorami
