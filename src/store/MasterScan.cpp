#include "store/MasterScan.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

#include "platform/AtomicFile.h"
#include "platform/Codepage.h"
#include "store/Folders.h"

namespace sorami {

namespace fs = std::filesystem;

namespace {

#if defined(__x86_64__) && defined(__GNUC__)
// Thirty-two places at a time, where the processor has AVX2: those where both the first and
// the last byte of the needle stand are compared whole. Returns where it stopped looking (a
// hit, or the place the remaining ones start) and sets found.
__attribute__((target("avx2"))) size_t Find32(const char* h, size_t i, size_t last,
                                              std::string_view needle, bool& found) {
  const size_t m = needle.size();
  const __m256i first = _mm256_set1_epi8(needle[0]);
  const __m256i final = _mm256_set1_epi8(needle[m - 1]);
  for (; i + 31 <= last; i += 32) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + i + m - 1));
    auto mask = static_cast<uint32_t>(_mm256_movemask_epi8(
        _mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, final))));
    while (mask != 0) {
      const size_t at = i + static_cast<size_t>(__builtin_ctz(mask));
      if (std::memcmp(h + at + 1, needle.data() + 1, m - 2) == 0) {
        found = true;
        return at;
      }
      mask &= mask - 1;
    }
  }
  return i;
}

bool HaveAvx2() {
  static const bool have = __builtin_cpu_supports("avx2");
  return have;
}
#endif

}  // namespace

size_t FindBytes(std::string_view hay, std::string_view needle, size_t from) {
  const size_t m = needle.size();
  if (m == 0 || from > hay.size() || hay.size() - from < m) return std::string_view::npos;
  const char* const h = hay.data();
  if (m == 1) {
    const void* at = std::memchr(h + from, needle[0], hay.size() - from);
    return at ? static_cast<size_t>(static_cast<const char*>(at) - h) : std::string_view::npos;
  }
  const size_t last = hay.size() - m;  // the last place the needle can start
  size_t i = from;
#if defined(__x86_64__) && defined(__GNUC__)
  if (HaveAvx2()) {
    bool found = false;
    i = Find32(h, i, last, needle, found);
    if (found) return i;
  }
#endif
#ifdef __SSE2__
  // Sixteen places at a time, as above.
  const __m128i first = _mm_set1_epi8(needle[0]);
  const __m128i final = _mm_set1_epi8(needle[m - 1]);
  for (; i + 15 <= last; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i + m - 1));
    unsigned mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, final))));
    while (mask != 0) {
      const size_t at = i + static_cast<size_t>(__builtin_ctz(mask));
      if (std::memcmp(h + at + 1, needle.data() + 1, m - 2) == 0) return at;
      mask &= mask - 1;
    }
  }
#endif
  for (; i <= last; ++i) {
    if (h[i] == needle[0] && std::memcmp(h + i, needle.data(), m) == 0) return i;
  }
  return std::string_view::npos;
}

namespace {

// The lines of the file, a run of whole lines at a time: each word is searched through the
// whole run, and only the lines it occurs in are marked.
class LineScanner {
 public:
  LineScanner(const std::vector<std::string>& words, const ScanLine& line)
      : words_(words), line_(line) {}

  // A run of lines, each ending at LF but perhaps the last (the end of the file).
  void Lines(std::string_view run) {
    starts_.clear();
    for (size_t p = 0; p < run.size();) {
      starts_.push_back(p);
      const void* lf = std::memchr(run.data() + p, '\n', run.size() - p);
      p = lf ? static_cast<size_t>(static_cast<const char*>(lf) - run.data()) + 1 : run.size();
    }
    const size_t lines = starts_.size();
    starts_.push_back(run.size());
    found_.assign(lines, 0);
    for (size_t k = 0; k <= words_.size(); ++k) {
      const std::string_view word = k < words_.size() ? std::string_view(words_[k]) : Deleted();
      const uint32_t bit = k < words_.size() ? 1u << k : kDeletedBit;
      for (size_t at = FindBytes(run, word); at != std::string_view::npos;) {
        // The line holding the hit; the search goes on from the next line.
        const size_t i = static_cast<size_t>(std::upper_bound(starts_.begin(), starts_.end(), at) -
                                             starts_.begin() - 1);
        found_[i] |= bit;
        at = FindBytes(run, word, starts_[i + 1]);
      }
    }
    for (size_t i = 0; i < lines; ++i) {
      std::string_view text = run.substr(starts_[i], starts_[i + 1] - starts_[i]);
      if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
      // Only a line holding the deleted folder's name can be a record of that folder.
      if ((found_[i] & kDeletedBit) != 0 && !ReadMasterLine(text, rows_, scratch_, record_)) {
        continue;
      }
      line_(rows_++, text, found_[i] & ~kDeletedBit);
    }
  }
  int32_t rows() const { return rows_; }

 private:
  static constexpr uint32_t kDeletedBit = 1u << 31;
  static std::string_view Deleted() { return FolderName(Folder::kDeleted); }

  const std::vector<std::string>& words_;
  const ScanLine& line_;
  std::vector<size_t> starts_;   // of each line of the run, then the run's end
  std::vector<uint32_t> found_;  // the words found in each line of the run
  int32_t rows_ = 0;
  std::string scratch_;
  TArMastData record_;
};

// Whole lines go to the scanner a run of a quarter megabyte at a time, a run staying in the
// cache while every word is searched through it; a line begun at the end of one run is
// carried into the next.
class RunReader {
 public:
  explicit RunReader(LineScanner& scanner) : scanner_(scanner), buf_(size_t{256} << 10) {}

  // Room for the next bytes, after those carried; Filled(n) says how many were put there.
  char* Room(size_t& n) {
    if (held_ == buf_.size()) buf_.resize(buf_.size() * 2);  // a line longer than the run
    n = buf_.size() - held_;
    return buf_.data() + held_;
  }
  void Filled(size_t n) {
    held_ += n;
    if (held_ < buf_.size()) return;  // the run is scanned once it is full, or at the end
    const void* lf = memrchr(buf_.data(), '\n', held_);
    if (lf == nullptr) return;
    const size_t whole = static_cast<size_t>(static_cast<const char*>(lf) - buf_.data()) + 1;
    scanner_.Lines(std::string_view(buf_.data(), whole));
    held_ -= whole;
    std::memmove(buf_.data(), buf_.data() + whole, held_);
  }
  void Add(std::string_view bytes) {
    while (!bytes.empty()) {
      size_t room = 0;
      char* at = Room(room);
      const size_t n = std::min(room, bytes.size());
      std::memcpy(at, bytes.data(), n);
      bytes.remove_prefix(n);
      Filled(n);
    }
  }
  void Finish() {
    if (held_ > 0) scanner_.Lines(std::string_view(buf_.data(), held_));
    held_ = 0;
  }

 private:
  LineScanner& scanner_;
  std::vector<char> buf_;
  size_t held_ = 0;  // bytes in buf_ not yet scanned
};

using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

}  // namespace

MasterScan ScanMasterFile(MasterFiles& mf, const std::vector<std::string>& words,
                          const ScanLine& line, int32_t& rows) {
  rows = 0;
  if (words.size() > kMaxScanWords) return MasterScan::kNotScanned;
  const fs::path plain = MasterPath(mf);
  const fs::path enc = mf.data_dir / "Master.enc";
  const bool has_plain = PathExists(plain);
  const bool has_enc = PathExists(enc);
  // Both files (the read chooses the newer and keeps the other aside) or none: the read says.
  if (has_plain == has_enc || (has_enc && !mf.crypto)) return MasterScan::kNotScanned;
  mf.log.Log("ReadMaster");
  mf.log.Log(PathText(plain));
  LineScanner scanner(words, line);
  RunReader runs(scanner);
  if (has_enc) {
    // Decrypted a chunk at a time, as the read decrypts it: the plain text is never whole in
    // memory, and never on disk.
    if (!mf.crypto->DecryptToSink(enc, [&runs](std::string_view chunk) {
          runs.Add(chunk);
          return true;
        })) {
      mf.log.Log("暗号復号失敗"_cp932);
      return MasterScan::kUndecryptable;
    }
  } else {
    FilePtr file(std::fopen(plain.c_str(), "rb"), &std::fclose);
    if (!file) return MasterScan::kUnreadable;
    for (;;) {
      size_t room = 0;
      char* at = runs.Room(room);
      const size_t n = std::fread(at, 1, room, file.get());
      if (n == 0) break;
      runs.Filled(n);
    }
    if (std::ferror(file.get()) != 0) return MasterScan::kUnreadable;
  }
  runs.Finish();
  rows = scanner.rows();
  mf.log.Log("読込完了 :"_cp932 + std::to_string(rows) + " 件"_cp932);
  return MasterScan::kDone;
}

}  // namespace sorami
