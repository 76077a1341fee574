// The main window (TFormMain): folder tree and account, timer and count tabs on the left,
// message list above the message or help pane on the right, tool bar, menus and status bar.
// It keeps its settings under "fmKairo" and runs the start of a run (reading the store when
// first shown) and its end (writing its settings and saving the store when closed).
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>

#include "shell/AppState.h"
#include "shell/DebugSwitch.h"
#include "shell/Polling.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSpinBox;
class QSplitter;
class QStandardItemModel;
class QTabWidget;
class QTextEdit;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace sorami {

struct AppWindows;
class QtPollTimer;

class TFormMain : public QMainWindow {
  Q_OBJECT

 public:
  // Work of features that plug into the main window. Each is optional: an empty hook does
  // nothing.
  struct Hooks {
    // Fills the message list from the first selected folder node (tree click).
    std::function<void()> show_list;
    // Rebuilds the folder counts after the store changed.
    std::function<void()> count_kensuu;
    // Reads the address list when the window is first shown.
    std::function<void()> read_address_list;
    // Saves the address list at exit; gives the message to log.
    std::function<void(std::string& msg)> save_address_list;
    // The connection check of the button "接続確認".
    std::function<void()> setsuzoku;
  };

  explicit TFormMain(AppState& st, QWidget* parent = nullptr);
  ~TFormMain() override;

  // The other windows, once they all exist (the main window is created before them).
  void SetPeers(AppWindows* peers) { peers_ = peers; }

  Hooks hooks;
  // The polling timer; its fetch hook runs the fetch of new messages.
  Polling& polling() { return *polling_; }

  void SetStatus(const QString& text);
  QString StatusText() const;
  // Shows the help pane (true) or the message pane (false) in the lower right.
  void ShowPanel(bool help);

 signals:
  // The main window has been closed: the run ends.
  void closed();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Lifecycle.
  void FormCreate();
  void FormShow();
  void FormClose();

  // Building the window (TFormMainLayout.cpp, TFormMainMenus.cpp).
  void BuildToolBar();
  QWidget* BuildLeftColumn();
  QWidget* BuildRightColumn();
  QWidget* BuildMessagePane();
  QWidget* BuildHelpPane();
  void BuildMenus();
  QAction* AddAction(QMenu* menu, const char* name, const QString& caption);
  QMenu* AddMenu(QMenu* parent, const char* name, const QString& caption);

  // Commands.
  void TreeVClick();
  void SelectTreeNode(int index);
  void ReadMasterAndShow(std::string& msg);
  void SaveMasterToStatus(bool plain_text);
  void ShowDebugMenus(bool on);
  bool DebugMenusVisible() const;
  void ClearDisplay();
  void EnableMsgButtons(bool on);
  void ShowPeer(QWidget* w);

  AppState& st_;
  AppWindows* peers_ = nullptr;
  std::unique_ptr<QtPollTimer> timer_;
  std::unique_ptr<Polling> polling_;
  DebugSwitch debug_switch_;
  bool shown_once_ = false;

  // Controls (their object names are the names of the window's controls).
  QPushButton* bt_new_ = nullptr;
  QPushButton* bt_henshin_ = nullptr;
  QPushButton* bt_all_ = nullptr;
  QPushButton* bt_sakujo_ = nullptr;
  QPushButton* bt_get_ = nullptr;
  QPushButton* bt_claim_ = nullptr;
  QPushButton* bt_kensaku_ = nullptr;
  QPushButton* bt_back_ = nullptr;
  QPushButton* bt_forward_ = nullptr;
  QSplitter* split_columns_ = nullptr;
  QSplitter* split_left_ = nullptr;
  QSplitter* split_right_ = nullptr;
  QTreeWidget* tree_ = nullptr;
  QTabWidget* page_con_ = nullptr;
  QLineEdit* ed_site_ = nullptr;
  QLineEdit* ed_nick_ = nullptr;
  QLineEdit* ed_pass_ = nullptr;
  QPushButton* bt_setsuzoku_ = nullptr;
  QLabel* label_jikoku_ = nullptr;
  QCheckBox* ck_stop_ = nullptr;
  QSpinBox* sp_interval_ = nullptr;
  QCheckBox* ck_nokosu_ = nullptr;
  QTreeWidget* list_v_ = nullptr;
  QTreeView* lview_ = nullptr;
  QStandardItemModel* lview_model_ = nullptr;
  QWidget* panel_honbun_ = nullptr;
  QWidget* panel_help_ = nullptr;
  QList<QLabel*> header_values_;
  QPushButton* bt_tenpu_ = nullptr;
  QTextEdit* memo_rich_ = nullptr;
  QLabel* status_ = nullptr;
  QAction* debug_menu_ = nullptr;  // "デバッグ(&B)"
  QAction* henkan_ = nullptr;      // "改行コード変換(&H)"
};

}  // namespace sorami
