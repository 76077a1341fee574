#include "mail/mime/VexMsg.h"

#include <fstream>

#include "base/MbText.h"
#include "mail/mime/KanjiCode.h"
#include "platform/ContentType.h"

namespace sorami {

bool TAttachedFile::SaveToFile(const std::filesystem::path& path) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(Data.data(), static_cast<std::streamsize>(Data.size()));
  out.close();
  return static_cast<bool>(out);
}

std::string_view FileNamePart(std::string_view path) {
  size_t name_at = 0;
  for (size_t i = 0; i < path.size(); i += MbCharLen(path, i)) {
    if (MbCharLen(path, i) == 1 && (path[i] == '\\' || path[i] == '/')) name_at = i + 1;
  }
  return path.substr(name_at);
}

TAttachedFile& TAttachedFiles::Add(std::string_view path) {
  TAttachedFile& item = items_.emplace_back();
  const std::string_view name = FileNamePart(path);
  item.Name = DetectKanjiCode(name) != kCodeAscii ? SjisToJis(name) : std::string(name);
  item.FullPath = std::string(path);
  item.ContentType = ContentTypeOfFile(path);
  return item;
}

TAttachedFile& TAttachedFiles::AddReceived(std::string_view name, std::string_view content_type) {
  TAttachedFile& item = items_.emplace_back();
  item.Name = std::string(name);
  item.FullPath = std::string(name);
  item.ContentType = std::string(content_type);
  return item;
}

std::string TVexMsg::BodyText() const {
  std::string out;
  for (size_t i = 0; i < Text.size(); ++i) {
    if (i > 0) out += "\r\n";
    out += Text[i];
  }
  return out;
}

}  // namespace sorami
