// sorami-cli original / export / import: received mail as its server sent it, and folders
// moved to and from other mail programs as mbox files.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "platform/Codepage.h"
#include "shell/MailFiles.h"
#include "views/MessageList.h"

namespace sorami::cli {

namespace {

// A folder named on the command line: its tree node's text ("受信箱(未読)") or its name.
std::string FolderArg(const std::string& utf8) { return NodeFolder(Utf8ToCp932(utf8)); }

}  // namespace

int CliOriginal(AppState& st, const std::vector<std::string>& args) {
  long row = 0;
  if (args.size() != 1 || !ParseIndex(args[0], row)) return kExitUsage;
  st.master.read_only = true;
  if (!ReadStore(st)) return kExitFailed;
  std::string bytes;
  if (row >= st.store.CtMaster() ||
      !st.originals.OfRecord(st.store, static_cast<int32_t>(row), bytes)) {
    PrintError("元のメールはありません"_cp932);
    return kExitFailed;
  }
  return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() ? kExitOk : kExitFailed;
}

int CliExport(AppState& st, const std::vector<std::string>& args) {
  if (args.size() != 2) return kExitUsage;
  st.master.read_only = true;
  if (!ReadStore(st)) return kExitFailed;
  const ExportOutcome out = ExportFolder(st, FolderArg(args[0]), std::filesystem::path(args[1]));
  if (!out.ok) {
    PrintError(out.msg);
    return kExitFailed;
  }
  PrintLine(out.msg);
  std::printf("{\"mails\": %d, \"originals\": %d}\n", out.mails, out.originals);
  return kExitOk;
}

int CliImport(AppState& st, const std::vector<std::string>& args) {
  if (args.size() != 1) return kExitUsage;
  std::string msg;
  if (!ReadMaster(st.master, st.store, msg) && st.master.unread_file_on_disk) {
    PrintError(msg);  // never import into a store whose file could not be read
    return kExitFailed;
  }
  const ImportOutcome out = ImportMailFile(st, std::filesystem::path(args[0]));
  (out.ok ? PrintLine : PrintError)(out.msg);
  std::printf("{\"mails\": %d, \"stored\": %d, \"duplicates\": %d, \"failed\": %d}\n", out.mails,
              out.stored, out.duplicates, out.failed);
  return out.ok ? kExitOk : kExitFailed;
}

}  // namespace sorami::cli
