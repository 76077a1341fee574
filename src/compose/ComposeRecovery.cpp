#include "compose/ComposeRecovery.h"

#include <cerrno>
#include <cstring>

#include "platform/AtomicFile.h"
#include "platform/Codepage.h"

namespace sorami {

namespace {

constexpr std::string_view kMagic = "sorami-compose-recovery 1";

std::string Escaped(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (const char c : s) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::string Unescaped(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    const char n = s[++i];
    out += n == 'r' ? '\r' : n == 'n' ? '\n' : n;
  }
  return out;
}

// The text fields by name, in the order they are written.
struct Named {
  std::string_view name;
  std::string ComposeFields::*field;
};
constexpr Named kTexts[] = {
    {"to", &ComposeFields::to},         {"cc", &ComposeFields::cc},
    {"bcc", &ComposeFields::bcc},       {"reply_to", &ComposeFields::reply_to},
    {"title", &ComposeFields::title},   {"body", &ComposeFields::body},
    {"kankei", &ComposeFields::kankei}, {"shubetsu", &ComposeFields::shubetsu},
};

}  // namespace

std::string EncodeRecovery(const RecoveryCopy& copy) {
  std::string out(kMagic);
  out += '\n';
  for (const Named& n : kTexts) {
    out.append(n.name).append("=").append(Escaped(copy.fields.*n.field)).append("\n");
  }
  out += copy.fields.auto_kankei ? "auto_kankei=1\n" : "auto_kankei=0\n";
  for (const std::filesystem::path& p : copy.attachments) {
    out += "attach=" + Escaped(p.string()) + "\n";
  }
  return out;
}

bool DecodeRecovery(std::string_view bytes, RecoveryCopy& copy) {
  const size_t first = bytes.find('\n');
  if (first == std::string_view::npos || bytes.substr(0, first) != kMagic) return false;
  RecoveryCopy out;
  std::string_view rest = bytes.substr(first + 1);
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view name = line.substr(0, eq);
    const std::string value = Unescaped(line.substr(eq + 1));
    if (name == "attach") {
      out.attachments.emplace_back(value);
    } else if (name == "auto_kankei") {
      out.fields.auto_kankei = value == "1";
    }
    for (const Named& n : kTexts) {
      if (n.name == name) out.fields.*n.field = value;
    }
  }
  copy = std::move(out);
  return true;
}

std::filesystem::path RecoveryFile(const std::filesystem::path& data_dir) {
  return data_dir / "Compose.rcv";
}

bool SaveRecovery(const std::filesystem::path& data_dir, const RecoveryCopy& copy,
                  std::string& msg) {
  std::error_code ec;
  std::filesystem::create_directories(data_dir, ec);
  const std::filesystem::path path = RecoveryFile(data_dir);
  if (WriteFileAtomic(path, EncodeRecovery(copy))) return true;
  msg = "Cannot Write : " + PathText(path) + " (" + std::strerror(errno) + ")";
  return false;
}

bool LoadRecovery(const std::filesystem::path& data_dir, RecoveryCopy& copy) {
  std::string bytes;
  return ReadWholeFile(RecoveryFile(data_dir), bytes) && DecodeRecovery(bytes, copy);
}

void ClearRecovery(const std::filesystem::path& data_dir) {
  std::error_code ec;
  std::filesystem::remove(RecoveryFile(data_dir), ec);
}

}  // namespace sorami
