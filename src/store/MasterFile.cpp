#include "store/MasterFile.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <system_error>
#include <vector>

#include "base/LineReader.h"
#include "base/MbText.h"
#include "platform/AtomicFile.h"
#include "platform/Codepage.h"
#include "store/Folders.h"

namespace sorami {

namespace fs = std::filesystem;

namespace {

std::string CurrentDirText() {
  std::error_code ec;
  return fs::current_path(ec).string();
}

bool Exists(const fs::path& p) {
  std::error_code ec;
  return fs::exists(p, ec);
}

void Remove(const fs::path& p) {
  std::error_code ec;
  fs::remove(p, ec);
}

// Moves a master file that could not be read out of the way, so that the save does not
// overwrite the only copy of the user's messages: "Master.enc" -> "Master.enc.unread-<time>".
void KeepUnreadFile(DiagLog& log, const fs::path& p) {
  if (!Exists(p)) return;
  char stamp[32];
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
  fs::path kept = p;
  kept += std::string(".unread-") + stamp;
  std::error_code ec;
  fs::rename(p, kept, ec);
  log.Log((ec ? "Keep failed : " : "Kept : ") + PathText(kept));
}

// Fills cols[2..23] from one file line (the sequence number before the first TAB is
// dropped). Unescaped values that differ from the line's bytes are kept in scratch.
void ParseMasterLine(std::string_view line,
                     std::array<std::string_view, TArMastData::kColumns>& cols,
                     std::array<std::string, TArMastData::kColumns>& scratch) {
  cols.fill({});
  size_t tab = line.find('\t');
  if (tab == std::string_view::npos) return;
  line.remove_prefix(tab + 1);
  for (int col = 2; col <= 23; ++col) {
    tab = line.find('\t');
    std::string_view field = line.substr(0, tab);
    if (field.find('\x0C') != std::string_view::npos) {
      scratch[col] = UnescapeMasterField(field);
      field = scratch[col];
    }
    cols[col] = field;
    if (tab == std::string_view::npos) break;
    line.remove_prefix(tab + 1);
  }
}

// Whether a line is long enough to be written: at least 8 characters once the bytes at or
// below the space are taken off both ends.
bool WorthWriting(std::string_view line) {
  line = TrimBytes(line);
  return line.size() >= 16 || MbLength(line) >= 8;
}

// The bytes a field cannot hold as they are.
constexpr std::string_view kEscaped("\t\r\n\x0C", 4);

}  // namespace

std::string EscapeMasterField(std::string_view value) {
  std::string out;
  out.reserve(value.size() + 8);
  for (size_t i = 0; i < value.size(); ++i) {
    switch (const char c = value[i]) {
      case '\t':
        out += "\x0C\x08";
        break;
      case '\r':
        if (i + 1 < value.size() && value[i + 1] == '\n') {
          out += "\x0C\x0B";
          ++i;
        } else {
          out += "\x0C\x0E";
        }
        break;
      case '\n':
        out += "\x0C\x0F";
        break;
      case '\x0C':
        out += "\x0C\x0C";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string UnescapeMasterField(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  size_t i = 0;
  while (i < field.size()) {
    const size_t at = field.find('\x0C', i);
    out.append(field.substr(i, at == std::string_view::npos ? std::string_view::npos : at - i));
    if (at == std::string_view::npos) break;
    const char next = at + 1 < field.size() ? field[at + 1] : '\0';
    i = at + 2;
    switch (next) {
      case '\x08':
        out += '\t';
        break;
      case '\x0B':
        out += "\r\n";
        break;
      case '\x0E':
        out += '\r';
        break;
      case '\x0F':
        out += '\n';
        break;
      case '\x0C':
        out += '\x0C';
        break;
      default:  // not an escape: the byte stays
        out += '\x0C';
        i = at + 1;
    }
  }
  return out;
}

fs::path MasterPath(const MasterFiles& mf) { return mf.data_dir / "Master.dat"; }

bool AngoukaDecodeMaster(MasterFiles& mf, const std::string& current_dir, std::string& msg,
                         fs::path& path) {
  mf.log.Log(".AngoukaDecodeMaster: " + PathText(path));
  fs::path enc = path;
  enc.replace_extension(".enc");
  fs::path tmp = path;
  tmp.replace_extension(".tmpppppp");
  const bool has_enc = Exists(enc);
  const bool has_plain = Exists(path);
  if (!has_enc && !has_plain) {
    msg = Utf8ToCp932("メッセージファイル無し :") + PathText(path);
    return false;
  }
  if (has_enc && has_plain) {
    msg = "Delete : " + PathText(path);
    Remove(path);  // the encrypted copy wins
  }
  if (!has_enc) {
    msg = Utf8ToCp932(" 暗号化ファイル無し");
    if (mf.crypto->EncryptFile(path.c_str(), enc.c_str(), current_dir.c_str()) != 0) {
      msg += " False(EncryptFile) :" + PathText(path);
      return false;
    }
    return true;
  }
  if (mf.crypto->DecryptFile(enc.c_str(), tmp.c_str(), current_dir.c_str()) != 0) {
    msg = Utf8ToCp932("暗号復号失敗");
    mf.unread_file_on_disk = true;
    return false;
  }
  path = tmp;
  msg = " end(AngoukaDecodeMaster)";
  return true;
}

bool ReadMaster(MasterFiles& mf, TArMastd& store, std::string& msg) {
  mf.log.Log("ReadMaster");
  const fs::path plain = MasterPath(mf);
  fs::path path = plain;
  mf.log.Log(PathText(path));
  const bool encrypt = mf.encrypt;
  bool read_decrypted = false;
  bool encrypted_now = false;
  mf.unread_file_on_disk = false;
  if (encrypt) {
    try {
      std::string amsg;
      const bool ok = AngoukaDecodeMaster(mf, CurrentDirText(), amsg, path);
      mf.log.Log(ok ? amsg : "False : " + amsg);
      read_decrypted = ok && path != plain;
      encrypted_now = ok && path == plain;
      mf.log.Log("fname: " + PathText(path));
    } catch (...) {
      mf.log.Log(Utf8ToCp932("暗号化エラー"));
    }
  }
  if (!Exists(path)) {
    msg = "Not Found : " + PathText(path);
    return false;
  }
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                       &std::fclose);
  if (!file) {
    msg = "Cannot Read : " + PathText(path);
    mf.unread_file_on_disk = true;
    return false;
  }
  // Read into a fresh table so a failed read leaves the store as it was.
  TArMastd fresh;
  fresh.SetCapacity(store.MastCapacity());
  std::error_code size_ec;
  const auto file_size = fs::file_size(path, size_ec);
  if (!size_ec) fresh.ReserveIndex(static_cast<size_t>(file_size / 256));
  LineReader reader(file.get());
  std::array<std::string_view, TArMastData::kColumns> cols;
  std::array<std::string, TArMastData::kColumns> scratch;
  std::string_view line;
  while (reader.Next(line)) {
    ParseMasterLine(line, cols, scratch);
    if (IsDeletedFolder(cols[ColIndex(MastCol::kFolder)])) continue;
    fresh.Append(cols);
  }
  if (reader.failed()) {
    msg = "Cannot Read : " + PathText(path);
    mf.unread_file_on_disk = true;
    if (read_decrypted) Remove(path);
    return false;
  }
  file.reset();
  if (read_decrypted || encrypted_now) Remove(path);
  fresh.glix = store.glix;
  store = std::move(fresh);
  msg = Utf8ToCp932("読込完了 :") + std::to_string(store.CtMaster()) + Utf8ToCp932(" 件");
  mf.log.Log(msg);
  return true;
}

std::string MakeMasterLine(const TArMastd& store, int32_t row) {
  std::string line = Format4d(static_cast<long>(row) + 1);
  const TArMastData& rec = store.Row(row);
  for (int col = 2; col <= 23; ++col) {
    line += '\t';
    const std::string_view v = rec[col];
    if (v.find_first_of(kEscaped) == std::string_view::npos) {
      line.append(v);
    } else {
      line += EscapeMasterField(v);
    }
  }
  return line;
}

bool AngoukaMaster(MasterFiles& mf, const fs::path& path, std::string& msg) {
  mf.log.Log(".AngoukaMaster: " + PathText(path));
  fs::path enc = path;
  enc.replace_extension(".enc");
  if (mf.unread_file_on_disk) {
    KeepUnreadFile(mf.log, enc);
    mf.unread_file_on_disk = false;
  }
  Remove(enc);
  if (mf.crypto->EncryptFile(path.c_str(), enc.c_str(), CurrentDirText().c_str()) != 0) {
    msg = Utf8ToCp932("暗号化失敗");
    return false;
  }
  Remove(path);
  return true;
}

bool SaveMasterAs(MasterFiles& mf, const TArMastd& store, bool encrypt, std::string& msg) {
  mf.log.Log("SaveMaster");
  std::error_code ec;
  fs::create_directories(mf.data_dir, ec);
  const fs::path path = MasterPath(mf);
  mf.log.Log(PathText(path));
  if (mf.unread_file_on_disk) {
    KeepUnreadFile(mf.log, path);
    if (!encrypt) {
      fs::path enc = path;
      KeepUnreadFile(mf.log, enc.replace_extension(".enc"));
      mf.unread_file_on_disk = false;
    }
  }
  AtomicFileWriter out;
  if (!out.Open(path)) {
    msg = "Cannot Write : " + PathText(path);
    return false;
  }
  long count = 0;
  std::string line;
  for (int32_t row = 0; row < store.CtMaster(); ++row) {
    if (IsDeletedFolder(store.Get(row, MastCol::kFolder))) continue;
    line = MakeMasterLine(store, row);
    if (!WorthWriting(line)) continue;
    line += "\r\n";
    out.Write(line);
    ++count;
  }
  if (!out.Commit()) {
    msg = "Cannot Write : " + PathText(path);
    return false;
  }
  msg = Utf8ToCp932("保存完了 :") + std::to_string(count) + Utf8ToCp932(" 件");
  mf.log.Log(msg);
  if (!encrypt) return true;
  try {
    std::string amsg;
    if (!AngoukaMaster(mf, path, amsg)) {
      msg = amsg;
      return false;
    }
  } catch (...) {
    mf.log.Log(Utf8ToCp932("暗号化エラー"));
  }
  return true;
}

bool SaveMaster(MasterFiles& mf, const TArMastd& store, std::string& msg) {
  return SaveMasterAs(mf, store, mf.encrypt, msg);
}

void AddMaster(TArMastd& store, DiagLog& log, bool /*flag*/, const MastFields& fields) {
  log.Log(".AddMaster");
  std::array<std::string_view, TArMastData::kColumns> cols{};
  for (int col = 1; col <= 23; ++col) cols[col] = fields[col];
  store.Append(cols);
}

bool ExistsMaster(const TArMastd& store, DiagLog& log, const MastFields& fields) {
  if (!store.Exists(fields[MastCol::kDate], fields[MastCol::kSender], fields[MastCol::kSenderSite],
                    fields[MastCol::kServerNo])) {
    return false;
  }
  log.Log(Utf8ToCp932("取得済み ") + fields[MastCol::kDate]);
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
