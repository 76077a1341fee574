#include "store/MasterFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <system_error>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "base/MbText.h"
#include "platform/AtomicFile.h"
#include "platform/Codepage.h"
#include "store/Folders.h"

namespace sorami {

namespace fs = std::filesystem;

namespace {

void Remove(const fs::path& p) {
  std::error_code ec;
  fs::remove(p, ec);
}

// Moves a master file out of the way so that no save overwrites it: one that could not be
// read ("Master.enc" -> "Master.enc.unread-<time>"), or the older of two ("...older-<time>").
void KeepAside(DiagLog& log, const fs::path& p, std::string_view why) {
  if (!PathExists(p)) return;
  fs::path kept;
  const bool moved = sorami::KeepAside(p, why, kept);
  log.Log((moved ? "Kept : " : "Keep failed : ") + PathText(kept));
}

// Whether a line is long enough to be written: at least 8 characters once the bytes at or
// below the space are taken off both ends.
bool WorthWriting(std::string_view line) {
  line = TrimBytes(line);
  return line.size() >= 16 || MbLength(line) >= 8;
}

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

// Appends the file line of one row, without its line end.
void AppendMasterLine(std::string& out, const TArMastd& store, int32_t row) {
  out += Format4d(static_cast<long>(row) + 1);
  const TArMastData& rec = store.Row(row);
  for (int col = 2; col <= 23; ++col) {
    out += '\t';
    AppendEscaped(out, rec[col]);
  }
}

}  // namespace

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

fs::path MasterPath(const MasterFiles& mf) { return mf.data_dir / "Master.dat"; }

namespace {

fs::path EncPath(const MasterFiles& mf) { return mf.data_dir / "Master.enc"; }

fs::file_time_type ModTime(const fs::path& p) {
  std::error_code ec;
  const auto t = fs::last_write_time(p, ec);
  return ec ? fs::file_time_type::min() : t;
}

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

// Reads the bytes of a master file, a chunk at a time as they come from the file or from the
// decryption, into a fresh table: a line within a chunk is read where it stands, only a line
// across two chunks is gathered. A line ends at LF (a CR before it is dropped); a last line
// without one counts.
class MasterParser {
 public:
  MasterParser(TArMastd& fresh, size_t size_hint, int32_t capacity) : fresh_(fresh) {
    fresh_.SetCapacity(capacity);
    // Records of a store run to a few hundred bytes each: a generous guess of their number
    // lets the table fill without regrowing (a guess too large costs only address space).
    fresh_.Reserve(size_hint / 256);
    // The duplicate index is made once the records are in, sized for their number.
    fresh_.HoldIndex();
  }
  void Feed(std::string_view chunk) {
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
  void Finish() {
    if (!carry_.empty()) Line(carry_);
    carry_.clear();
    fresh_.BuildIndex();
  }

 private:
  // A record from one line, unescaped straight into the store's text; a record of a deleted
  // folder is not kept.
  void Line(std::string_view line) {
    const std::string_view fields = LineFields(line);
    char* const start = fresh_.OpenRecord(fields.size());
    std::array<uint32_t, TArMastData::kColumns> ends{};
    if (UnescapeFields(fields, start, ends)) fresh_.CommitRecord(ends);
  }

  TArMastd& fresh_;
  std::string carry_;
};

using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// "保存失敗 : " with why the system refused (errno, in its untranslated text: a plain ASCII
// reason whatever the locale), or `fallback` when it gave none, and the file.
std::string SaveFailure(int err, std::string_view fallback, const fs::path& path) {
  const char* why = err != 0 ? strerrordesc_np(err) : nullptr;
  return "保存失敗 : "_cp932 + (why ? std::string(why) : std::string(fallback)) + " (" +
         PathText(path) + ")";
}

}  // namespace

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

bool ReadMaster(MasterFiles& mf, TArMastd& store, std::string& msg) {
  mf.log.Log("ReadMaster");
  const fs::path plain = MasterPath(mf);
  const fs::path enc = EncPath(mf);
  mf.log.Log(PathText(plain));
  mf.unread_file_on_disk = false;
  const bool has_plain = PathExists(plain);
  const bool has_enc = PathExists(enc);
  if (!has_plain && !has_enc) {
    msg = "Not Found : " + PathText(plain);
    return false;
  }
  // Both on disk (a text save, then a crash or an exit without saving): the newer one is
  // read and the other kept aside, never deleted unread.
  const bool use_enc = has_enc && (!has_plain || ModTime(enc) >= ModTime(plain));
  if (has_plain && has_enc && !mf.read_only) KeepAside(mf.log, use_enc ? plain : enc, "older");

  // Read into a fresh table so a failed read leaves the store as it was.
  TArMastd fresh;
  const fs::path& path = use_enc ? enc : plain;
  std::error_code ec;
  const auto size = fs::file_size(path, ec);
  MasterParser parser(fresh, ec ? 0 : static_cast<size_t>(size), store.MastCapacity());
  bool parsed = false;
  if (use_enc) {
    // Decrypted a chunk at a time into the table: the plain text is never whole in memory.
    if (!mf.crypto || !mf.crypto->DecryptToSink(enc, [&parser](std::string_view chunk) {
          parser.Feed(chunk);
          return true;
        })) {
      msg = "暗号復号失敗"_cp932;
      mf.log.Log(msg);
      mf.unread_file_on_disk = true;
      return false;
    }
    parsed = true;
  } else if (FilePtr file(std::fopen(plain.c_str(), "rb"), &std::fclose); file) {
    std::vector<char> buf(size_t{256} << 10);  // large enough for few reads, small beside the store
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), file.get())) > 0) {
      parser.Feed(std::string_view(buf.data(), n));
    }
    parsed = std::ferror(file.get()) == 0;
  }
  parser.Finish();
  if (!parsed) {
    msg = "Cannot Read : " + PathText(path);
    mf.unread_file_on_disk = true;
    return false;
  }
  // A plain store read while encryption is on is encrypted now; the plain file goes only
  // once its encrypted copy is written.
  if (!use_enc && mf.encrypt && !mf.read_only && mf.crypto) {
    if (mf.crypto->EncryptFile(plain.c_str(), enc.c_str(), "") == 0) {
      Remove(plain);
    } else {
      mf.log.Log("暗号化失敗"_cp932);
    }
  }
  store = std::move(fresh);
  msg = "読込完了 :"_cp932 + std::to_string(store.CtMaster()) + " 件"_cp932;
  mf.log.Log(msg);
  return true;
}

std::string MakeMasterLine(const TArMastd& store, int32_t row) {
  std::string line;
  AppendMasterLine(line, store, row);
  return line;
}

bool SaveMasterAs(MasterFiles& mf, const TArMastd& store, bool encrypt, std::string& msg) {
  mf.log.Log("SaveMaster");
  std::error_code ec;
  fs::create_directories(mf.data_dir, ec);
  const fs::path plain = MasterPath(mf);
  const fs::path enc = EncPath(mf);
  const fs::path& path = encrypt ? enc : plain;
  mf.log.Log(PathText(path));
  if (mf.unread_file_on_disk) {
    // A master file that could not be read is the only copy of those messages.
    KeepAside(mf.log, plain, "unread");
    KeepAside(mf.log, enc, "unread");
    mf.unread_file_on_disk = false;
  }
  // The lines go to the file as they are made, in batches: a plain file, or encrypted a chunk
  // at a time (straight from memory into a temporary file beside Master.enc, then renamed: no
  // plain copy of an encrypted store is ever written, nor its whole text held).
  AtomicFileWriter out;
  std::unique_ptr<EncryptedWriter> sealed;
  errno = 0;
  if (encrypt ? !mf.crypto || !(sealed = mf.crypto->OpenEncrypted(enc)) : !out.Open(plain)) {
    msg = SaveFailure(errno, encrypt ? "暗号化失敗"_cp932 : "Cannot Write", path);
    mf.log.Log(msg);
    return false;
  }
  constexpr size_t kBatch = 256 * 1024;
  std::string batch;
  batch.reserve(kBatch + 4096);
  auto flush = [&] {
    const bool ok = encrypt ? sealed->Write(batch) : out.Write(batch);
    batch.clear();
    return ok;
  };
  long count = 0;
  bool written = true;
  for (int32_t row = 0; row < store.CtMaster() && written; ++row) {
    if (IsDeletedFolder(store.Get(row, MastCol::kFolder))) continue;
    const size_t start = batch.size();
    AppendMasterLine(batch, store, row);
    if (!WorthWriting(std::string_view(batch).substr(start))) {
      batch.resize(start);
      continue;
    }
    batch += "\r\n";
    ++count;
    if (batch.size() >= kBatch) written = flush();
  }
  written = flush() && written;
  if (encrypt) {
    if (!sealed->Commit() || !written) {  // Commit after a failed write sets errno to its cause
      msg = SaveFailure(errno, "暗号化失敗"_cp932, enc);
      mf.log.Log(msg);
      return false;
    }
    Remove(plain);  // a plain copy left by a text save holds nothing the store lacks
  } else if (!out.Commit()) {
    msg = SaveFailure(errno, "Cannot Write", plain);
    mf.log.Log(msg);
    return false;
  }
  msg = "保存完了 :"_cp932 + std::to_string(count) + " 件"_cp932;
  mf.log.Log(msg);
  return true;
}

bool SaveMaster(MasterFiles& mf, const TArMastd& store, std::string& msg) {
  return SaveMasterAs(mf, store, mf.encrypt, msg);
}

bool FileRecord(MasterFiles& mf, TArMastd& store,
                const std::array<std::string, TArMastData::kColumns>& record, std::string& msg) {
  std::array<std::string_view, TArMastData::kColumns> cols;
  for (size_t i = 0; i < cols.size(); ++i) cols[i] = record[i];
  store.Append(cols);
  if (SaveMaster(mf, store, msg)) return true;
  mf.log.Log(msg);
  return false;
}

void AddMaster(TArMastd& store, DiagLog& log, bool /*flag*/, const MastFields& fields) {
  log.Log(".AddMaster");
  std::array<std::string_view, TArMastData::kColumns> cols{};
  for (int col = 1; col <= 23; ++col) cols[col] = fields[col];
  store.Append(cols);
}

bool ExistsMaster(const TArMastd& store, DiagLog& log, const MastFields& fields) {
  if (!store.Exists({fields[MastCol::kDate], fields[MastCol::kSender], fields[MastCol::kSenderSite],
                     fields[MastCol::kServerNo], fields[MastCol::kTo], fields[MastCol::kTitle],
                     fields[MastCol::kBody]})) {
    return false;
  }
  log.Log("取得済み "_cp932 + fields[MastCol::kDate]);
  return true;
}

void MastDisp(const TArMastd& store, DiagLog& log) {
  log.Log("CtMaster:" + std::to_string(store.CtMaster()));
  char head[48];
  for (int32_t row = 0; row < store.CtMaster(); ++row) {
    log.Log("");
    for (int col = 0; col <= 23; ++col) {
      std::snprintf(head, sizeof head, "ArMast[%2.2d,%2.2d]:", row, col);
      log.Log(head + std::string(store.Get(row, col)));
    }
  }
}

}  // namespace sorami
