#include "compose/Signature.h"

#include <string_view>

#include "base/MbText.h"
#include "platform/AtomicFile.h"
#include "platform/Codepage.h"

namespace sorami {

namespace {

std::filesystem::path FilePath(const std::filesystem::path& data_dir) {
  return data_dir / "Shomei.dat";
}

}  // namespace

bool SaveShomei(const std::string& text, const std::filesystem::path& data_dir, std::string& msg) {
  const auto path = FilePath(data_dir);
  std::string bytes;
  std::string_view rest = text;
  std::string_view line;
  while (!rest.empty()) {
    CutLine(rest, line);
    bytes.append(line);
    bytes += "\r\n";
  }
  std::error_code ec;
  std::filesystem::create_directories(data_dir, ec);
  const bool ok = WriteFileAtomic(path, bytes);
  msg = (ok ? "保存完了 : "_cp932 : "保存失敗 : "_cp932) + PathText(path);
  return ok;
}

bool LoadShomei(std::string& text, const std::filesystem::path& data_dir, std::string& msg) {
  const auto path = FilePath(data_dir);
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) {
    msg = "読込失敗 : "_cp932 + PathText(path);
    // A signature that is there but cannot be read goes aside: "閉じる(&C)" would replace it.
    std::filesystem::path kept;
    if (KeepAside(path, "unread", kept)) msg += " (Kept : " + PathText(kept) + ")";
    return false;
  }
  std::string lines;
  std::string_view rest = bytes;
  std::string_view line;
  for (bool first = true; !rest.empty(); first = false) {
    CutLine(rest, line);
    if (!first) lines += '\n';
    lines.append(line);
  }
  text = std::move(lines);
  msg = "読込完了 : "_cp932 + PathText(path);
  return true;
}

}  // namespace sorami
