#include "platform/iconv/Cp932Table.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>

#include "platform/iconv/Iconv.h"

namespace sorami::detail {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kNone = 0;  // no character: the pair is not one for iconv

// Code points as iconv gives them (UTF-32, little-endian), from one call on `in`; false when
// it stops at a byte it cannot convert or at an incomplete end (errno tells which).
bool Convert(iconv_t cd, std::string_view in, char32_t& cp) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  unsigned char buf[16];
  char* dst = reinterpret_cast<char*>(buf);
  size_t dst_left = sizeof buf;
  if (iconv(cd, &src, &src_left, &dst, &dst_left) == static_cast<size_t>(-1) || src_left != 0 ||
      sizeof buf - dst_left != 4) {
    if (src_left == 0) errno = EILSEQ;  // more than one character: not one the table holds
    return false;
  }
  cp = static_cast<char32_t>(buf[0] | buf[1] << 8 | buf[2] << 16 | buf[3] << 24);
  return true;
}

class Tables {
 public:
  Tables() : cd_(iconv_open("UTF-32LE", "CP932")) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv: no CP932");
    for (unsigned b = 0; b < 256; ++b) {
      const char c = static_cast<char>(b);
      char32_t cp = kReplacement;
      if (!Convert(cd_, std::string_view(&c, 1), cp)) {
        lead_[b] = errno == EINVAL;  // a byte that waits for a second one
        cp = kReplacement;
      }
      single_[b] = cp;
    }
  }
  ~Tables() { iconv_close(cd_); }

  bool Lead(unsigned char b) const { return lead_[b]; }
  char32_t Single(unsigned char b) const { return single_[b]; }
  // The character of a lead byte and a second byte; kNone when iconv takes the two bytes as no
  // one character.
  char32_t Pair(unsigned char lead, unsigned char trail) {
    const Row* row = rows_[lead].load(std::memory_order_acquire);
    if (row == nullptr) row = MakeRow(lead);
    return (*row)[trail];
  }

 private:
  using Row = std::array<char32_t, 256>;

  const Row* MakeRow(unsigned char lead) {
    const std::lock_guard<std::mutex> hold(mutex_);
    if (const Row* made = rows_[lead].load(std::memory_order_relaxed)) return made;
    auto row = std::make_unique<Row>();
    for (unsigned t = 0; t < 256; ++t) {
      const char pair[2] = {static_cast<char>(lead), static_cast<char>(t)};
      char32_t cp = kNone;
      if (!Convert(cd_, std::string_view(pair, 2), cp)) cp = kNone;
      (*row)[t] = cp;
    }
    made_[lead] = std::move(row);
    rows_[lead].store(made_[lead].get(), std::memory_order_release);
    return made_[lead].get();
  }

  iconv_t cd_;
  std::array<bool, 256> lead_{};
  std::array<char32_t, 256> single_{};
  std::array<std::atomic<const Row*>, 256> rows_{};
  std::array<std::unique_ptr<Row>, 256> made_;
  std::mutex mutex_;
};

Tables& TheTables() {
  static Tables tables;
  return tables;
}

char* PutUtf8(char32_t cp, char* out) {
  if (cp < 0x80) {
    *out++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *out++ = static_cast<char>(0xC0 | cp >> 6);
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out++ = static_cast<char>(0xE0 | cp >> 12);
    *out++ = static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | cp >> 18);
    *out++ = static_cast<char>(0x80 | (cp >> 12 & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

}  // namespace

void AppendCp932AsUtf8ByTable(std::string& out, std::string_view cp932) {
  Tables& t = TheTables();
  // A byte becomes at most four bytes of UTF-8: room for that, then cut to the length made.
  const size_t had = out.size();
  out.resize(had + cp932.size() * 4);
  char* const start = out.data() + had;
  char* w = start;
  const auto* in = reinterpret_cast<const unsigned char*>(cp932.data());
  const size_t n = cp932.size();
  for (size_t i = 0; i < n;) {
    const unsigned char b = in[i];
    if (b < 0x80) {
      *w++ = static_cast<char>(b);
      ++i;
    } else if (!t.Lead(b)) {
      w = PutUtf8(t.Single(b), w);
      ++i;
    } else if (i + 1 < n && t.Pair(b, in[i + 1]) != kNone) {
      w = PutUtf8(t.Pair(b, in[i + 1]), w);
      i += 2;
    } else {
      // A lead byte without a second byte that makes a character: iconv stops at it, and the
      // conversion skips that byte alone.
      w = PutUtf8(kReplacement, w);
      ++i;
    }
  }
  out.resize(had + static_cast<size_t>(w - start));
}

std::string Cp932ToUtf8ByTable(std::string_view cp932) {
  // A short text (a column of the list) is made in a buffer the thread keeps and copied out at
  // its length; a long one in its own string, so that no thread holds on to the room it took.
  constexpr size_t kKept = 16 << 10;
  std::string own;
  if (cp932.size() > kKept) {
    AppendCp932AsUtf8ByTable(own, cp932);
    return own;
  }
  thread_local std::string kept;
  kept.clear();
  AppendCp932AsUtf8ByTable(kept, cp932);
  return kept;
}

std::string Cp932ToUtf8ByIconv(std::string_view cp932) {
  thread_local Iconv cv("UTF-8", "CP932");
  return cv.Run(
      cp932, [](std::string_view, size_t) -> size_t { return 1; }, "\xEF\xBF\xBD");
}

}  // namespace sorami::detail
