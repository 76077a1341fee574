// The wiring of mail files: the message pane's mails shown from their originals, the list's
// "ソースを表示" and "名前を付けて保存", and the file menu's export and import of mbox files.
#include <QAction>
#include <QFileDialog>
#include <QInputDialog>

#include "base/ui/QtText.h"
#include "shell/MailFiles.h"
#include "shell/ui/AppWindows.h"
#include "shell/ui/TFormMain.h"
#include "store/Folders.h"
#include "views/ui/MessageBrowser.h"

namespace sorami {

void AppWindows::WireMailFiles(AppState& st) {
  TFormMain* m = main.get();
  MessageBrowser& browser = m->browser();
  browser.SetOriginals(&st.originals);
  browser.hooks.mail_file = [&st](int32_t row) { return MailFileOf(st, row); };
  if (auto* exp = m->findChild<QAction*>(QStringLiteral("MenuExport"))) {
    QObject::connect(exp, &QAction::triggered, m, [&st, m] {
      QStringList folders;
      for (int f = FolderNode(Folder::kInbox); f <= FolderNode(Folder::kDeleted); ++f) {
        folders << Qs(FolderName(static_cast<Folder>(f)));
      }
      bool ok = false;
      const QString folder = QInputDialog::getItem(
          m, QStringLiteral("エクスポート"), QStringLiteral("フォルダ"), folders, 0, true, &ok);
      if (!ok || folder.isEmpty()) return;
      const QString file = QFileDialog::getSaveFileName(
          m, QStringLiteral("エクスポート"), folder + QStringLiteral(".mbox"),
          QStringLiteral("mbox (*.mbox);;すべてのファイル (*)"));
      if (file.isEmpty()) return;
      m->SetStatus(Qs(ExportFolder(st, Sj(folder), std::filesystem::path(file.toStdString())).msg));
    });
  }
  if (auto* imp = m->findChild<QAction*>(QStringLiteral("MenuImport"))) {
    QObject::connect(imp, &QAction::triggered, m, [&st, m] {
      const QString file =
          QFileDialog::getOpenFileName(m, QStringLiteral("インポート"), QString(),
                                       QStringLiteral("mbox (*.mbox *.mbx);;すべてのファイル (*)"));
      if (file.isEmpty()) return;
      m->SetStatus(Qs(ImportMailFile(st, std::filesystem::path(file.toStdString())).msg));
    });
  }
}

}  // namespace sorami
