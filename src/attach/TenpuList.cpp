#include "attach/TenpuList.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <system_error>

#include "base/MbText.h"
#include "platform/AtomicFile.h"
#include "platform/Codepage.h"
#include "store/AttachNames.h"
#include "store/Folders.h"

namespace sorami {

namespace fs = std::filesystem;

TenpuList::TenpuList(DiagLog& log, fs::path attach_dir, std::vector<fs::path>& send_list)
    : log_(log), attach_dir_(std::move(attach_dir)), send_list_(send_list) {}

bool TenpuList::ShowTenpu(const TArMastd& store, int32_t row) {
  rows_.clear();
  if (row < 0 || row >= store.CtMaster()) return false;
  const bool sent = store.Get(row, MastCol::kFolder) == FolderName(Folder::kSent);
  bool all = true;
  for (RecordFile& f : RecordTenpu(store, row, attach_dir_)) {
    f.row.missing = !sent && !f.exists;
    all = all && !f.row.missing;
    rows_.push_back(std::move(f.row));
  }
  return all && !rows_.empty();
}

void TenpuList::ShowNames(const std::vector<std::string>& names, std::string_view detail) {
  rows_.clear();
  for (const std::string& n : names) {
    rows_.push_back({SafeAttachmentName(n), std::string(detail), false, {}});
  }
}

void TenpuList::SetTenpuFile(const fs::path& path) {
  log_.Log("SetTenpuFile");
  rows_.push_back({PathText(path.filename()), PathText(path), true, path});
  send_list_.push_back(path);
}

bool TenpuList::TenpuSakujo(std::vector<int> selected) {
  log_.Log("TenpuSakujo");
  std::sort(selected.begin(), selected.end());
  selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
  const size_t before = rows_.size();
  for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
    if (*it >= 0 && static_cast<size_t>(*it) < rows_.size()) rows_.erase(rows_.begin() + *it);
  }
  return rows_.size() != before;
}

void TenpuList::ShowSendList() {
  rows_.clear();
  for (const fs::path& p : send_list_)
    rows_.push_back({PathText(p.filename()), PathText(p), true, p});
}

void TenpuList::RebuildSendList() {
  send_list_.clear();
  for (const TenpuRow& r : rows_) {
    if (r.local) send_list_.push_back(r.file);
  }
}

void TenpuList::Clear() {
  rows_.clear();
  send_list_.clear();
}

fs::path TenpuList::FileOf(int row) const {
  const TenpuRow& r = rows_.at(static_cast<size_t>(row));
  return r.local ? r.file : attach_dir_ / FsPath(SafeAttachmentName(r.name));
}

std::vector<std::string> MailTenpuNames(std::string_view column) {
  std::vector<std::string> out;
  constexpr std::string_view kMark = "MailTenpu";
  const size_t at = column.find(kMark);
  if (at == std::string_view::npos) return out;
  std::string_view rest = column.substr(at + kMark.size());
  std::string_view piece;
  while (!rest.empty()) {
    CutBytes(";", rest, piece);
    piece = TrimBytes(piece);
    if (!piece.empty()) out.emplace_back(piece);
  }
  return out;
}

std::vector<RecordFile> RecordTenpu(const TArMastd& store, int32_t row,
                                    const fs::path& attach_dir) {
  std::vector<RecordFile> out;
  if (row < 0 || row >= store.CtMaster()) return out;
  const std::string_view column = store.Get(row, MastCol::kAttachments);
  const bool mail = store.Get(row, MastCol::kCategory) == MailCategory();
  const bool sent = store.Get(row, MastCol::kFolder) == FolderName(Folder::kSent);
  std::vector<std::string> names;
  if (mail && !sent) {
    names = MailTenpuNames(column);
  } else {
    std::string rest(column);
    std::string name;
    while (!rest.empty()) {
      SplitToken(",", rest, name);
      if (!name.empty()) names.push_back(name);
    }
  }
  for (const std::string& n : names) {
    RecordFile f;
    f.row = {SafeAttachmentName(n),
             sent   ? "送信済み"_cp932
             : mail ? "メール"_cp932
                    : "メッセージ"_cp932,
             false,
             {}};
    f.path = attach_dir / FsPath(f.row.name);
    f.exists = PathExists(f.path);
    out.push_back(std::move(f));
  }
  return out;
}

bool SaveTenpuCopy(const fs::path& from, const fs::path& to, std::string& msg) {
  std::error_code ec;
  if (fs::equivalent(from, to, ec)) {  // saving the attachment onto itself: nothing to do
    msg = "保存完了:"_cp932 + PathText(to);
    return true;
  }
  bool ok = false;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(from.c_str(), "rb"), std::fclose);
  AtomicFileWriter out;
  if (in && out.Open(to)) {
    ok = true;
    char buf[64 * 1024];
    for (size_t n; ok && (n = std::fread(buf, 1, sizeof buf, in.get())) > 0;) {
      ok = out.Write(std::string_view(buf, n));
    }
    ok = ok && !std::ferror(in.get()) && out.Commit();
  }
  msg = (ok ? "保存完了:"_cp932 : "保存失敗:"_cp932) + PathText(to);
  return ok;
}

}  // namespace sorami
