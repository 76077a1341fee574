#include "store/UserFolders.h"

#include "base/MbText.h"
#include "platform/AtomicFile.h"
#include "platform/Codepage.h"
#include "store/Folders.h"

namespace sorami {

namespace {

std::filesystem::path FilePath(const std::filesystem::path& data_dir) {
  return data_dir / "UserFolder.dat";
}

}  // namespace

std::vector<std::string> SystemFolderCaptions() {
  std::vector<std::string> captions(FolderNames().begin() + 1, FolderNames().end());
  captions[0] += UnreadMark();
  return captions;
}

bool SaveUserFolder(const std::vector<UserFolder>& folders, const std::filesystem::path& data_dir,
                    DiagLog& log, std::string& msg) {
  log.Log(".SaveUserFolder");
  const auto path = FilePath(data_dir);
  log.Log(PathText(path));
  std::string bytes;
  for (size_t i = 0; i < folders.size(); ++i) {
    bytes += std::to_string(i) + "\t" + folders[i].name + "\t" + (folders[i].enabled ? "on" : "");
    bytes += "\r\n";
  }
  // The data directory is made when missing (a first run before any save of the store), so
  // folders defined then are not lost.
  std::error_code ec;
  std::filesystem::create_directories(data_dir, ec);
  if (!WriteFileAtomic(path, bytes)) {
    msg = "保存不可:"_cp932 + PathText(path);
    return false;
  }
  msg = "保存完了 :"_cp932 + PathText(path);
  return true;
}

bool ReadUserFolder(std::vector<UserFolder>& folders, const std::filesystem::path& data_dir,
                    DiagLog& log, std::string& msg) {
  log.Log(".ReadUserFolder");
  const auto path = FilePath(data_dir);
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) {
    msg = "読込不可:"_cp932 + PathText(path);
    return false;
  }
  folders.clear();
  std::string_view rest = bytes;
  std::string_view line, field;
  while (!rest.empty()) {
    CutLine(rest, line);
    if (line.empty()) continue;
    CutBytes("\t", line, field);  // the position, not needed
    CutBytes("\t", line, field);
    UserFolder f{std::string(field), false};
    CutBytes("\t", line, field);
    f.enabled = field == "on";
    folders.push_back(std::move(f));
  }
  msg = "読込完了 :"_cp932 + PathText(path);
  return true;
}

std::string UserFolderNameProblem(std::string_view name, const std::vector<UserFolder>& folders) {
  if (name.empty()) return "フォルダ名称を入力してください"_cp932;
  // A TAB, CR or LF would break the folder file's lines and the store's folder column.
  if (name.find_first_of("\t\r\n") != std::string_view::npos) {
    return "フォルダ名称にタブや改行は使えません"_cp932;
  }
  // A record in a user folder called "受信箱" would be counted, listed and moved as an inbox
  // record: the names of the system folders, as stored and as listed, are theirs alone.
  std::vector<std::string> system(FolderNames().begin(), FolderNames().end());
  const std::vector<std::string> captions = SystemFolderCaptions();
  system.insert(system.end(), captions.begin(), captions.end());
  for (const std::string& s : system) {
    if (s == name) return "システムフォルダの名称は使えません : "_cp932 + std::string(name);
  }
  for (const UserFolder& f : folders) {
    if (f.name == name) return "同じ名称のフォルダがあります : "_cp932 + std::string(name);
  }
  return {};
}

bool UserFolderNameAcceptable(std::string_view name, const std::vector<UserFolder>& folders) {
  return UserFolderNameProblem(name, folders).empty();
}

}  // namespace sorami
