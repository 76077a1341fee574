#include "platform/ContentType.h"

#include <QMimeDatabase>
#include <QString>

#include "platform/Codepage.h"

namespace sorami {

std::string ContentTypeOfFile(std::string_view file_name) {
  const std::string utf8 = Cp932ToUtf8(file_name);
  const QMimeDatabase db;
  const QMimeType type =
      db.mimeTypeForFile(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())),
                         QMimeDatabase::MatchExtension);
  if (!type.isValid() || type.isDefault()) return "application/octet-stream";
  return type.name().toStdString();
}

}  // namespace sorami
