#include "base/ui/QtJapanese.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace sorami {

QString QtJapaneseFile() {
  return QDir(QLibraryInfo::path(QLibraryInfo::TranslationsPath))
      .filePath(QStringLiteral("qtbase_ja.qm"));
}

bool InstallQtJapanese(QTranslator& translator) {
  // Always Japanese, whatever the desktop's language: every other text of the program is.
  if (!translator.load(QtJapaneseFile())) return false;
  return QCoreApplication::installTranslator(&translator);
}

}  // namespace sorami
