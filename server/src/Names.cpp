#include "Names.h"

#include <set>

#include "Text.h"

namespace sorami::site {
namespace {

constexpr std::size_t kMaxNameBytes = 200;
const std::string_view kFullPercent = "\x81\x93";  // ％
const std::string_view kFullComma = "\x81\x41";    // 、

bool IsBlankOrDot(char c) { return c == ' ' || c == '.'; }

// Length of the character at s[i] in a sender's file name: 2 only for a lead byte followed by a
// valid second byte, so a lone lead byte never hides the "/" or "\\" after it (the client
// walks file names the same way).
std::size_t NameCharLen(std::string_view s, std::size_t i) {
  return i + 1 < s.size() && IsLeadByte(static_cast<unsigned char>(s[i])) &&
                 IsTrailByte(static_cast<unsigned char>(s[i + 1]))
             ? 2
             : 1;
}

// Drops a trailing "/" followed by an optional "-" and digits.
std::string_view WithoutRelation(std::string_view piece) {
  std::size_t slash = piece.rfind('/');
  if (slash == std::string_view::npos) return piece;
  std::string_view tail = piece.substr(slash + 1);
  if (tail.starts_with('-')) tail.remove_prefix(1);
  if (tail.empty()) return piece;
  for (char c : tail) {
    if (c < '0' || c > '9') return piece;
  }
  return piece.substr(0, slash);
}

}  // namespace

std::string CleanAttachmentName(std::string_view sent) {
  // Walk by characters: keep what follows the last single-byte path separator.
  std::size_t start = 0;
  for (std::size_t i = 0; i < sent.size(); i += NameCharLen(sent, i)) {
    if (NameCharLen(sent, i) == 1 && (sent[i] == '\\' || sent[i] == '/')) start = i + 1;
  }
  std::string_view base = sent.substr(start);
  if (base.size() >= 2 && base[1] == ':' &&
      ((base[0] >= 'A' && base[0] <= 'Z') || (base[0] >= 'a' && base[0] <= 'z'))) {
    base.remove_prefix(2);
  }
  std::string out;
  for (std::size_t i = 0; i < base.size();) {
    std::size_t n = NameCharLen(base, i);
    unsigned char c = static_cast<unsigned char>(base[i]);
    if (n == 2) {
      if (out.size() + 2 > kMaxNameBytes) break;
      out.append(base.substr(i, 2));
    } else if (c < 0x20 || c == 0x7F) {
      // control characters are dropped
    } else if (IsLeadByte(c) || std::string_view(",#<>:\"|?*").find(static_cast<char>(c)) !=
                                    std::string_view::npos) {
      // half a double-byte character, or a character that breaks a list or a file name
      if (out.size() < kMaxNameBytes) out += '_';
    } else if (out.size() < kMaxNameBytes) {
      out += static_cast<char>(c);
    }
    i += n;
  }
  std::size_t b = 0;
  while (b < out.size() && IsBlankOrDot(out[b])) ++b;
  out.erase(0, b);
  while (!out.empty() && IsBlankOrDot(out.back())) out.pop_back();
  return out.empty() ? "tenpu" : out;
}

std::vector<std::string> AttachmentNames(const std::vector<std::string>& sent) {
  std::vector<std::string> names;
  std::set<std::string> used;
  for (const std::string& s : sent) {
    std::string name = CleanAttachmentName(s);
    if (used.count(name)) {
      std::size_t dot = name.rfind('.');
      std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
      std::string ext = stem.size() == name.size() ? "" : name.substr(dot);
      for (int k = 2; used.count(name); ++k) name = stem + "_" + std::to_string(k) + ext;
    }
    used.insert(name);
    names.push_back(name);
  }
  return names;
}

std::vector<SiteAddress> ParseSiteAddresses(std::string_view text, std::string_view defaultSite) {
  std::string t = ReplaceChars(ReplaceChars(text, kFullPercent, "%"), kFullComma, ",");
  std::vector<SiteAddress> out;
  std::string_view rest = t;
  while (!rest.empty()) {
    std::size_t comma = rest.find(',');
    std::string piece = Trim(rest.substr(0, comma));
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    if (piece.empty()) continue;
    std::string_view addr = WithoutRelation(piece);
    std::size_t pct = addr.find('%');
    SiteAddress a;
    a.text = piece;
    a.nick = std::string(addr.substr(0, pct));
    a.site = pct == std::string_view::npos ? std::string(defaultSite)
                                           : std::string(addr.substr(pct + 1));
    out.push_back(std::move(a));
  }
  return out;
}

}  // namespace sorami::site
