#include "compose/SendList.h"

#include "base/MbText.h"
#include "platform/AtomicFile.h"
#include "platform/Codepage.h"

namespace sorami {

namespace {

std::filesystem::path FilePath(const std::filesystem::path& data_dir) {
  return data_dir / "SendList.dat";
}

}  // namespace

bool ReadSendList(std::vector<AddressEntry>& entries, const std::filesystem::path& data_dir,
                  DiagLog& log, std::string& msg) {
  log.Log(".ReadSendList");
  const auto path = FilePath(data_dir);
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) {
    msg = "Cannot Read : " + PathText(path);
    // A list that is there but cannot be read goes aside, so the save at exit cannot replace
    // it with an empty one.
    std::filesystem::path kept;
    if (KeepAside(path, "unread", kept)) msg += " (Kept : " + PathText(kept) + ")";
    return false;
  }
  entries.clear();
  std::string_view rest = bytes;
  std::string_view line, name, address;
  while (!rest.empty()) {
    CutLine(rest, line);
    if (line.empty()) continue;
    CutBytes("\t", line, name);
    CutBytes("\t", line, address);
    // Everything after the second TAB is the relation, TABs included.
    entries.push_back({std::string(address), std::string(line), std::string(name)});
  }
  msg.clear();
  return true;
}

bool SaveSendList(const std::vector<AddressEntry>& entries, const std::filesystem::path& data_dir,
                  DiagLog& log, std::string& msg) {
  const auto path = FilePath(data_dir);
  log.Log(".SaveSendList");
  log.Log(PathText(path));
  std::string bytes;
  for (const AddressEntry& e : entries) {
    bytes += e.name + "\t" + e.address + "\t" + e.relation + "\r\n";
  }
  std::error_code ec;
  std::filesystem::create_directories(data_dir, ec);
  if (!WriteFileAtomic(path, bytes)) {
    msg = "Cannot Write: " + PathText(path);
    return false;
  }
  msg.clear();
  return true;
}

}  // namespace sorami
