// libFuzzer targets of the data files the program reads back (each built as its own program,
// chosen by FUZZ_FILE): whatever a damaged or hostile file holds, its reader neither crashes nor
// gives what its writer would not give back unchanged.
#include "FuzzFiles.h"
#include "compose/SendList.h"
#include "platform/IniStore.h"
#include "settings/Settei.h"
#include "settings/SettingPasswords.h"
#include "store/MasterFile.h"
#include "store/UserFolders.h"

namespace sorami::fuzz {
namespace {

// The master file, unencrypted, as the store reads it; each record written back as a line.
void MasterFile(std::string_view bytes) {
  PutFile("Master.dat", bytes);
  DiagLog log;
  TArMastd store;
  MasterFiles mf{Scratch(), nullptr, log};
  mf.encrypt = false;
  mf.read_only = true;
  std::string msg;
  if (!ReadMaster(mf, store, msg)) return;
  for (int32_t r = 0; r < store.CtMaster(); ++r) {
    if (MakeMasterLine(store, r).empty()) Broken();
  }
  if (UnescapeMasterField(EscapeMasterField(bytes)) != bytes) Broken();
}

// An INI file of the settings store: read, written back and read again the same.
void Ini(std::string_view bytes) {
  const auto path = PutFile("settings.ini", bytes);
  IniStore ini(path);
  const std::string name = ini.ReadString("Setting", "Name", "def");
  const long n = ini.ReadInteger("Setting", "Count", 7);
  ini.ReadBool("Setting", "Flag", false);
  long parsed = 0;
  ParseInteger(bytes, parsed);
  if (!ini.Save()) return;
  const IniStore again(path);
  if (again.ReadString("Setting", "Name", "def") != name ||
      again.ReadInteger("Setting", "Count", 7) != n) {
    Broken();
  }
}

// The site-ID list (KRList.dat): read, saved and read again to the same rows.
void KrList(std::string_view bytes) {
  PutFile("KRList.dat", bytes);
  DiagLog log;
  AccountLog aclog;
  Registry registry(Scratch() / "cfg");
  bool angouka = false;
  const std::string directory = "d";
  SettingPasswords passwords;  // no keyring: the passwords stay in the file, as read
  const SetteiStore where{registry, Scratch(), log, aclog, angouka, directory, passwords};
  Settei s;
  std::string msg;
  if (!ReadKairoIDList(s, where, msg)) return;
  const std::vector<SiteAccount> rows = s.rows;
  if (!SaveKairoIDList(s, where, msg)) return;
  Settei again;
  if (!ReadKairoIDList(again, where, msg) || again.rows.size() != rows.size()) Broken();
  for (size_t i = 0; i < rows.size(); ++i) {
    if (again.rows[i].nickname != rows[i].nickname || again.rows[i].site != rows[i].site ||
        again.rows[i].password != rows[i].password) {
      Broken();
    }
  }
}

// The address list (SendList.dat): read, saved and read again to the same entries.
void SendList(std::string_view bytes) {
  PutFile("SendList.dat", bytes);
  DiagLog log;
  std::vector<AddressEntry> entries;
  std::string msg;
  if (!ReadSendList(entries, Scratch(), log, msg)) return;
  if (!SaveSendList(entries, Scratch(), log, msg)) return;
  std::vector<AddressEntry> again;
  if (!ReadSendList(again, Scratch(), log, msg) || again.size() != entries.size()) Broken();
  for (size_t i = 0; i < entries.size(); ++i) {
    if (again[i].address != entries[i].address || again[i].name != entries[i].name) Broken();
  }
}

// The user folder list (UserFolder.dat): read, saved and read again to the same entries.
void UserFolders(std::string_view bytes) {
  PutFile("UserFolder.dat", bytes);
  DiagLog log;
  std::vector<UserFolder> folders;
  std::string msg;
  if (!ReadUserFolder(folders, Scratch(), log, msg)) return;
  if (!SaveUserFolder(folders, Scratch(), log, msg)) return;
  std::vector<UserFolder> again;
  if (!ReadUserFolder(again, Scratch(), log, msg) || again.size() != folders.size()) Broken();
  for (size_t i = 0; i < folders.size(); ++i) {
    if (again[i].name != folders[i].name || again[i].enabled != folders[i].enabled) Broken();
  }
}

}  // namespace
}  // namespace sorami::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sorami::fuzz;
  const std::string_view bytes = Input(data, size);
#define FUZZ_CASE(name) \
  if (std::string_view(FUZZ_FILE) == #name) name(bytes);
  FUZZ_CASE(MasterFile)
  FUZZ_CASE(Ini)
  FUZZ_CASE(KrList)
  FUZZ_CASE(SendList)
  FUZZ_CASE(UserFolders)
#undef FUZZ_CASE
  return 0;
}
