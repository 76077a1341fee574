// sorami-cli search / folders / move: finding messages and filing them into folders, with the
// routines of the search window and of the list's "フォルダ変更" menu.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/Json.h"
#include "platform/AtomicFile.h"
#include "platform/Codepage.h"
#include "platform/IniStore.h"
#include "store/Folders.h"
#include "store/MasterFile.h"
#include "store/StoreOps.h"
#include "store/UserFolders.h"
#include "views/HelpFiles.h"
#include "views/HelpText.h"
#include "views/MessageList.h"
#include "views/Search.h"
#include "views/SearchFile.h"

namespace sorami::cli {

namespace {

std::vector<UserFolder> ReadFolders(AppState& st) {
  std::vector<UserFolder> folders;
  std::string msg;
  ReadUserFolder(folders, st.paths.DataDir(), st.log, msg);
  return folders;
}

// The folder a "フォルダ変更" item moves to: a system folder but the root and the wastebasket
// ("受信箱(未読)" read as "受信箱"), or one of the first nine user folders.
bool MenuFolder(AppState& st, const std::string& text, std::string& folder) {
  folder = NodeFolder(text);
  for (Folder f :
       {Folder::kInbox, Folder::kRead, Folder::kSent, Folder::kDraft, Folder::kImportant}) {
    if (folder == FolderName(f)) return true;
  }
  const std::vector<UserFolder> folders = ReadFolders(st);
  for (size_t k = 0; k < folders.size() && k < kUserFolderSlots; ++k) {
    if (folders[k].name == text) {
      folder = text;
      return true;
    }
  }
  return false;
}

}  // namespace

int CliSearch(AppState& st, const std::vector<std::string>& args) {
  SearchMode mode = SearchMode::kAnd;
  std::string text;
  for (const std::string& a : args) {
    if (a == "--or") {
      mode = SearchMode::kOr;
    } else {
      text += Utf8ToCp932(a) + " ";
    }
  }
  if (SearchKeywords(text).empty()) return kExitUsage;
  st.master.read_only = true;
  // The store is searched straight from its file: only the lines holding the keywords are
  // read as records. The rows go out in batches as they are found.
  std::string out;
  auto flush = [&out] {
    std::fwrite(out.data(), 1, out.size(), stdout);
    out.clear();
  };
  SearchResult found;
  const FileSearch how = KensakuFile(
      st.master, st.log, text, mode,
      [&](int32_t row, const TArMastData& rec) {
        AppendListRow(out, rec, row);
        if (out.size() >= (1 << 16)) flush();
      },
      found);
  if (how != FileSearch::kNotScanned) {
    if (how == FileSearch::kFailed) {
      PrintError(found.msg);
      return kExitFailed;
    }
    flush();
    PrintError(found.msg);
    return kExitOk;
  }
  if (!ReadStore(st)) return kExitFailed;
  const SearchResult r = KensakuJikkou(st.store, st.log, text, mode);
  MessageList list;
  list.SetRows(r.rows);
  PrintListRows(st.store, list);
  PrintError(r.msg);
  return kExitOk;
}

int CliFolders(AppState& st, const std::vector<std::string>& args) {
  if (!args.empty()) return kExitUsage;
  const std::vector<UserFolder> folders = ReadFolders(st);
  for (size_t i = 0; i < folders.size(); ++i) {
    const std::string line = "{\"index\": " + std::to_string(i) +
                             ", \"name\": " + JsonText(folders[i].name) +
                             ", \"enabled\": " + (folders[i].enabled ? "true" : "false") + "}\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
  return kExitOk;
}

int CliMove(AppState& st, const std::vector<std::string>& args) {
  if (args.size() != 2) return kExitUsage;
  long row = 0;
  try {
    row = std::stol(args[0]);
  } catch (...) {
    return kExitUsage;
  }
  std::string folder;
  if (!MenuFolder(st, Utf8ToCp932(args[1]), folder)) {
    PrintError("no such folder in the menu: "_cp932 + Utf8ToCp932(args[1]));
    return kExitFailed;
  }
  if (!ReadStore(st)) return kExitFailed;
  if (row < 0 || row >= st.store.CtMaster()) {
    PrintError("no record " + std::to_string(row));
    return kExitFailed;
  }
  const bool moved = ChangeFolder(st.store, st.log, static_cast<int32_t>(row), folder);
  std::string msg;
  if (moved && !SaveMaster(st.master, st.store, msg)) {
    PrintError(msg);
    return kExitFailed;
  }
  const std::string out = "{\"moved\": " + std::string(moved ? "true" : "false") +
                          ", \"folder\": " + JsonText(folder) + "}\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
  return kExitOk;
}

int CliHelp(AppState& st, const std::vector<std::string>& args) {
  if (args.size() != 1) return kExitUsage;
  std::string doc_root =
      st.registry.Open(kCommonKey).ReadString("Setting", "fmKairo.glDocRoot", st.doc_root);
  const auto file =
      ResolveHelpFile(doc_root, st.help_dir, st.paths.app_dir, Utf8ToCp932(args[0]), st.log);
  std::string rtf;
  if (!ReadWholeFile(file, rtf)) {
    PrintError("Cannot Read:" + PathText(file));
    return kExitFailed;
  }
  const std::string out = "{\"path\": " + JsonText(PathText(file)) +
                          ", \"text\": " + JsonText(HelpPlainText(ReadHelpRtf(rtf))) + "}\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
  return kExitOk;
}

}  // namespace sorami::cli
