#include "store/MasterFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <system_error>
#include <vector>

#include "base/MbText.h"
#include "platform/AtomicFile.h"
#include "platform/Codepage.h"
#include "store/Folders.h"
#include "store/MasterLine.h"

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

}  // namespace

fs::path MasterPath(const MasterFiles& mf) { return mf.data_dir / "Master.dat"; }

namespace {

fs::path EncPath(const MasterFiles& mf) { return mf.data_dir / "Master.enc"; }

fs::file_time_type ModTime(const fs::path& p) {
  std::error_code ec;
  const auto t = fs::last_write_time(p, ec);
  return ec ? fs::file_time_type::min() : t;
}

using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// "保存失敗 : " with why the system refused (errno, in its untranslated text: a plain ASCII
// reason whatever the locale), or `fallback` when it gave none, and the file.
std::string SaveFailure(int err, std::string_view fallback, const fs::path& path) {
  const char* why = err != 0 ? strerrordesc_np(err) : nullptr;
  return "保存失敗 : "_cp932 + (why ? std::string(why) : std::string(fallback)) + " (" +
         PathText(path) + ")";
}

}  // namespace

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
