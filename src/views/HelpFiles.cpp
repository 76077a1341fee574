#include "views/HelpFiles.h"

#include "platform/Codepage.h"

namespace sorami {

namespace fs = std::filesystem;

namespace {

constexpr int kMaxDepth = 6;
constexpr size_t kMaxEntries = 20000;

bool IsFile(const fs::path& p) {
  std::error_code ec;
  return fs::is_regular_file(p, ec);
}

// The top folder of the application directory ("/home" of "/home/user/.local/share/sorami"):
// the search goes through the tree the program was put in.
fs::path SearchRoot(const fs::path& app_dir) {
  auto it = app_dir.begin();
  fs::path root;
  for (int i = 0; it != app_dir.end() && i < 2; ++it, ++i) root /= *it;
  return root;
}

}  // namespace

const std::vector<std::string>& HelpTopics() {
  static const std::vector<std::string> topics = {"概要"_cp932,
                                                  "メイン画面"_cp932,
                                                  "用語説明"_cp932,
                                                  "カイロＩＤの設定"_cp932,
                                                  "カイロＩＤの入力"_cp932,
                                                  "メッセージ送信"_cp932,
                                                  "メッセージ受信"_cp932,
                                                  "宛先リスト"_cp932,
                                                  "クレーム報告"_cp932,
                                                  "サイト一覧"_cp932,
                                                  "設定(アカウント設定)"_cp932,
                                                  "設定(メール)"_cp932,
                                                  "設定(送受信ログ)"_cp932,
                                                  "設定(フォルダ設定)"_cp932};
  return topics;
}

fs::path ResolveHelpFile(std::string& doc_root, const fs::path& help_dir, const fs::path& app_dir,
                         std::string_view topic, DiagLog& log) {
  const fs::path name = FsPath(std::string(topic) + ".rtf");
  fs::path path = FsPath(doc_root) / name;
  log.Log(PathText(path));
  if (IsFile(path)) return path;
  doc_root = PathText(help_dir);
  path = help_dir / name;
  log.Log(PathText(path));
  if (IsFile(path)) return path;

  log.Log("glRoot: " + PathText(app_dir));
  const fs::path root = SearchRoot(app_dir);
  log.Log("path:" + PathText(root));
  std::error_code ec;
  fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec);
  size_t seen = 0;
  for (; !ec && it != fs::recursive_directory_iterator() && seen < kMaxEntries;
       it.increment(ec), ++seen) {
    if (it.depth() >= kMaxDepth) it.disable_recursion_pending();
    if (it->path().filename() == name && IsFile(it->path())) {
      log.Log("found");
      path = it->path();
      doc_root = PathText(path.parent_path());
      break;
    }
  }
  log.Log(PathText(path));
  log.Log("glDocRoot:" + doc_root);
  return path;
}

}  // namespace sorami
