// Qt's own texts in Japanese: the standard buttons ("キャンセル"), the file dialog and the other
// dialogs Qt draws itself, so they match the program's windows.
#pragma once

#include <QString>

class QTranslator;

namespace sorami {

// The translation file of Qt's base texts as the system's Qt keeps it (qtbase_ja.qm in Qt's
// translations folder).
QString QtJapaneseFile();

// Loads that file into translator and installs it in the running application; false (and
// nothing installed) when the file is missing or unreadable. The translator must live as long
// as the texts are wanted: its destruction takes it out of the application again.
bool InstallQtJapanese(QTranslator& translator);

}  // namespace sorami
