// sorami-cli send / addresses: the compose window's send and draft buttons, and the address
// list, for scripts. Texts on the command line and in body files are UTF-8.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/Json.h"
#include "compose/Addresses.h"
#include "compose/SendList.h"
#include "compose/Unwritable.h"
#include "platform/AtomicFile.h"
#include "platform/Codepage.h"
#include "shell/Soushin.h"
#include "store/MasterFile.h"

namespace sorami::cli {

namespace {

bool InTable(const auto& table, const std::string& name) {
  for (const CodeName& e : table) {
    if (e.name == name) return true;
  }
  return false;
}

// The compose fields from the options; false on a usage error (error names it).
bool TakeFields(const std::vector<std::string>& args, ComposeFields& f,
                std::vector<std::filesystem::path>& attach, bool& draft, std::string& error,
                std::vector<std::string>& lost) {
  f.kankei = "知人"_cp932;
  f.shubetsu = "一般連絡"_cp932;
  bool to = false, title = false, body = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--auto-kankei") {
      f.auto_kankei = true;
      continue;
    }
    if (a == "--draft") {
      draft = true;
      continue;
    }
    if (i + 1 >= args.size()) {
      error = a + " needs a value";
      return false;
    }
    const std::string v = args[++i];
    if (a == "--to") {
      f.to = TextOption(v, lost);
      to = true;
    } else if (a == "--cc") {
      f.cc = TextOption(v, lost);
    } else if (a == "--bcc") {
      f.bcc = TextOption(v, lost);
    } else if (a == "--title") {
      f.title = TextOption(v, lost);
      title = true;
    } else if (a == "--body" && !body) {
      f.body = TextOption(v, lost);
      body = true;
    } else if (a == "--body-file" && !body) {
      std::string bytes;
      if (!ReadWholeFile(v, bytes)) {
        error = "cannot read " + v;
        return false;
      }
      f.body = TextOption(bytes, lost);
      body = true;
    } else if (a == "--kankei") {
      f.kankei = Utf8ToCp932(v);
      if (!InTable(RelationTable(), f.kankei)) error = "unknown relation " + v;
    } else if (a == "--shubetsu") {
      f.shubetsu = Utf8ToCp932(v);
      if (!InTable(CategoryTable(), f.shubetsu)) error = "unknown category " + v;
    } else if (a == "--attach") {
      attach.push_back(std::filesystem::absolute(v));  // the path as given, whatever its name
    } else {
      error = "unknown option " + a;
    }
    if (!error.empty()) return false;
  }
  if (!to || !title || !body) error = "--to, --title and --body or --body-file are needed";
  return error.empty();
}

int Send(AppState& st, const std::vector<std::string>& args) {
  ComposeFields f;
  std::vector<std::filesystem::path> attach;
  bool draft = false;
  std::string error;
  std::vector<std::string> lost;
  if (!TakeFields(args, f, attach, draft, error, lost)) {
    std::fprintf(stderr, "sorami-cli send: %s\n", error.c_str());
    return kExitUsage;
  }
  PrintUnwritable(lost);
  std::string msg;
  // Never file a message into a store whose file could not be read: the save would lose it.
  if (!ReadMaster(st.master, st.store, msg) && st.master.unread_file_on_disk) {
    PrintError(msg);
    return kExitFailed;
  }
  st.site.send_attachments = attach;
  return RunCompose(st, f, draft);
}

// The address list for a command; a file that is there but cannot be read stops it.
bool ReadAddressList(AppState& st) {
  std::string msg;
  if (ReadSendList(st.send_list, st.paths.DataDir(), st.log, msg) ||
      !PathExists(st.paths.DataDir() / "SendList.dat")) {
    return true;
  }
  PrintError(msg);
  return false;
}

int Addresses(AppState& st) {
  if (!ReadAddressList(st)) return kExitFailed;
  for (const AddressEntry& e : st.send_list) {
    std::printf("{\"name\":%s,\"address\":%s,\"relation\":%s}\n", JsonText(e.name).c_str(),
                JsonText(e.address).c_str(), JsonText(e.relation).c_str());
  }
  return kExitOk;
}

}  // namespace

int RunCompose(AppState& st, ComposeFields& fields, bool draft) {
  if (!ReadAddressList(st)) return kExitFailed;
  const SendReport r =
      draft ? DraftButton(st, fields) : SendButton(st, DirectMailRoute(st), fields);
  for (const std::string& s : r.compose_status) (r.ok && !r.partial ? PrintLine : PrintError)(s);
  if (!r.ok && !r.unknown) return kExitFailed;
  // The send or draft saved the store as it filed the record; only the address list is left.
  std::string msg = r.save_error;
  if (!r.saved || !SaveSendList(st.send_list, st.paths.DataDir(), st.log, msg)) {
    PrintError(msg);
    return kExitFailed;
  }
  return r.unknown || r.partial ? kExitUnknown : kExitOk;
}

int CliSend(AppState& st, const std::vector<std::string>& args) { return Send(st, args); }

std::string TextOption(std::string_view utf8, std::vector<std::string>& lost) {
  for (std::string& ch : UnwritableChars(utf8)) {
    if (std::find(lost.begin(), lost.end(), ch) == lost.end()) lost.push_back(std::move(ch));
  }
  return Utf8ToCp932(utf8);
}

void PrintUnwritable(const std::vector<std::string>& lost) {
  if (!lost.empty()) std::fprintf(stderr, "%s\n", UnwritableNotice(lost).c_str());
}

int CliAddresses(AppState& st, const std::vector<std::string>& args) {
  return args.empty() ? Addresses(st) : kExitUsage;
}

}  // namespace sorami::cli
