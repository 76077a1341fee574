#include "store/MasterLine.h"

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "base/MbText.h"
#include "store/Folders.h"
#include "store/MasterFile.h"

namespace sorami {

namespace {

// TAB, LF, form feed and CR: the bytes a field cannot hold as they are.
inline bool IsSpecial(unsigned char b) {
  constexpr unsigned kMask = (1u << '\t') | (1u << '\n') | (1u << '\x0C') | (1u << '\r');
  return b < 32 && ((kMask >> b) & 1u);
}

// Appends a value as a field: plain runs are copied whole, only the special bytes are looked
// at one by one.
void AppendEscaped(std::string& out, std::string_view value) {
  size_t i = 0;
  while (i < value.size()) {
    size_t j = i;
    while (j < value.size() && !IsSpecial(static_cast<unsigned char>(value[j]))) ++j;
    out.append(value.data() + i, j - i);
    if (j >= value.size()) break;
    switch (value[j]) {
      case '\t':
        out += "\x0C\x08";
        break;
      case '\r':
        if (j + 1 < value.size() && value[j + 1] == '\n') {
          out += "\x0C\x0B";
          ++j;
        } else {
          out += "\x0C\x0E";
        }
        break;
      case '\n':
        out += "\x0C\x0F";
        break;
      default:  // the form feed
        out += "\x0C\x0C";
    }
    i = j + 1;
  }
}

}  // namespace

// Appends the file line of one row, without its line end.
void AppendMasterLine(std::string& out, const TArMastd& store, int32_t row) {
  out += Format4d(static_cast<long>(row) + 1);
  const TArMastData& rec = store.Row(row);
  for (int col = 2; col <= 23; ++col) {
    out += '\t';
    AppendEscaped(out, rec[col]);
  }
}

std::string EscapeMasterField(std::string_view value) {
  std::string out;
  out.reserve(value.size() + 16);
  AppendEscaped(out, value);
  return out;
}

namespace {

// Unescapes the field starting at in up to the next TAB (or end) into out; returns where
// the reading stopped (at the TAB, or end). out needs room for the bytes from in to end: plain
// bytes are copied sixteen at a time as they are looked at, and as a value is never longer
// than its field, such a copy never passes that room.
const char* UnescapeRun(const char* in, const char* end, char*& out) {
  for (;;) {
    bool stopped = false;
#ifdef __SSE2__
    const __m128i tab = _mm_set1_epi8('\t');
    const __m128i ff = _mm_set1_epi8('\x0C');
    while (end - in >= 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out), v);
      const int mask =
          _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, tab), _mm_cmpeq_epi8(v, ff)));
      if (mask != 0) {
        const int plain = __builtin_ctz(static_cast<unsigned>(mask));
        in += plain;
        out += plain;
        stopped = true;
        break;
      }
      in += 16;
      out += 16;
    }
#endif
    if (!stopped) {
      while (in < end && *in != '\t' && *in != '\x0C') *out++ = *in++;
      if (in == end) return in;
    }
    if (*in == '\t') return in;
    const char next = in + 1 < end ? in[1] : '\0';
    const char* const at = in;
    in = at + 2;
    switch (next) {
      case '\x08':
        *out++ = '\t';
        break;
      case '\x0B':
        *out++ = '\r';
        *out++ = '\n';
        break;
      case '\x0E':
        *out++ = '\r';
        break;
      case '\x0F':
        *out++ = '\n';
        break;
      case '\x0C':
        *out++ = '\x0C';
        break;
      default:  // not an escape: the byte stays
        *out++ = '\x0C';
        in = at + 1;
    }
  }
}

}  // namespace

std::string UnescapeMasterField(std::string_view field) {
  std::string out(field.size(), '\0');  // an unescaped value is never longer
  char* w = out.data();
  const char* end = field.data() + field.size();
  for (const char* in = field.data(); in < end;) {
    in = UnescapeRun(in, end, w);
    if (in < end) *w++ = *in++;  // a TAB in a value given here stays
  }
  out.resize(static_cast<size_t>(w - out.data()));
  return out;
}

namespace {

// The fields part of a file line (its LF taken off): a CR before the line end is dropped, and
// so is the sequence number before the first TAB (the store numbers its rows itself); empty
// when the line has no TAB.
std::string_view LineFields(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  const size_t tab = line.find('\t');
  return tab == std::string_view::npos ? std::string_view() : line.substr(tab + 1);
}

// Unescapes the fields of a line as columns 2 .. 23 into start (room for fields.size() bytes),
// ends[k] being where column k ends (columns 0 and 1 end at 0; missing ones are empty, fields
// past column 23 are not read). Whether a read keeps the record: not one of a deleted folder.
bool UnescapeFields(std::string_view fields, char* start,
                    std::array<uint32_t, TArMastData::kColumns>& ends) {
  char* w = start;
  const char* in = fields.data();
  const char* const end = in + fields.size();
  int col = 2;
  if (!fields.empty()) {
    for (;; ++col) {
      in = UnescapeRun(in, end, w);
      ends[col] = static_cast<uint32_t>(w - start);
      if (in == end || col == 23) break;
      ++in;  // the TAB
    }
  }
  for (int c = col + 1; c < TArMastData::kColumns; ++c) ends[c] = ends[col];
  const int folder = static_cast<int>(MastCol::kFolder);
  return !IsDeletedFolder(
      std::string_view(start + ends[folder - 1], ends[folder] - ends[folder - 1]));
}

}  // namespace

void MasterParser::Feed(std::string_view chunk) {
  while (!chunk.empty()) {
    const size_t lf = chunk.find('\n');
    if (lf == std::string_view::npos) {
      carry_.append(chunk);
      return;
    }
    if (carry_.empty()) {
      Line(chunk.substr(0, lf));
    } else {
      carry_.append(chunk.substr(0, lf));
      Line(carry_);
      carry_.clear();
    }
    chunk.remove_prefix(lf + 1);
  }
}

void MasterParser::Finish() {
  if (!carry_.empty()) Line(carry_);
  carry_.clear();
  fresh_.BuildIndex();
}

void MasterParser::Line(std::string_view line) {
  const std::string_view fields = LineFields(line);
  char* const start = fresh_.OpenRecord(fields.size());
  std::array<uint32_t, TArMastData::kColumns> ends{};
  if (UnescapeFields(fields, start, ends)) fresh_.CommitRecord(ends);
}

bool ReadMasterLine(std::string_view line, int32_t row, std::string& text, TArMastData& rec) {
  const std::string_view fields = LineFields(line);
  char number[24];
  const size_t digits = Format4dTo(row, number);
  text.resize(digits + fields.size());
  std::memcpy(text.data(), number, digits);
  std::array<uint32_t, TArMastData::kColumns> ends{};
  if (!UnescapeFields(fields, text.data() + digits, ends)) return false;
  std::array<uint32_t, TArMastData::kColumns> at;
  at[0] = 0;
  at[1] = static_cast<uint32_t>(digits);
  for (int c = 2; c < TArMastData::kColumns; ++c) at[c] = static_cast<uint32_t>(digits) + ends[c];
  rec.AssignWritten(text.data(), at);
  return true;
}

std::string MakeMasterLine(const TArMastd& store, int32_t row) {
  std::string line;
  AppendMasterLine(line, store, row);
  return line;
}

}  // namespace sorami
