#include "mail/mime/MailAddress.h"

#include "base/DiagLog.h"
#include "base/MbText.h"
#include "mail/mime/EncodedWord.h"
#include "mail/mime/MailHeader.h"

namespace sorami {

namespace {

constexpr size_t npos = std::string_view::npos;

// Removes every section from open to the next close (both included), character-aware.
std::string RemoveSections(std::string_view text, std::string_view open, std::string_view close) {
  std::string out;
  size_t from = 0;
  while (from < text.size()) {
    const size_t a = MbFind(open, text.substr(from));
    if (a == npos) break;
    const size_t b = MbFind(close, text.substr(from + a + open.size()));
    if (b == npos) break;
    out.append(text.substr(from, a));
    from += a + open.size() + b + close.size();
  }
  out.append(text.substr(std::min(from, text.size())));
  return out;
}

// What lies between the first open and the close after it, or nothing when there is no pair.
bool Between(std::string_view text, std::string_view open, std::string_view close,
             std::string_view& inner) {
  const size_t a = MbFind(open, text);
  if (a == npos) return false;
  const size_t b = MbFind(close, text.substr(a + 1));
  if (b == npos) return false;
  inner = text.substr(a + 1, b);
  return true;
}

std::string RemoveChars(std::string_view text, std::string_view chars) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t len = MbCharLen(text, i);
    if (len == 1 && chars.find(text[i]) != npos) {
      ++i;
      continue;
    }
    out.append(text.substr(i, len));
    i += len;
  }
  return out;
}

}  // namespace

std::vector<std::string> SplitAddresses(std::string_view text) {
  std::vector<std::string> out;
  bool quoted = false;
  int comment = 0, angle = 0;
  size_t start = 0;
  auto piece = [&](size_t end) {
    const std::string_view p = TrimView(text.substr(start, end - start));
    if (!p.empty()) out.emplace_back(p);
  };
  for (size_t i = 0; i < text.size(); i += MbCharLen(text, i)) {
    if (MbCharLen(text, i) == 2) continue;
    const char c = text[i];
    if (c == '\\' && quoted && i + 1 < text.size()) {
      ++i;
    } else if (c == '"' && comment == 0) {
      quoted = !quoted;
    } else if (!quoted && c == '(') {
      ++comment;
    } else if (!quoted && c == ')' && comment > 0) {
      --comment;
    } else if (!quoted && comment == 0 && c == '<') {
      angle = 1;
    } else if (!quoted && comment == 0 && c == '>') {
      angle = 0;
    } else if (c == ',' && !quoted && comment == 0 && angle == 0) {
      piece(i);
      start = i + 1;
    }
  }
  piece(text.size());
  return out;
}

std::string ExtractAddress(std::string_view text, bool brackets) {
  const std::string no_comments = RemoveSections(text, "(", ")");
  std::string_view v = TrimView(no_comments);
  std::string_view inner;
  if (Between(v, "<", ">", inner)) v = inner;
  std::string out(v);
  return brackets ? "<" + out + ">" : out;
}

std::string ExtractDisplayName(std::string_view text, bool quotes) {
  std::string v = RemoveSections(text, "<", ">");
  std::string_view inner;
  if (Between(v, "(", ")", inner)) v = std::string(inner);
  const std::string name(TrimView(RemoveChars(v, "\"'")));
  return quotes ? "\"" + name + "\"" : name;
}

std::vector<std::string> AddressListToStrings(std::string_view text) {
  std::string rest = LowerAscii(RemoveSections(TrimView(text), "\"", "\""));
  std::vector<std::string> out;
  std::string token;
  while (!rest.empty()) {
    SplitToken(",", rest, token);
    out.push_back(ExtractAddress(token, false));
  }
  return out;
}

std::string DecodeAddressList(std::string_view text) {
  std::string out;
  for (const std::string& piece : SplitAddresses(text)) {
    const std::string decoded = DecodeHeader(piece);
    if (!out.empty()) out += ", ";
    out += ExtractDisplayName(decoded, true) + " " + ExtractAddress(decoded, true);
  }
  return out;
}

std::string OnlyMail(std::string_view text, DiagLog* log) {
  if (log) log->Log(".OnlyMail :" + std::string(text));
  std::string rest(text);
  ReplaceAll("\x81\x41", ",", rest);  // "、"
  rest += ',';
  std::string out;
  while (true) {
    const size_t comma = MbFind(",", rest);
    if (comma == npos) break;
    const std::string piece(TrimView(std::string_view(rest).substr(0, comma)));
    rest.erase(0, comma + 1);
    if (log) log->Log("val:" + piece);
    if (piece.empty()) continue;
    if (MbFind("@", piece) == npos) continue;
    std::string address = piece;
    const size_t lt = MbFind("<", piece);
    if (lt != npos) {
      const size_t gt = MbFind(">", std::string_view(piece).substr(lt + 1));
      address = piece.substr(lt + 1, gt == npos ? std::string::npos : gt);
    }
    if (!out.empty()) out += ',';
    out += address;
  }
  if (log) log->Log("=> " + out);
  return out;
}

bool IsMailboxAddress(std::string_view address) {
  const size_t at = address.find('@');
  if (at == npos || at == 0 || address.find('@', at + 1) != npos) return false;
  const std::string_view domain = address.substr(at + 1);
  if (domain.empty() || domain.front() == '.' || domain.back() == '.') return false;
  for (const char ch : address) {
    const auto c = static_cast<unsigned char>(ch);
    if (c <= 0x20 || c >= 0x7F) return false;
    if (std::string_view("<>()[],;\"\\").find(ch) != npos) return false;
  }
  return true;
}

std::string FirstBadAddress(std::string_view text) {
  std::string rest(text);
  ReplaceAll("\x81\x41", ",", rest);  // "、"
  std::string_view all = rest, piece;
  while (!all.empty()) {
    SplitToken(",", all, piece);
    piece = TrimView(piece);
    if (piece.empty()) continue;
    std::string_view address = piece, inner;
    if (Between(piece, "<", ">", inner)) address = TrimView(inner);
    if (!IsMailboxAddress(address)) return std::string(piece);
  }
  return {};
}

}  // namespace sorami
