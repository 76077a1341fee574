#include "MasterData.h"

#include <cstdio>

#include "base/MbText.h"
#include "platform/AtomicFile.h"
#include "platform/Codepage.h"
#include "store/Folders.h"

namespace sorami::bench {

std::string SyntheticDate(int i) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "2026/%02d/%02d %02d:%02d:%02d", 1 + i % 12, 1 + i % 28,
                i / 3600 % 24, i / 60 % 60, i % 60);
  return buf;
}

std::string SyntheticSender(int i) { return Utf8ToCp932("会員") + std::to_string(i % 997); }

size_t WriteSyntheticMaster(const std::filesystem::path& path, int n) {
  const std::string title = Utf8ToCp932("お知らせ：週末の集まりについて");
  std::string body;
  while (body.size() < 380) {
    body += Utf8ToCp932("こんにちは。今週末の集まりは駅前の喫茶店で行います。");
    body += "\x0C\x0B";  // escaped CR LF, as stored
  }
  std::filesystem::create_directories(path.parent_path());
  AtomicFileWriter out;
  out.Open(path);
  size_t total = 0;
  std::string line;
  for (int i = 0; i < n; ++i) {
    line = Format4d(i + 1);
    const std::string cols[22] = {Utf8ToCp932("太郎%サイト"),
                                  title + std::to_string(i),
                                  body,
                                  SyntheticDate(i),
                                  std::to_string(100000 + i),
                                  SyntheticSender(i),
                                  "",
                                  "2026/12/01 09:00:00",
                                  SyntheticDate(i),
                                  Utf8ToCp932("サイト"),
                                  "host.example:80",
                                  std::string(FolderNames()[1 + i % 5]),
                                  "user",
                                  "",
                                  "recv",
                                  Utf8ToCp932("友人"),
                                  Utf8ToCp932("一般"),
                                  "",
                                  "",
                                  "",
                                  "",
                                  ""};
    for (const auto& c : cols) {
      line += '\t';
      line += c;
    }
    line += "\r\n";
    total += line.size();
    out.Write(line);
  }
  out.Commit();
  return total;
}

}  // namespace sorami::bench
