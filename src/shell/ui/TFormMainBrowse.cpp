// The main window as a message browser: the folder tree fills the message list, a click on
// a list row shows its record in the message pane (marking it read from the inbox and the
// root), the count list follows, and "戻る" / "進む" move through the shown messages.
#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QPushButton>
#include <QTextEdit>
#include <QTreeView>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <charconv>

#include "base/ui/QtText.h"
#include "platform/Codepage.h"
#include "shell/ui/TFormMain.h"
#include "store/Folders.h"
#include "views/FolderCounts.h"
#include "views/History.h"
#include "views/ui/FolderCountModel.h"
#include "views/ui/MessageListModel.h"
#include "views/ui/MessagePane.h"

namespace sorami {

namespace {

// A history key as a store row: 0 when it is not a number.
int HistoryRow(const std::string& key) {
  int v = 0;
  const auto [end, ec] = std::from_chars(key.data(), key.data() + key.size(), v);
  return ec == std::errc() && end == key.data() + key.size() ? v : 0;
}

}  // namespace

void TFormMain::ConnectBrowse() {
  hooks.show_list = [this] { ShowListMessages(); };
  hooks.count_kensuu = [this] { CountKensuu(); };
  BuildListMenu();

  lview_->installEventFilter(this);
  list_v_->installEventFilter(this);
  panel_honbun_->memo()->installEventFilter(this);
  lview_->header()->setSectionsClickable(true);
  connect(lview_, &QAbstractItemView::clicked, this, [this] { LViewDataClick(); });
  connect(lview_->header(), &QHeaderView::sectionClicked, this,
          [this](int column) { LViewDataColumnClick(column); });
  connect(list_v_, &QAbstractItemView::clicked, this, [this] { ListVClick(); });
  connect(bt_back_, &QPushButton::clicked, this, [this] { BtBackClick(); });
  connect(bt_forward_, &QPushButton::clicked, this, [this] { BtForwardClick(); });
  connect(bt_sakujo_, &QPushButton::clicked, this, [this] { BtSakujoClick(); });
  auto on = [this](const char* name, auto handler) {
    if (auto* a = findChild<QAction*>(QString::fromLatin1(name))) {
      connect(a, &QAction::triggered, this, handler);
    }
  };
  on("A1", [this] { A1Click(); });
  on("MenuUPD", [this] { MenuUPDClick(); });
  on("E1", [this] { panel_honbun_->memo()->clear(); });  // the record changes only on "変更"
  on("MenuHenkan", [this] { MenuHenkanClick(); });
}

bool TFormMain::BrowseKeyFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && watched == panel_honbun_->memo()) {
    body_edit_.Typed(panel_honbun_->record());  // MemoRichKeyDown
    return false;
  }
  if (event->type() != QEvent::KeyRelease) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  if (key->isAutoRepeat()) return false;  // a held key shows the row it stops on
  if (watched == lview_) {
    // LViewDataKeyUp: Delete deletes; any other key acts as a click.
    if (key->key() == Qt::Key_Delete) {
      BtSakujoClick();
    } else {
      LViewDataClick();
    }
  } else if (watched == list_v_) {
    ListVClick();
  }
  return false;
}

void TFormMain::ShowListMessages() {
  st_.log.Log(".ShowListMessages ");
  int i = 0;
  for (QTreeWidgetItemIterator it(tree_); *it; ++it, ++i) {
    if (!(*it)->isSelected()) continue;
    MessageListHyouji(i, NodeFolder(Sj((*it)->text(0))));
    break;
  }
  EnableMsgButtons(false);
}

void TFormMain::MessageListHyouji(int node, const std::string& folder) {
  st_.log.Log("MessageListHyouji " + std::to_string(node) + " " + folder);
  lview_model_->Fill(node, folder);
  st_.store.glix = -1;  // no row of the new list has been clicked yet
}

bool TFormMain::TreeNodeSelected(int index) const {
  int i = 0;
  for (QTreeWidgetItemIterator it(tree_); *it; ++it, ++i) {
    if (i == index) return (*it)->isSelected();
  }
  return false;
}

// The row a click or key in the list stands for: the current row when it is selected,
// else the first selected row; -1 when nothing is selected.
int TFormMain::ClickedListRow() const {
  const QItemSelectionModel* sel = lview_->selectionModel();
  const QModelIndex current = lview_->currentIndex();
  if (current.isValid() && sel->isRowSelected(current.row(), QModelIndex())) return current.row();
  int first = -1;
  for (const QItemSelectionRange& range : sel->selection()) {
    if (first < 0 || range.top() < first) first = range.top();
  }
  return first;
}

void TFormMain::LViewDataClick() {
  const int r = ClickedListRow();
  if (r < 0) return;
  st_.store.glix = r;
  st_.log.Log("glix:" + std::to_string(r));
  std::string msg;
  if (HyoujiMessage(false, r, msg)) count_model_->MidokuToKidoku(st_.log);
  if (!msg.empty()) {
    st_.log.Log(msg);
    SetStatus(Qs(msg));
  }
  EnableMsgButtons(true);
}

void TFormMain::LViewDataColumnClick(int column) {
  // The last clicked row follows its record to its new place.
  const auto clicked = lview_model_->list().RecordOf(st_.store.glix);
  lview_model_->ColumnClick(column);
  if (clicked) {
    const auto row = lview_model_->list().RowOf(*clicked);
    st_.store.glix = row ? static_cast<int32_t>(*row) : -1;
  }
}

void TFormMain::A1Click() {
  if (lview_model_->rowCount() == 0) return;
  lview_->selectAll();
  SetStatus(QStringLiteral("リスト全選択完了"));
  bt_sakujo_->setEnabled(true);
}

void TFormMain::ListVClick() {
  const QModelIndex current = list_v_->currentIndex();
  if (!current.isValid() || !list_v_->selectionModel()->isRowSelected(current.row(), {})) return;
  SelectTreeNode(current.row() + 1);
  TreeVClick();
}

void TFormMain::CountKensuu() {
  std::vector<std::string> nodes;
  for (QTreeWidgetItemIterator it(tree_); *it; ++it) nodes.push_back(Sj((*it)->text(0)));
  count_model_->SetRows(sorami::CountKensuu(st_.store, st_.log, nodes));
}

bool TFormMain::SetDisplay() {
  std::string summary;
  const bool ok = sorami::SetDisplay(st_.store, st_.log, st_.folder_counts, summary);
  SetStatus(Qs(summary));
  return ok;
}

bool TFormMain::HyoujiMessage(bool direct, int index, std::string& msg) {
  ShowPanel(false);
  bool marked = false;
  const int32_t row = direct ? index : lview_model_->list().RecordOf(index).value_or(-1);
  st_.log.Log("HyoujiMessage ix:" + std::to_string(index) + " nm:" + std::to_string(row));
  if (row < 0 || row >= st_.store.CtMaster()) {
    msg = Utf8ToCp932("エラー(HyoujiMessage)");
    return marked;
  }
  panel_honbun_->ShowRecord(st_.store, st_.log, row);
  // Reading from the inbox or the root marks read; any other folder changes nothing.
  if (TreeNodeSelected(FolderNode(Folder::kInbox)) || TreeNodeSelected(FolderNode(Folder::kRoot))) {
    marked = SetKakuninbi(st_.store, st_.log, row, NowText(), hooks.send_feedback);
    if (marked) lview_model_->RecordChanged(row);
  }
  panel_honbun_->tenpu()->hide();
  if (st_.store.Get(row, MastCol::kCategory) == kMailCategory) {
    shown_kind_ = kMailCategory;
    panel_honbun_->SetSentCaptionVisible(false);
    if (hooks.show_mail_info) hooks.show_mail_info(row);
  } else {
    panel_honbun_->SetSentCaptionVisible(true);
    shown_kind_ = kMessageKind;
    if (!st_.store.Get(row, MastCol::kAttachments).empty() && hooks.show_tenpu &&
        hooks.show_tenpu(row)) {
      panel_honbun_->tenpu()->show();
    }
  }
  if (!direct) {
    AddHistory(st_.history, true, std::to_string(row));
    st_.history.pos = static_cast<int>(st_.history.entries.size()) - 1;
  }
  bt_back_->setEnabled(true);
  bt_forward_->setEnabled(true);
  return marked;
}

void TFormMain::ShowHonbun() {
  st_.log.Log(".ShowHonbun");
  const HistoryEntry entry = CurrentHistoryEntry(st_.history);
  if (entry.message) {
    std::string msg;  // a record that is gone shows nothing; the history stays
    HyoujiMessage(true, HistoryRow(entry.key), msg);
  } else if (hooks.show_help) {
    hooks.show_help(entry.key);
  }
}

void TFormMain::BtBackClick() {
  if (HistoryBack(st_.history)) ShowHonbun();
}

void TFormMain::BtForwardClick() {
  if (HistoryForward(st_.history)) ShowHonbun();
}

}  // namespace sorami
