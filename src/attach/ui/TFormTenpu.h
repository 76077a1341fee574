// The attachment window (TFormTenpu, caption "添付ファイル"): one list for two uses. Showing a
// message, it lists the message's attachments, which the user opens with the desktop's program
// or saves a copy of ("名前をつけて保存する(&A)" on, "読み込む" off). Composing, it collects local
// files, by "読み込む" or by a drop, for the send attachment list ("読み込む" on, the save item
// off, shown modally). Created once at start and kept for the whole run.
#pragma once

#include <QString>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "attach/TenpuList.h"
#include "base/ui/PersistedWindow.h"
#include "platform/Shell.h"
#include "store/MastStore.h"

class QAction;
class QDragEnterEvent;
class QDropEvent;
class QHideEvent;
class QMenu;
class QPushButton;
class QTreeWidget;

namespace sorami {

class TFormTenpu : public PersistedWindow {
  Q_OBJECT

 public:
  static constexpr WindowGeometry kDesignGeometry{210, 140, 402, 332};

  // The platform pieces the window asks for; tests put their own in.
  struct Hooks {
    // The open dialog: the chosen path, or empty when cancelled.
    std::function<QString()> choose_open_file;
    // The save dialog, preset to a name: the chosen path, or empty when cancelled.
    std::function<QString(const QString& name)> choose_save_file;
    // Opens a file with the desktop's program (code page 932 path); done tells, later, whether
    // a program took it.
    std::function<void(const std::string& path, ShellOpenDone done)> open_file;
    // Tells the user something and waits for the answer (a message box).
    std::function<void(const QString&)> alert;
    // "再取得": downloads the record's missing files; the text for the status bar (empty when
    // all came).
    std::function<std::string(int32_t row)> refetch;
  };

  enum class Mode { kMessage, kCompose };

  // store: the records the window lists attachments of; send_list: the send attachment list.
  TFormTenpu(Registry& registry, DiagLog& log, const TArMastd& store,
             std::filesystem::path attach_dir, std::vector<std::filesystem::path>& send_list,
             QWidget* parent = nullptr);

  Hooks hooks;

  // "名前をつけて保存する(&A)" on and "読み込む" off for kMessage; the reverse for kCompose.
  void SetMode(Mode mode);
  // The main window's attachment button: shows the message's attachments (already listed).
  void ShowForMessage();
  // The compose window's "添付ファイル(&T)": the window in compose mode, modal; returns when the
  // user closes it.
  void ShowForCompose();

  // Lists a record's attachments, missing ones marked "未取得"; true when every one is present
  // in the attachment directory.
  bool ShowTenpu(int32_t row);
  // "再取得": the shown record's missing files downloaded again, then listed anew.
  void BtRefetchClick();
  // Lists given names with a detail text (the attachments of a mail, "メール").
  void ShowNames(const std::vector<std::string>& names, const std::string& detail);
  // Adds a local file to the list and to the send attachment list.
  void SetTenpuFile(const std::filesystem::path& path);
  // Removes the selected rows; true when the row count changed.
  bool TenpuSakujo();

  // Commands: "読み込む", "全消去", "削除" / "ファイル削除(&D)", "消去(&E)", a double click /
  // "実行(&J)" (a file no program opens is reported in the status bar and a message box),
  // "名前をつけて保存する(&A)" / "データ登録(&I)".
  void BtReadClick();
  void Button1Click();
  void BtSakujoClick();
  void E1Click();
  void OpenSelected();
  void MenuHozonClick();
  // Files dropped on the window: the first one is added, any others are ignored.
  void DropFiles(const QStringList& paths);

  const TenpuList& list() const { return list_; }
  QString StatusText() const;

 signals:
  // The window was closed (hidden): a modal compose session ends.
  void Hidden();

 protected:
  void hideEvent(QHideEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void ShowRows();
  std::vector<int> SelectedRows() const;
  void SetStatus(const QString& text);

  const TArMastd& store_;
  TenpuList list_;
  QTreeWidget* lview_ = nullptr;
  QPushButton* bt_read_ = nullptr;
  QPushButton* bt_refetch_ = nullptr;
  int32_t shown_row_ = -1;  // the record listed, -1 for none
  QAction* menu_hozon_ = nullptr;
  QAction* n85_ = nullptr;
  QMenu* pm_tenpu_ = nullptr;
};

}  // namespace sorami
