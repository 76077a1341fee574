// The main window (TFormMain): folder tree and account, timer and count tabs on the left,
// message list above the message or help pane on the right, tool bar, menus and status bar.
// It is the frame: the message browser and the site commands make their own controls, which
// it places and connects to its tool bar, menus and status bar. What it asks of the other
// windows it only signals; those windows are wired to it from outside. It keeps its settings
// under "fmKairo" and runs the start of a run (reading the store when first shown) and its end
// (writing its settings and saving the store when closed).
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
class QMenu;
class QPushButton;
class QSpinBox;
class QSplitter;
class QTabWidget;
class QWidget;

namespace sorami {

class MessageBrowser;
class QtPollTimer;
class SiteCommands;

class TFormMain : public QMainWindow {
  Q_OBJECT

 public:
  // Work of features that plug into the main window. Each is optional: an empty hook does
  // nothing.
  struct Hooks {
    // Reads the address list when the window is first shown.
    std::function<void()> read_address_list;
    // Saves the address list at exit; gives the message to log.
    std::function<void(std::string& msg)> save_address_list;
  };

  explicit TFormMain(AppState& st, QWidget* parent = nullptr);
  ~TFormMain() override;

  Hooks hooks;
  // The polling timer; its fetch hook runs the fetch of new messages.
  Polling& polling() { return *polling_; }
  MessageBrowser& browser() { return *browser_; }
  SiteCommands& site() { return *site_; }

  void SetStatus(const QString& text);
  // Shows a help topic in the help pane, finding its file (and remembering where); a topic
  // the user chose (not direct) goes into the history.
  void ShowHelp(bool direct, const std::string& topic);
  QString StatusText() const;
  // The hidden debug switch is armed (the settings window shows its System page then).
  bool DebugArmed() const { return debug_switch_.armed(); }
  // "新着通知(&N)" of the option menu: new messages are told to the desktop.
  bool NotifyNew() const;

 signals:
  // The main window has been closed: the run ends.
  void closed();
  // The user asks for another window: "送信画面(&N)", "検索", "設定(&S)", "ログ(&L)" of the
  // debug menu, "バージョン情報(&V)".
  void composeRequested();
  void searchRequested();
  void settingsRequested();
  void logRequested();
  void versionRequested();

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
  void BuildMenus();
  QAction* AddAction(QMenu* menu, const char* name, const QString& caption);
  QMenu* AddMenu(QMenu* parent, const char* name, const QString& caption);
  // The browser and the site commands reach the tool bar, the status bar and each other.
  void WireBrowserAndSite();

  // Commands.
  // Reads the store and shows it from the root folder. At the start of the run it takes the
  // read begun before the window was made, if one was, and lists nothing: the start lists
  // the inbox next.
  void ReadMasterAndShow(std::string& msg, bool at_start = false);
  void SaveMasterToStatus(bool plain_text);
  void ShowDebugMenus(bool on);
  bool DebugMenusVisible() const;

  AppState& st_;
  std::unique_ptr<QtPollTimer> timer_;
  std::unique_ptr<Polling> polling_;
  DebugSwitch debug_switch_;
  bool shown_once_ = false;
  bool close_pending_ = false;  // a close waits for a site request to end
  MessageBrowser* browser_ = nullptr;
  SiteCommands* site_ = nullptr;

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
  QTabWidget* page_con_ = nullptr;
  QCheckBox* ck_stop_ = nullptr;
  QSpinBox* sp_interval_ = nullptr;
  QLabel* status_ = nullptr;
  QAction* debug_menu_ = nullptr;  // "デバッグ(&B)"
  QAction* henkan_ = nullptr;      // "改行コード変換(&H)"
  QAction* notify_ = nullptr;      // "新着通知(&N)"
};

}  // namespace sorami
