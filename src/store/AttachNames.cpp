#include "store/AttachNames.h"

#include <cstdio>

#include "base/MbText.h"
#include "platform/AtomicFile.h"
#include "platform/Codepage.h"

namespace sorami {

namespace fs = std::filesystem;

namespace {

// 2 for a lead byte followed by a valid second byte, else 1: a lead byte alone never swallows
// the byte after it.
size_t CharLen(std::string_view s, size_t i) {
  return i + 1 < s.size() && IsLeadByte(static_cast<unsigned char>(s[i])) &&
                 IsTrailByte(static_cast<unsigned char>(s[i + 1]))
             ? 2
             : 1;
}

}  // namespace

std::string SafeAttachmentName(std::string_view name) {
  // The last path component, cut at "/" or at a "\" that is a character of its own.
  size_t start = 0;
  for (size_t i = 0; i < name.size(); i += CharLen(name, i)) {
    if (CharLen(name, i) == 1 && (name[i] == '/' || name[i] == '\\')) start = i + 1;
  }
  const std::string_view last = name.substr(start);
  if (last.empty() || last == "." || last == "..") return "attachment";
  std::string out;
  bool leading = true;  // every dot before the first other character is replaced
  for (size_t i = 0; i < last.size();) {
    const size_t len = CharLen(last, i);
    const unsigned char c = static_cast<unsigned char>(last[i]);
    const bool dot = len == 1 && c == '.' && leading;
    leading = leading && dot;
    const bool bad = dot || (len == 1 && (c < 0x20 || c == 0x7F || c == ':' || IsLeadByte(c)));
    if (bad) {
      out += '_';
    } else {
      out.append(last.substr(i, len));
    }
    i += len;
  }
  return out;
}

std::string FitFileName(std::string_view name, size_t max_bytes) {
  const auto bytes = [](std::string_view part) { return Cp932ToUtf8(part).size(); };
  if (bytes(name) <= max_bytes) return std::string(name);
  const size_t dot = name.rfind('.');  // never a second byte in code page 932
  std::string_view ext = dot == std::string_view::npos ? std::string_view() : name.substr(dot);
  if (bytes(ext) > 32) ext = {};
  const std::string_view stem = name.substr(0, name.size() - ext.size());
  const size_t room = max_bytes - bytes(ext);
  std::string out;
  for (size_t i = 0, used = 0; i < stem.size();) {
    const size_t len = CharLen(stem, i);
    used += bytes(stem.substr(i, len));
    if (used > room) break;
    out.append(stem.substr(i, len));
    i += len;
  }
  return out.append(ext);
}

fs::path CheckSameName(DiagLog& log, const fs::path& dir, std::string& name) {
  log.Log(".CheckSameName :" + name);
  fs::path path = dir / FsPath(name);
  if (!PathExists(path)) return path;
  const size_t dot = name.find('.');
  const std::string stem = name.substr(0, dot);
  const std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
  for (int n = 1;; ++n) {
    char number[16];
    std::snprintf(number, sizeof number, "%2.2d", n);
    std::string candidate = stem + "_" + number + "." + ext;
    path = dir / FsPath(candidate);
    if (!PathExists(path)) {
      name = std::move(candidate);
      return path;
    }
  }
}

fs::path GetUniqName(const fs::path& dir, std::string_view name, std::time_t now,
                     const std::function<bool(const std::string&)>& kept) {
  const auto free = [&](const std::string& n) {
    return !PathExists(dir / FsPath(n)) && !(kept && kept(n));
  };
  const std::string n(name);
  if (n.find("_" + FormatLocalTime(now, "%Y")) != std::string::npos && free(n)) {
    return dir / FsPath(n);
  }
  const std::string base = n.substr(0, n.find('.'));
  const size_t last = n.rfind('.');
  const std::string ext = last == std::string::npos ? "" : n.substr(last);
  std::string candidate = base + "_" + FormatLocalTime(now, "%Y%m%d%H%M%S") + ext;
  if (free(candidate)) return dir / FsPath(candidate);
  for (int k = 1; k <= 1000; ++k) {
    candidate = base + "_" + std::to_string(k) + ext;
    if (free(candidate)) return dir / FsPath(candidate);
  }
  return {};
}

}  // namespace sorami
