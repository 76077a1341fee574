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
#include "store/StoreOps.h"
#include "views/BodyEdit.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSpinBox;
class QSplitter;
class QTabWidget;
class QTextEdit;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class QModelIndex;

namespace sorami {

struct AppWindows;
struct FetchReport;
class FolderCountModel;
class MessageListModel;
class MessagePane;
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
    // Sends the read receipt of a record marked read (site messages only).
    FeedbackHook send_feedback;
    // Lists a site message's attachments; true when every one is present (shows BtTenpu).
    std::function<bool(int32_t row)> show_tenpu;
    // Shows the details of a mail record.
    std::function<void(int32_t row)> show_mail_info;
    // Shows a help topic from the history.
    std::function<void(const std::string& topic)> show_help;
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

  // Site requests (TFormMainSite.cpp). The fetch of "最新取得(&G)" and of the timer.
  void BtGetClick();
  // Fetches new messages for one account row (-1: every enabled row) and shows the outcome.
  FetchReport SiteFetch(int row);
  // The connection check of "接続確認".
  void BtSetsuzokuClick();
  // The account boxes show the current account, the password as the mask.
  void ShowCurrentAccount();
  // The hidden debug switch is armed (the settings window shows its System page then).
  bool DebugArmed() const { return debug_switch_.armed(); }

  // Browsing (TFormMainBrowse.cpp). Shows a record: a list row (direct false) or a store
  // row (direct true); true when showing it has just marked it read.
  bool HyoujiMessage(bool direct, int index, std::string& msg);
  // Fills the message list from the first selected folder node.
  void ShowListMessages();
  // Rebuilds the count list.
  void CountKensuu();
  // Writes the folder summary to the status bar.
  bool SetDisplay();

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
  void InstallSiteHandlers();
  void ApplyFetchOutcome(const FetchReport& out);

  // Browsing and store operations (TFormMainBrowse*.cpp).
  void ConnectBrowse();
  void BuildListMenu();
  void MessageListHyouji(int node, const std::string& folder);
  bool TreeNodeSelected(int index) const;
  int ClickedListRow() const;
  void LViewDataClick();
  void LViewDataColumnClick(int column);
  void ListVClick();
  void A1Click();
  void ShowHonbun();
  void BtBackClick();
  void BtForwardClick();
  void BtSakujoClick();
  void PMenuJushinClick(const QAction* item);
  void MenuUPDClick();
  void MenuHenkanClick();
  bool BrowseKeyFilter(QObject* watched, QEvent* event);

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
  QTreeView* list_v_ = nullptr;
  FolderCountModel* count_model_ = nullptr;
  QTreeView* lview_ = nullptr;
  MessageListModel* lview_model_ = nullptr;
  QMenu* pmenu_folder_ = nullptr;
  MessagePane* panel_honbun_ = nullptr;
  QWidget* panel_help_ = nullptr;
  QLabel* status_ = nullptr;
  QAction* debug_menu_ = nullptr;  // "デバッグ(&B)"
  QAction* henkan_ = nullptr;      // "改行コード変換(&H)"

  // The kind of the shown record, "メッセージ" or "メール" (the claim button needs it).
  std::string shown_kind_;
  BodyEdit body_edit_;
};

}  // namespace sorami
