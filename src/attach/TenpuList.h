// The rows of the attachment window and the send attachment list they feed. Rows list either
// the attachments of a shown message (files of the attachment directory) or local files
// collected to go out with the next site send; the send list holds the full paths of the
// latter, in row order.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/DiagLog.h"
#include "store/MastStore.h"

namespace sorami {

struct TenpuRow {
  std::string name;  // the bare file name (the list's caption)
  std::string
      detail;  // "メッセージ", "メール", "送信済み", or the full path of a local file to send
  bool local = false;          // a local file collected to send (detail is its path)
  std::filesystem::path file;  // a local file's real path, whatever its name
  bool missing = false;        // a received file not (yet) in the attachment directory
};

class TenpuList {
 public:
  // send_list: the send attachment list, owned by the application state.
  TenpuList(DiagLog& log, std::filesystem::path attach_dir,
            std::vector<std::filesystem::path>& send_list);

  const std::vector<TenpuRow>& rows() const { return rows_; }
  const std::vector<std::filesystem::path>& send_list() const { return send_list_; }
  const std::filesystem::path& attach_dir() const { return attach_dir_; }

  // A record: every file it lists, those missing from the attachment directory marked; a sent
  // copy lists the names it went out with ("送信済み"; the files stay where they were). True
  // when there is at least one and none is missing.
  bool ShowTenpu(const TArMastd& store, int32_t row);
  // Lists given names (the attachments of a mail) with a detail text, replacing the rows.
  void ShowNames(const std::vector<std::string>& names, std::string_view detail);
  // Adds a local file to the rows and to the send list.
  void SetTenpuFile(const std::filesystem::path& path);
  // Removes the rows at the given positions (any order, duplicates ignored); true when the row
  // count changed. The send list is left as it is.
  bool TenpuSakujo(std::vector<int> selected);
  // The rows are the files of the send list, as composing shows them.
  void ShowSendList();
  // The send list again from the local files of the rows, in row order.
  void RebuildSendList();
  // No rows and an empty send list.
  void Clear();

  // The file a row stands for: a local file's own path, else the name in the attachment
  // directory (made a plain name there, whatever the list says).
  std::filesystem::path FileOf(int row) const;

 private:
  DiagLog& log_;
  std::filesystem::path attach_dir_;
  std::vector<std::filesystem::path>& send_list_;
  std::vector<TenpuRow> rows_;
};

// The attachment names of a mail record's attachments column: the ";"-separated names after
// "MailTenpu", trimmed, empty ones left out. None when the column lacks "MailTenpu".
std::vector<std::string> MailTenpuNames(std::string_view column);

// One attachment of a record, as the window would list it, and where its file is.
struct RecordFile {
  TenpuRow row;
  std::filesystem::path path;
  bool exists = false;
};

// Every attachment a record names: a mail's ("MailTenpu;..."), detail "メール", a sent copy's
// (","-separated), detail "送信済み", or a site message's (","-separated), detail "メッセージ";
// missing files included.
std::vector<RecordFile> RecordTenpu(const TArMastd& store, int32_t row,
                                    const std::filesystem::path& attach_dir);

// Copies an attachment to a chosen path for "名前をつけて保存する". The copy is written beside
// the target and renamed over it, so an existing target stays whole when the copy fails, and a
// target that is the attachment itself is left alone. msg: "保存完了:" or "保存失敗:" and the
// target.
bool SaveTenpuCopy(const std::filesystem::path& from, const std::filesystem::path& to,
                   std::string& msg);

}  // namespace sorami
