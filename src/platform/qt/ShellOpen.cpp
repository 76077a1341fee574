#include <QProcess>
#include <QString>
#include <QStringList>

#include "platform/Codepage.h"
#include "platform/Shell.h"

namespace sorami {

// The desktop's own opener (xdg-open) picks the associated program, as the Windows shell
// does; it runs detached so the caller does not wait for the document to close.
bool ShellOpen(std::string_view target) {
  if (target.empty()) return false;
  const std::string utf8 = Cp932ToUtf8(target);
  return QProcess::startDetached(
      QStringLiteral("xdg-open"),
      QStringList{QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()))});
}

}  // namespace sorami
