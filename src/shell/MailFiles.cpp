#include "shell/MailFiles.h"

namespace sorami {

ExportOutcome ExportFolder(AppState& st, std::string_view folder,
                           const std::filesystem::path& file) {
  return ExportMbox(st.store, st.originals, folder, file);
}

ImportOutcome ImportMailFile(AppState& st, const std::filesystem::path& file) {
  BusyGuard guard(st.busy);
  if (!guard.acquired()) {
    ImportOutcome out;
    out.msg = BusyMessage();
    return out;
  }
  MailDrop drop{st.store, st.log, st.paths.DataDir(), st.paths.AttachDir(), nullptr, &st.originals};
  return ImportMbox(drop, st.master, file);
}

std::string MailFileOf(AppState& st, int32_t row) {
  return RecordAsMail(st.store, st.originals, row);
}

}  // namespace sorami
