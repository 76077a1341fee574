#include "mail/mime/Base64.h"

#include <array>

namespace sorami {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int8_t kPad = -2;
constexpr int8_t kBad = -1;

constexpr std::array<int8_t, 256> kValue = [] {
  std::array<int8_t, 256> t{};
  for (auto& v : t) v = kBad;
  for (int i = 0; i < 64; ++i) t[static_cast<unsigned char>(kAlphabet[i])] = static_cast<int8_t>(i);
  t['='] = kPad;
  return t;
}();

inline int8_t ValueOf(char c) { return kValue[static_cast<unsigned char>(c)]; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Collects six-bit values into bytes; "=" ends the group (what it holds is written).
class GroupDecoder {
 public:
  explicit GroupDecoder(std::string& out) : out_(out) {}
  void Value(int v) {
    acc_ = (acc_ << 6) | static_cast<unsigned>(v);
    if (++count_ == 4) {
      out_ += static_cast<char>(acc_ >> 16);
      out_ += static_cast<char>(acc_ >> 8);
      out_ += static_cast<char>(acc_);
      count_ = 0;
      acc_ = 0;
    }
  }
  // Padding or the end: the bytes the characters so far hold (two give one, three give two).
  void Flush() {
    if (count_ == 2) {
      out_ += static_cast<char>(acc_ >> 4);
    } else if (count_ == 3) {
      out_ += static_cast<char>(acc_ >> 10);
      out_ += static_cast<char>(acc_ >> 2);
    }
    count_ = 0;
    acc_ = 0;
  }

 private:
  std::string& out_;
  unsigned acc_ = 0;
  int count_ = 0;
};

}  // namespace

std::string Base64Encode(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  for (; i + 3 <= bytes.size(); i += 3) {
    const unsigned v = p[i] << 16 | p[i + 1] << 8 | p[i + 2];
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  const size_t rest = bytes.size() - i;
  if (rest > 0) {
    const unsigned v = p[i] << 16 | (rest == 2 ? p[i + 1] << 8 : 0);
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

std::string Base64Decode(std::string_view text) {
  size_t count = 0;
  for (char c : text) {
    if (c != '\r' && c != '\n') ++count;
  }
  std::string out;
  out.reserve(count / 4 * 3);
  int values[4] = {0, 0, 0, 0};
  char chars[4];
  int k = 0;
  for (char c : text) {
    if (c == '\r' || c == '\n') continue;
    chars[k] = c;
    const int8_t v = ValueOf(c);
    if (v >= 0) values[k] = v;
    if (++k < 4) continue;
    k = 0;
    const unsigned acc =
        static_cast<unsigned>(values[0] << 18 | values[1] << 12 | values[2] << 6 | values[3]);
    out += static_cast<char>(acc >> 16);
    if (chars[2] == '=') continue;
    out += static_cast<char>(acc >> 8);
    if (chars[3] == '=') continue;
    out += static_cast<char>(acc);
  }
  return out;
}

std::string Base64DecodeStrict(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  std::string out;
  out.reserve((text.size() - i) / 4 * 3 + 3);
  GroupDecoder g(out);
  for (; i < text.size(); ++i) {
    const int8_t v = ValueOf(text[i]);
    if (v == kPad) {
      g.Flush();
      continue;
    }
    if (v < 0) break;  // NUL, a blank or a foreign character ends the text
    g.Value(v);
  }
  g.Flush();
  return out;
}

void Base64DecodeLines(std::span<const std::string_view> lines, std::string& out) {
  size_t total = 0;
  for (std::string_view l : lines) total += l.size();
  out.reserve(out.size() + total / 4 * 3 + 3);
  GroupDecoder g(out);
  for (std::string_view line : lines) {
    for (char c : line) {
      const int8_t v = ValueOf(c);
      if (v >= 0) {
        g.Value(v);
      } else if (v == kPad) {
        g.Flush();
      }
    }
  }
  g.Flush();
}

std::string DecodeQText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    const char c = text[i];
    if (c == '_') {
      out += ' ';
    } else if (c != '=') {
      out += c;
    } else if (i + 1 < n && (text[i + 1] == '\r' || text[i + 1] == '\n')) {
      // A soft line break: the "=" and its line end (CR LF counts as one) go.
      i += (text[i + 1] == '\r' && i + 2 < n && text[i + 2] == '\n') ? 2 : 1;
    } else if (i + 2 < n) {
      const int hi = HexValue(text[i + 1]), lo = HexValue(text[i + 2]);
      out += (hi < 0 || lo < 0) ? '\x40' : static_cast<char>(hi << 4 | lo);
      i += 2;
    } else {
      // An "=" without two characters after it: what follows stands as it is.
      out.append(text.substr(i));
      break;
    }
  }
  return out;
}

std::string DecodeQuotedPrintable(std::span<const std::string_view> lines) {
  size_t total = 0;
  for (std::string_view l : lines) total += l.size() + 2;
  std::string out;
  out.reserve(total);
  for (size_t li = 0; li < lines.size(); ++li) {
    std::string_view line = lines[li];
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    bool soft = false;
    const size_t n = line.size();
    for (size_t i = 0; i < n; ++i) {
      const char c = line[i];
      if (c != '=') {
        out += c;
        continue;
      }
      if (i + 1 == n) {
        soft = true;
        break;
      }
      const int hi = i + 2 < n ? HexValue(line[i + 1]) : -1;
      const int lo = i + 2 < n ? HexValue(line[i + 2]) : -1;
      if (hi >= 0 && lo >= 0) {
        out += static_cast<char>(hi << 4 | lo);
        i += 2;
      } else {
        out += c;
      }
    }
    if (!soft && li + 1 < lines.size()) out += "\r\n";
  }
  return out;
}

}  // namespace sorami
