#include "mail/JushinLog.h"

#include <cstdio>
#include <ctime>

#include "base/MbText.h"
#include "mail/mime/VexMsg.h"
#include "platform/Codepage.h"

namespace sorami {

void SaveJushinLog(DiagLog& log, const std::filesystem::path& data_dir, const TVexMsg& msg,
                   std::string_view text) {
  log.Log(".SaveJushinLog");
  const std::filesystem::path path = data_dir / "Recv.log";
  std::string line = FormatLocalTime(std::time(nullptr), "%Y/%m/%d %H:%M:%S");
  line.append("\t").append(text).append("\t").append(msg.From).append("\t");
  line.append(msg.Subject).append("\t").append(msg.SendTo).append("\r\n");
  std::error_code ec;
  std::filesystem::create_directories(data_dir, ec);
  std::FILE* f = std::fopen(path.c_str(), "ab");
  const bool ok = f && std::fwrite(line.data(), 1, line.size(), f) == line.size();
  if (f && std::fclose(f) != 0) f = nullptr;
  if (!ok || !f) log.Log("Cannot Write: " + PathText(path));
}

void AppendRireki(DiagLog& log, std::string_view name, int count) {
  log.Log(".AppendRireki : " + std::to_string(count));
  log.Log(FormatLocalTime(std::time(nullptr), "%Y/%m/%d %H:%M:%S") + " ★-- IDPop :"_cp932 +
          std::to_string(count) + " 件("_cp932 + std::string(name) + ")");
}

void RirekiCheckHost(DiagLog& log, int account) {
  log.Log(".RirekiCheckHost :" + std::to_string(account));
}

std::string GetMailHeader(LinesView lines) {
  std::string header;
  for (std::string_view line : lines) {
    const std::string_view trimmed = TrimBytes(line);
    if (trimmed.empty()) break;
    header.append(trimmed).append("\r\n");
  }
  return header;
}

std::string LogHead(std::string_view text, int count) { return MbCopy(text, 1, count); }

}  // namespace sorami
