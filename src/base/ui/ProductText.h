// The product's name and version as the windows show them.
#pragma once

#include <sorami/Version.h>

#include <QString>

namespace sorami {

inline QString ProductTitle() { return QStringLiteral("ソラミメッセージ"); }
inline QString VersionText() { return QStringLiteral("(Ver " SORAMI_VERSION ")"); }
// The main window's caption: the title, two spaces, the version.
inline QString MainCaption() { return ProductTitle() + QStringLiteral("  ") + VersionText(); }

}  // namespace sorami
