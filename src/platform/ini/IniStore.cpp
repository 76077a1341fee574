#include "platform/IniStore.h"

#include <cerrno>
#include <cstdlib>

#include "platform/AtomicFile.h"

namespace sorami {

namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// A line break inside a value would end the line and corrupt the file: keep it out.
std::string OneLine(std::string_view value) {
  std::string out(value);
  for (char& c : out) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return out;
}

}  // namespace

bool ParseInteger(std::string_view text, long& value) {
  text = TrimBlanks(text);
  if (text.empty()) return false;
  const std::string s(text);
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(s.c_str(), &end, 10);
  if (errno != 0 || end == s.c_str() || *end != '\0') return false;
  value = v;
  return true;
}

IniStore::IniStore(std::filesystem::path file) : file_(std::move(file)) {
  std::string bytes;
  if (!ReadWholeFile(file_, bytes)) return;
  Section* current = nullptr;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t eol = bytes.find('\n', pos);
    if (eol == std::string::npos) eol = bytes.size();
    std::string_view line(bytes.data() + pos, eol - pos);
    pos = eol + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::string_view trimmed = TrimBlanks(line);
    if (trimmed.empty() || trimmed.front() == ';') continue;
    if (trimmed.front() == '[' && trimmed.back() == ']') {
      const std::string_view name = trimmed.substr(1, trimmed.size() - 2);
      current = nullptr;
      for (auto& s : sections_) {
        if (EqualNoCase(s.name, name)) current = &s;
      }
      if (current == nullptr) {
        sections_.push_back({std::string(name), {}});
        current = &sections_.back();
      }
      continue;
    }
    const size_t eq = line.find('=');
    if (current == nullptr || eq == std::string_view::npos) continue;
    const std::string_view name = TrimBlanks(line.substr(0, eq));
    const std::string_view value = line.substr(eq + 1);
    bool replaced = false;
    for (auto& e : current->entries) {
      if (EqualNoCase(e.name, name)) {
        e.value = std::string(value);
        replaced = true;
      }
    }
    if (!replaced) current->entries.push_back({std::string(name), std::string(value)});
  }
}

const IniStore::Entry* IniStore::Find(std::string_view section, std::string_view name) const {
  for (const auto& s : sections_) {
    if (!EqualNoCase(s.name, section)) continue;
    for (const auto& e : s.entries) {
      if (EqualNoCase(e.name, name)) return &e;
    }
  }
  return nullptr;
}

bool IniStore::Has(std::string_view section, std::string_view name) const {
  return Find(section, name) != nullptr;
}

std::string IniStore::ReadString(std::string_view section, std::string_view name,
                                 std::string_view def) const {
  const Entry* e = Find(section, name);
  return e ? e->value : std::string(def);
}

long IniStore::ReadInteger(std::string_view section, std::string_view name, long def) const {
  const Entry* e = Find(section, name);
  long v = def;
  if (e == nullptr || !ParseInteger(e->value, v)) return def;
  return v;
}

bool IniStore::ReadBool(std::string_view section, std::string_view name, bool def) const {
  return ReadInteger(section, name, def ? 1 : 0) != 0;
}

void IniStore::WriteString(std::string_view section, std::string_view name,
                           std::string_view value) {
  Section* target = nullptr;
  for (auto& s : sections_) {
    if (EqualNoCase(s.name, section)) target = &s;
  }
  if (target == nullptr) {
    sections_.push_back({std::string(section), {}});
    target = &sections_.back();
  }
  for (auto& e : target->entries) {
    if (EqualNoCase(e.name, name)) {
      e.value = OneLine(value);
      return;
    }
  }
  target->entries.push_back({std::string(name), OneLine(value)});
}

void IniStore::WriteInteger(std::string_view section, std::string_view name, long value) {
  WriteString(section, name, std::to_string(value));
}

void IniStore::WriteBool(std::string_view section, std::string_view name, bool value) {
  WriteString(section, name, value ? "1" : "0");
}

bool IniStore::Save() const {
  std::string out;
  for (const auto& s : sections_) {
    out += "[" + s.name + "]\r\n";
    for (const auto& e : s.entries) out += e.name + "=" + e.value + "\r\n";
    out += "\r\n";
  }
  std::error_code ec;
  std::filesystem::create_directories(file_.parent_path(), ec);
  return WriteFileAtomic(file_, out);
}

std::filesystem::path Registry::PathOf(std::string_view key) const {
  std::filesystem::path p = dir_;
  std::string_view rest = key;
  std::string last;
  while (!rest.empty()) {
    const size_t bs = rest.find('\\');
    const std::string_view piece = rest.substr(0, bs);
    rest = bs == std::string_view::npos ? std::string_view() : rest.substr(bs + 1);
    if (piece.empty() || piece == "." || piece == "..") continue;
    if (!last.empty()) p /= last;
    last = std::string(piece);
  }
  return p / (last + ".ini");
}

}  // namespace sorami
