#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "cli/Commands.h"
#include "cli/Json.h"
#include "store/MastStore.h"
#include "store/MasterFile.h"

namespace sorami::cli {

namespace {

int Stats(AppState& st) {
  std::string msg;
  if (!ReadMaster(st.master, st.store, msg)) {
    PrintError(msg);
    return kExitFailed;
  }
  // Folders in the order they first appear in the store.
  std::vector<std::pair<std::string_view, long>> folders;
  for (int32_t row = 0; row < st.store.CtMaster(); ++row) {
    const std::string_view f = st.store.Get(row, MastCol::kFolder);
    auto it = folders.begin();
    while (it != folders.end() && it->first != f) ++it;
    if (it == folders.end()) {
      folders.emplace_back(f, 1);
    } else {
      ++it->second;
    }
  }
  std::string out = "{\"message\": " + JsonText(msg) +
                    ", \"count\": " + std::to_string(st.store.CtMaster()) + ", \"folders\": {";
  for (size_t i = 0; i < folders.size(); ++i) {
    if (i > 0) out += ", ";
    out += JsonText(folders[i].first) + ": " + std::to_string(folders[i].second);
  }
  out += "}}";
  std::puts(out.c_str());
  return kExitOk;
}

int Resave(AppState& st) {
  std::string msg;
  if (!ReadMaster(st.master, st.store, msg)) {
    PrintError(msg);  // nothing is saved over a master file that was not read
    return kExitFailed;
  }
  PrintLine(msg);
  const bool saved = SaveMaster(st.master, st.store, msg);
  (saved ? PrintLine : PrintError)(msg);
  return saved ? kExitOk : kExitFailed;
}

int Dump(AppState& st) {
  std::string msg;
  if (!ReadMaster(st.master, st.store, msg)) {
    PrintError(msg);
    return kExitFailed;
  }
  std::string out;
  for (int32_t row = 0; row < st.store.CtMaster(); ++row) {
    out = "{\"row\": " + std::to_string(row) + ", \"cols\": [";
    for (int col = 0; col < TArMastData::kColumns; ++col) {
      if (col > 0) out += ", ";
      out += JsonText(st.store.Get(row, col));
    }
    out += "]}\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
  }
  return kExitOk;
}

}  // namespace

int CliMaster(AppState& st, const std::vector<std::string>& args) {
  if (args.size() != 1) return kExitUsage;
  // stats and dump only look: no file is encrypted, renamed or removed.
  st.master.read_only = args[0] == "stats" || args[0] == "dump";
  if (args[0] == "stats") return Stats(st);
  if (args[0] == "resave") return Resave(st);
  if (args[0] == "dump") return Dump(st);
  return kExitUsage;
}

}  // namespace sorami::cli
