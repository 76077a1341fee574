// The browser's commands: deleting the selected messages, moving the last clicked one to
// another folder through the list's pop-up menu, sorting by a column, storing an edited body,
// moving through the history; and the keys of the list, the count list and the body box.
// Every list row leads to its record through the list, also after sorting.
#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QTextEdit>
#include <QTreeView>
#include <algorithm>
#include <charconv>

#include "base/ui/Named.h"
#include "base/ui/QtText.h"
#include "store/Folders.h"
#include "views/FolderTree.h"
#include "views/ui/MessageBrowser.h"
#include "views/ui/MessageListModel.h"
#include "views/ui/MessagePane.h"

namespace sorami {

namespace {

// The selected rows of a list, last to first.
std::vector<size_t> SelectedRowsDescending(const QItemSelectionModel& sel) {
  std::vector<size_t> rows;
  for (const QItemSelectionRange& range : sel.selection()) {
    for (int r = range.top(); r <= range.bottom(); ++r) rows.push_back(static_cast<size_t>(r));
  }
  std::sort(rows.begin(), rows.end(), std::greater<>());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}

// A history key as a store row: 0 when it is not a number.
int HistoryRow(const std::string& key) {
  int v = 0;
  const auto [end, ec] = std::from_chars(key.data(), key.data() + key.size(), v);
  return ec == std::errc() && end == key.data() + key.size() ? v : 0;
}

QAction* AddItem(QMenu* menu, const char* name, const QString& caption) {
  return Named(menu->addAction(caption), name);
}

}  // namespace

void MessageBrowser::BuildListMenu() {
  pmenu_folder_ = Named(new QMenu(lview_), "PMenuFolder");
  connect(AddItem(pmenu_folder_, "N3", QStringLiteral("削除")), &QAction::triggered, this,
          [this] { BtSakujoClick(); });
  pmenu_folder_->addSeparator();
  connect(AddItem(pmenu_folder_, "MenuHenshin", QStringLiteral("返信する")), &QAction::triggered,
          this, [this] {
            if (hooks.reply) hooks.reply(ReplyKind::kSender);
          });
  connect(AddItem(pmenu_folder_, "MenuSaisoushin", QStringLiteral("再送信")), &QAction::triggered,
          this, [this] {
            if (hooks.reply) hooks.reply(ReplyKind::kResend);
          });
  // The submenu's action carries its name too, so that it can be shown and hidden like an item.
  QMenu* move = Named(pmenu_folder_->addMenu(QStringLiteral("フォルダ変更")), "MenuHenkou");
  Named(move->menuAction(), "MenuHenkou");
  // Tags 1 to 5: the system folders after the root, captioned as their tree nodes.
  const char* const system_names[] = {"PMenuJushin", "PMenuKidoku", "PMenuSoushin", "PMenuSoukou",
                                      "PMenuJuuyou"};
  const std::vector<std::string> nodes = SystemNodeTexts();
  auto add_folder = [this, move](const char* name, const QString& caption, int tag) {
    QAction* a = AddItem(move, name, caption);
    a->setData(tag);
    connect(a, &QAction::triggered, this, [this, a] { PMenuJushinClick(a); });
    return a;
  };
  for (int tag = 1; tag <= 5; ++tag) {
    add_folder(system_names[tag - 1], Qs(nodes[static_cast<size_t>(tag)]), tag);
  }
  move->addSeparator();
  // Tags 6 to 14: the user folders, named and shown when the user defines them.
  for (int k = 1; k <= 9; ++k) {
    const std::string name = "User" + std::to_string(k) + "1";  // User11 ... User91
    user_slots_.push_back(add_folder(name.c_str(), QStringLiteral("User%1").arg(k), 5 + k));
    user_slots_.back()->setVisible(false);
  }
  pmenu_folder_->addSeparator();
  connect(AddItem(pmenu_folder_, "MenuSource", QStringLiteral("ソースを表示")), &QAction::triggered,
          this, [this] { ShowSource(); });
  connect(AddItem(pmenu_folder_, "MenuSaveEml", QStringLiteral("名前を付けて保存...")),
          &QAction::triggered, this, [this] { SaveMailClick(); });
  pmenu_folder_->addSeparator();
  connect(AddItem(pmenu_folder_, "N9", QStringLiteral("クレーム報告")), &QAction::triggered, this,
          [this] {
            if (hooks.claim) hooks.claim();
          });

  // The pop-up acts on the row it was opened on: that row becomes the last clicked one.
  lview_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(lview_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    const QModelIndex index = lview_->indexAt(at);
    if (index.isValid()) glix_ = index.row();
    pmenu_folder_->popup(lview_->viewport()->mapToGlobal(at));
  });
}

bool MessageBrowser::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_v_ && event->type() == QEvent::Show) ShowCountList();
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

// The row a click or key in the list stands for: the current row when it is selected,
// else the first selected row; -1 when nothing is selected.
int MessageBrowser::ClickedListRow() const {
  const QItemSelectionModel* sel = lview_->selectionModel();
  const QModelIndex current = lview_->currentIndex();
  if (current.isValid() && sel->isRowSelected(current.row(), QModelIndex())) return current.row();
  int first = -1;
  for (const QItemSelectionRange& range : sel->selection()) {
    if (first < 0 || range.top() < first) first = range.top();
  }
  return first;
}

void MessageBrowser::ListVClick() {
  const QModelIndex current = list_v_->currentIndex();
  if (!current.isValid() || !list_v_->selectionModel()->isRowSelected(current.row(), {})) return;
  SelectTreeNode(current.row() + 1);
  ShowSelectedFolder();
}

void MessageBrowser::BtSakujoClick() {
  const MessageList& list = lview_model_->list();
  const std::vector<size_t> rows = SelectedRowsDescending(*lview_->selectionModel());
  // The first selected row: after the delete, the row standing there is selected.
  const int r = rows.empty() ? -1 : static_cast<int>(rows.back());
  std::vector<int32_t> records;
  records.reserve(rows.size());
  for (size_t row : rows) records.push_back(list.RecordOf(static_cast<int64_t>(row)).value_or(-1));

  std::string msg;
  std::vector<int32_t> deleted;
  if (!SakujoMessage(store_, log_, records, msg, &deleted, originals_)) return;

  // Only the rows whose record was deleted leave the list, all in one pass.
  std::vector<bool> gone(static_cast<size_t>(store_.CtMaster()), false);
  for (int32_t d : deleted) gone[static_cast<size_t>(d)] = true;
  std::vector<size_t> remove;
  for (size_t k = 0; k < rows.size(); ++k) {
    if (records[k] >= 0 && gone[static_cast<size_t>(records[k])]) remove.push_back(rows[k]);
  }
  const auto clicked = list.RecordOf(glix_);
  lview_model_->RemoveRows(std::move(remove));
  if (clicked) {
    const auto row = list.RowOf(*clicked);
    glix_ = row ? static_cast<int32_t>(*row) : -1;
  }
  if (r >= 0 && r < lview_model_->rowCount()) {
    lview_->selectionModel()->setCurrentIndex(
        lview_model_->index(r, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  SetStatus(Qs(msg));
}

void MessageBrowser::LViewDataColumnClick(int column) {
  // The last clicked row follows its record to its new place.
  const auto clicked = lview_model_->list().RecordOf(glix_);
  lview_model_->ColumnClick(column);
  if (clicked) {
    const auto row = lview_model_->list().RowOf(*clicked);
    glix_ = row ? static_cast<int32_t>(*row) : -1;
  }
}

void MessageBrowser::PMenuJushinClick(const QAction* item) {
  const int glix = glix_;
  if (glix < 0) return;
  const std::string folder = item->data().toInt() == 1 ? std::string(FolderName(Folder::kInbox))
                                                       : NodeFolder(Sj(item->text()));
  // ChangeFolder: only the record of the last clicked row moves, and its row leaves the list.
  const int32_t record = lview_model_->list().RecordOf(glix).value_or(-1);
  if (ChangeFolder(store_, log_, record, folder)) {
    log_.Log("GLIX:" + std::to_string(glix));
    lview_model_->RemoveRows({static_cast<size_t>(glix)});
  }
}

void MessageBrowser::A1Click() {
  if (lview_model_->rowCount() == 0) return;
  lview_->selectAll();
  SetStatus(QStringLiteral("リスト全選択完了"));
  if (hooks.enable_delete) hooks.enable_delete();
}

void MessageBrowser::MenuUPDClick() {
  std::string msg;
  if (!body_edit_.Store(store_, log_, Sj(panel_honbun_->memo()->toPlainText()), msg)) return;
  SetStatus(Qs(msg));
}

// The record changes only on "変更(&U)".
void MessageBrowser::ClearBody() {
  const FillingBody filling(filling_body_);
  panel_honbun_->memo()->clear();
  body_edit_.Shown(-1);
}

void MessageBrowser::ShowPaneText(const QString& text) {
  ShowPanel(false);
  const FillingBody filling(filling_body_);
  panel_honbun_->memo()->setPlainText(text);
  panel_honbun_->ForgetRecord();
  body_edit_.Shown(-1);
}

void MessageBrowser::MenuHenkanClick() {
  QTextEdit* memo = panel_honbun_->memo();
  {
    const FillingBody filling(filling_body_);
    memo->setPlainText(Qs(ConvertBrTags(Sj(memo->toPlainText()))));
  }
  body_edit_.Typed(panel_honbun_->record());
  MenuUPDClick();
}

void MessageBrowser::ShowHonbun() {
  log_.Log(".ShowHonbun");
  const HistoryEntry entry = CurrentHistoryEntry(history_);
  if (entry.message) {
    std::string msg;  // a record that is gone shows nothing; the history stays
    HyoujiMessage(true, HistoryRow(entry.key), msg);
  } else if (hooks.show_help) {
    hooks.show_help(entry.key);
  }
}

void MessageBrowser::BtBackClick() {
  if (HistoryBack(history_)) ShowHonbun();
}

void MessageBrowser::BtForwardClick() {
  if (HistoryForward(history_)) ShowHonbun();
}

std::optional<int32_t> MessageBrowser::ClickedRecord() const {
  if (glix_ < 0) return std::nullopt;
  const auto record = lview_model_->list().RecordOf(glix_);
  if (!record || *record < 0 || *record >= store_.CtMaster()) return std::nullopt;
  return static_cast<int32_t>(*record);
}

}  // namespace sorami
