// The message browser of the main window: the folder tree fills the message list, a click on
// a list row shows its record in the message pane (marking it read from the inbox and the
// root), and "戻る" / "進む" move through the shown messages. The message list and the count
// list of the tab "件数" watch the store, so whatever changes it (a fetch, a send, a click
// here) shows in them without being told. It also changes records from there: deleting the
// selected messages, moving the last clicked one to another folder through the list's pop-up
// menu, storing an edited body.
//
// It makes its controls and the window places them: the tree panel, the count list, the list
// panel and the panel below it (the message pane, or the help pane in its place). What
// belongs to the window or to other features (the status bar, the tool bar buttons, the read
// receipt, attachments, mail details, help topics) it reaches through its hooks.
#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "base/DiagLog.h"
#include "store/Folders.h"
#include "store/MastStore.h"
#include "store/Originals.h"
#include "store/StoreOps.h"
#include "views/BodyEdit.h"
#include "views/History.h"
#include "views/MessageList.h"
#include "views/Reply.h"

class QTextEdit;
class QAction;
class QEvent;
class QMenu;
class QTreeView;
class QTreeWidget;
class QWidget;

namespace sorami {

class FolderCountModel;
class MessageListModel;
class MessagePane;

class MessageBrowser : public QObject {
  Q_OBJECT

 public:
  // Each hook is optional: an empty hook does nothing.
  struct Hooks {
    // Puts a text in the window's status bar.
    std::function<void(const QString& text)> set_status;
    // The buttons that act on the shown message ("返信", "全員に返信", "削除", "ｸﾚｰﾑ報告"): on
    // while a message is shown; the claim report only for a site message.
    std::function<void(bool on, bool claimable)> enable_message_buttons;
    // "削除" alone, once "リスト全選択" has selected rows.
    std::function<void()> enable_delete;
    // "戻る" and "進む".
    std::function<void(bool on)> enable_history;
    // Sends the read receipt of a record marked read (site messages only).
    FeedbackHook send_feedback;
    // Lists a site message's attachments; true when every one is present (shows BtTenpu).
    std::function<bool(int32_t row)> show_tenpu;
    // Shows the details of a mail record.
    std::function<void(int32_t row)> show_mail_info;
    // Shows a help topic from the history.
    std::function<void(const std::string& topic)> show_help;
    // The topic list asks for a topic (its full caption).
    std::function<void(const std::string& topic)> open_help;
    // The list's pop-up "返信する" and "再送信", and "クレーム報告", on the last clicked row.
    std::function<void(ReplyKind kind)> reply;
    std::function<void()> claim;
    // The mail file of a record ("名前を付けて保存", the source): its original, or a mail made
    // of its texts.
    std::function<std::string(int32_t row)> mail_file;
  };

  using ColumnWidths = std::array<long, kListColumns>;

  // parent is the window that places the controls; it owns them and the browser.
  MessageBrowser(TArMastd& store, DiagLog& log, History& history, QWidget* parent);

  Hooks hooks;

  // Where received mails are kept as sent: a mail that has its original is shown in full
  // Unicode, and a mail erased for good takes its original along.
  void SetOriginals(const Originals* originals) { originals_ = originals; }

  // The controls, for the window to place.
  QWidget* tree_panel() const { return tree_panel_; }
  QWidget* count_list() const;
  QWidget* list_panel() const { return list_panel_; }
  QWidget* bottom_panel() const { return bottom_panel_; }

  // The start of a run: the message pane shown and empty, the store and the history emptied,
  // the tree opened, the "Index" column out of sight.
  void Start();
  // The widths of the message list's columns (the user's, kept in the settings).
  ColumnWidths Widths() const;
  void SetWidths(const ColumnWidths& widths);

  // The folder tree. Selects node `index` alone (without listing it).
  void SelectTreeNode(int index);
  // The record of the last clicked list row; none before a row was clicked.
  std::optional<int32_t> ClickedRecord() const;
  // The last clicked list row (shown by the debug menu); -1 when no row of the list shown
  // has been clicked.
  int32_t glix() const { return glix_; }
  bool TreeNodeSelected(int index) const;
  // A tree click: clears the status bar and lists the selected folder.
  void ShowSelectedFolder();
  // Selects a system folder's node and lists it.
  void ShowFolder(Folder folder);
  // Fills the message list from the first selected folder node.
  void ShowListMessages();
  // Whether a node of the folder tree has exactly this text.
  bool ExistsMainTree(const std::string& name) const;
  // A user folder in "フォルダ変更" slot `slot` (0 to 8) and as a node under the root, unless
  // the tree has a node of that name already (then nothing changes).
  void AddUserFolder(size_t slot, const std::string& name);
  // A user folder renamed: its node and its "フォルダ変更" slot take the new name (a node that
  // already has the new name stays, the old one goes), the counts and the list follow.
  void RenameUserFolder(const std::string& from, const std::string& to);
  // Shows a help topic's file in the help pane; a topic the user chose (not direct) is added to
  // the history. False, with "Cannot Read:" and the path in the status bar, when it cannot be
  // read.
  bool ShowHelp(bool direct, const std::string& topic, const std::filesystem::path& file);
  // The message list shows a search's result instead of a folder.
  void ShowSearchResult(std::vector<int32_t> records);
  // Gives the count list the tree's nodes (after a node was added); the counts then follow
  // the store by themselves.
  void CountKensuu();

  // Shows a record: a list row (direct false) or a store row (direct true); true when showing
  // it has just marked it read.
  bool HyoujiMessage(bool direct, int index, std::string& msg);
  // Shows the help pane (true) or the message pane (false).
  void ShowPanel(bool help);
  // The message pane with a text of the program's own in its body box (the public site list):
  // not a record's body, so "変更(&U)" stores nothing from it.
  void ShowPaneText(const QString& text);

  // Commands (MessageBrowserOps.cpp): "削除", "リスト全選択", "戻る", "進む", and the body
  // menu's "変更(&U)", "消去(&E)" and "改行コード変換(&H)".
  void BtSakujoClick();
  void A1Click();
  void BtBackClick();
  void BtForwardClick();
  void MenuUPDClick();
  void ClearBody();
  void MenuHenkanClick();
  // The list's pop-up on the last clicked row (MessageBrowserMail.cpp): "ソースを表示" shows
  // the mail file in a window of its own; "名前を付けて保存" asks for a file name and writes
  // the mail file there as ".eml".
  void ShowSource();
  void SaveMailClick();
  // Writes the mail file of the last clicked row; false when there is none or it cannot be
  // written (the status bar says which).
  bool SaveMailAs(const std::filesystem::path& file);
  // The window "ソースを表示" opened, or null.
  QWidget* source_window() const { return source_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildTree();
  void BuildCountList();
  // Gives the count list its model, the first time it shows.
  void ShowCountList();
  void BuildList();
  void BuildBottom();
  void BuildListMenu();
  void SetStatus(const QString& text);
  void ClearDisplay();
  void EnableMsgButtons(bool on);
  void MessageListHyouji(int node, const std::string& folder);
  int ClickedListRow() const;
  // A click on list row `clicked`, or (-1) a key: the current selected row is shown.
  void LViewDataClick(int clicked = -1);
  void LViewDataColumnClick(int column);
  void ListVClick();
  void ShowHonbun();
  void PMenuJushinClick(const QAction* item);

  TArMastd& store_;
  DiagLog& log_;
  History& history_;
  // The list row last clicked (or opened the pop-up); any new list forgets it.
  int32_t glix_ = -1;

  QWidget* tree_panel_ = nullptr;
  QTreeWidget* tree_ = nullptr;
  QIcon folder_icon_;
  QTreeView* list_v_ = nullptr;
  FolderCountModel* count_model_ = nullptr;
  QWidget* list_panel_ = nullptr;
  QTreeView* lview_ = nullptr;
  MessageListModel* lview_model_ = nullptr;
  QMenu* pmenu_folder_ = nullptr;
  std::vector<QAction*> user_slots_;  // "User1" ... "User9" of "フォルダ変更"
  QWidget* bottom_panel_ = nullptr;
  MessagePane* panel_honbun_ = nullptr;
  QWidget* panel_help_ = nullptr;
  QTextEdit* rich_help_ = nullptr;

  // The kind of the shown record, "メッセージ" or "メール" (the claim button needs it).
  std::string shown_kind_;
  const Originals* originals_ = nullptr;
  QWidget* source_ = nullptr;
  BodyEdit body_edit_;
  // Set while the browser itself fills the body box, so that is not taken for typing.
  bool filling_body_ = false;
  struct FillingBody {
    explicit FillingBody(bool& flag) : flag_(flag) { flag_ = true; }
    ~FillingBody() { flag_ = false; }
    bool& flag_;
  };
};

}  // namespace sorami
