#include "store/OriginalsPack.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>

#include "platform/Codepage.h"
#include "platform/Digest.h"

namespace sorami::pack {

namespace {

// Header layout: magic (4), flags (4), key (32), length (8, little-endian), check sum of the
// bytes (16), check sum of the 64 bytes before it (16).
constexpr char kMagic[4] = {'S', 'O', 'P', '1'};
constexpr size_t kKeyAt = 8, kLengthAt = 40, kSumAt = 48, kHeadSumAt = 64;
constexpr uint32_t kSealedFlag = 1;

void PutU64(std::string& out, size_t at, uint64_t v) {
  for (int i = 0; i < 8; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

uint64_t GetU64(std::string_view in, size_t at) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(in[at + i]);
  return v;
}

// The entry a header describes, when it is one.
bool ParseHeader(std::string_view h, uint64_t offset, Entry& e) {
  if (h.size() != kHeaderBytes || std::memcmp(h.data(), kMagic, sizeof kMagic) != 0) return false;
  if (CheckSum128(h.substr(0, kHeadSumAt)) != h.substr(kHeadSumAt)) return false;
  e.key.assign(h.substr(kKeyAt, 32));
  e.offset = offset;
  e.length = GetU64(h, kLengthAt);
  e.sealed = (static_cast<unsigned char>(h[4]) & kSealedFlag) != 0;
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string RawKey(std::string_view hex) {
  std::string raw(hex.size() / 2, '\0');
  for (size_t i = 0; i < raw.size(); ++i) {
    raw[i] = static_cast<char>(HexDigit(hex[2 * i]) * 16 + HexDigit(hex[2 * i + 1]));
  }
  return raw;
}

std::string HexKey(std::string_view raw) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned char b : raw) {
    out += kHex[b >> 4];
    out += kHex[b & 0x0F];
  }
  return out;
}

std::string Header(std::string_view raw_key, std::string_view bytes, bool sealed) {
  std::string h(kHeaderBytes, '\0');
  std::memcpy(h.data(), kMagic, sizeof kMagic);
  h[4] = static_cast<char>(sealed ? kSealedFlag : 0);
  std::memcpy(h.data() + kKeyAt, raw_key.data(), 32);
  PutU64(h, kLengthAt, bytes.size());
  const std::string sum = CheckSum128(bytes);
  std::memcpy(h.data() + kSumAt, sum.data(), 16);
  const std::string head_sum = CheckSum128(std::string_view(h).substr(0, kHeadSumAt));
  std::memcpy(h.data() + kHeadSumAt, head_sum.data(), 16);
  return h;
}

uint64_t Walk(const OffsetReader& file, uint64_t from, std::vector<Entry>& out) {
  std::string h;
  Entry e;
  while (file.ReadAt(from, kHeaderBytes, h) && ParseHeader(h, from, e)) {
    const uint64_t end = from + kHeaderBytes;
    if (e.length > file.size() - end) break;  // the bytes were cut short
    out.push_back(e);
    from = end + e.length;
  }
  return from;
}

bool ReadEntry(const OffsetReader& file, const Entry& e, std::string& bytes) {
  std::string h;
  Entry again;
  if (!file.ReadAt(e.offset, kHeaderBytes, h) || !ParseHeader(h, e.offset, again) ||
      again.key != e.key || again.length != e.length || again.sealed != e.sealed ||
      !file.ReadAt(e.offset + kHeaderBytes, e.length, bytes)) {
    bytes.clear();
    return false;
  }
  if (CheckSum128(bytes) != std::string_view(h).substr(kSumAt, 16)) {
    bytes.clear();
    return false;
  }
  return true;
}

std::string NewPackName() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
  static std::mt19937 random{std::random_device{}()};
  char name[48];
  std::snprintf(name, sizeof name, "%016llx-%08x", static_cast<unsigned long long>(ns),
                static_cast<unsigned>(random()));
  return std::string(name) + std::string(kSuffix);
}

bool RewriteWithout(const std::filesystem::path& path,
                    const std::function<bool(std::string_view raw_key)>& drop, std::string& why) {
  OffsetReader in;
  if (!in.Open(path)) return true;  // gone already
  std::vector<Entry> entries, kept;
  const uint64_t end = Walk(in, 0, entries);
  for (const Entry& e : entries) {
    if (!drop(e.key)) kept.push_back(e);
  }
  if (kept.size() == entries.size() && end == in.size()) return true;  // nothing to drop
  std::error_code ec;
  const std::filesystem::path dir = path.parent_path();
  errno = 0;
  if (kept.empty()) {
    if (std::filesystem::remove(path, ec) && SyncDirectory(dir)) return true;
    why = (ec ? ec.message() : std::string("sync failed")) + " : " + PathText(path);
    return false;
  }
  const std::filesystem::path temp = path.string() + ".new";
  std::filesystem::remove(temp, ec);  // what a crash during an earlier rewrite left
  AppendFile out;
  bool ok = out.Create(temp);
  std::string bytes;
  for (size_t i = 0; ok && i < kept.size(); ++i) {
    ok = in.ReadAt(kept[i].offset, kHeaderBytes + kept[i].length, bytes) && out.Append(bytes);
  }
  ok = ok && out.Sync();
  out.Close();
  if (ok) {
    std::filesystem::rename(temp, path, ec);
    ok = !ec && SyncDirectory(dir);
  }
  if (ok) return true;
  why = (ec ? ec.message() : std::string(errno != 0 ? std::strerror(errno) : "rewrite failed")) +
        " : " + PathText(path);
  std::filesystem::remove(temp, ec);
  return false;
}

}  // namespace sorami::pack
