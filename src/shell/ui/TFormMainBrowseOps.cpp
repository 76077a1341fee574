// Changes the user makes to records from the main window: deleting the selected messages,
// moving the last clicked one to another folder through the list's pop-up menu, and storing
// an edited body. Every list row leads to its record through the list, also after sorting.
#include <QAction>
#include <QItemSelectionModel>
#include <QMenu>
#include <QPushButton>
#include <QTextEdit>
#include <QTreeView>
#include <algorithm>

#include "base/ui/QtText.h"
#include "shell/ui/TFormMain.h"
#include "store/Folders.h"
#include "store/StoreOps.h"
#include "views/FolderTree.h"
#include "views/MessageList.h"
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

}  // namespace

void TFormMain::BuildListMenu() {
  pmenu_folder_ = new QMenu(this);
  pmenu_folder_->setObjectName(QStringLiteral("PMenuFolder"));
  connect(AddAction(pmenu_folder_, "N3", QStringLiteral("削除")), &QAction::triggered, this,
          [this] { BtSakujoClick(); });
  pmenu_folder_->addSeparator();
  AddAction(pmenu_folder_, "MenuHenshin", QStringLiteral("返信する"));
  AddAction(pmenu_folder_, "MenuSaisoushin", QStringLiteral("再送信"));
  QMenu* move = AddMenu(pmenu_folder_, "MenuHenkou", QStringLiteral("フォルダ変更"));
  // Tags 1 to 5: the system folders after the root, captioned as their tree nodes.
  const char* const system_names[] = {"PMenuJushin", "PMenuKidoku", "PMenuSoushin", "PMenuSoukou",
                                      "PMenuJuuyou"};
  const std::vector<std::string> nodes = SystemNodeTexts();
  auto add_folder = [this, move](const char* name, const QString& caption, int tag) {
    QAction* a = AddAction(move, name, caption);
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
    const std::string name = "User" + std::to_string(k);
    add_folder(name.c_str(), QString::fromStdString(name), 5 + k)->setVisible(false);
  }
  pmenu_folder_->addSeparator();
  AddAction(pmenu_folder_, "N9", QStringLiteral("クレーム報告"));

  // The pop-up acts on the row it was opened on: that row becomes the last clicked one.
  lview_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(lview_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    const QModelIndex index = lview_->indexAt(at);
    if (index.isValid()) st_.store.glix = index.row();
    pmenu_folder_->popup(lview_->viewport()->mapToGlobal(at));
  });
}

void TFormMain::BtSakujoClick() {
  const MessageList& list = lview_model_->list();
  const std::vector<size_t> rows = SelectedRowsDescending(*lview_->selectionModel());
  // The first selected row: after the delete, the row standing there is selected.
  const int r = rows.empty() ? -1 : static_cast<int>(rows.back());
  std::vector<int32_t> records;
  records.reserve(rows.size());
  for (size_t row : rows) records.push_back(list.RecordOf(static_cast<int64_t>(row)).value_or(-1));

  std::string msg;
  std::vector<int32_t> deleted;
  if (!SakujoMessage(st_.store, st_.log, records, msg, &deleted)) return;

  // Only the rows whose record was deleted leave the list, all in one pass.
  std::vector<bool> gone(static_cast<size_t>(st_.store.CtMaster()), false);
  for (int32_t d : deleted) gone[static_cast<size_t>(d)] = true;
  std::vector<size_t> remove;
  for (size_t k = 0; k < rows.size(); ++k) {
    if (records[k] >= 0 && gone[static_cast<size_t>(records[k])]) remove.push_back(rows[k]);
  }
  const auto clicked = list.RecordOf(st_.store.glix);
  lview_model_->RemoveRows(std::move(remove));
  if (clicked) {
    const auto row = list.RowOf(*clicked);
    st_.store.glix = row ? static_cast<int32_t>(*row) : -1;
  }
  if (r >= 0 && r < lview_model_->rowCount()) {
    lview_->selectionModel()->setCurrentIndex(
        lview_model_->index(r, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  CountKensuu();
  SetStatus(Qs(msg));
}

void TFormMain::PMenuJushinClick(const QAction* item) {
  const int glix = st_.store.glix;
  if (glix < 0) return;
  const std::string folder = item->data().toInt() == 1 ? std::string(FolderName(Folder::kInbox))
                                                       : NodeFolder(Sj(item->text()));
  // ChangeFolder: only the record of the last clicked row moves.
  const int32_t record = lview_model_->list().RecordOf(glix).value_or(-1);
  if (ChangeFolder(st_.store, st_.log, record, folder)) {
    st_.log.Log("GLIX:" + std::to_string(glix));
    lview_model_->RemoveRows({static_cast<size_t>(glix)});
    st_.store.glix = -1;  // its row has left the list
  }
  CountKensuu();
}

void TFormMain::MenuUPDClick() {
  const int32_t record = body_edit_.edited();
  std::string msg;
  if (!body_edit_.Store(st_.store, st_.log, Sj(panel_honbun_->memo()->toPlainText()), msg)) return;
  lview_model_->RecordChanged(record);
  SetStatus(Qs(msg));
}

void TFormMain::MenuHenkanClick() {
  QTextEdit* memo = panel_honbun_->memo();
  memo->setPlainText(Qs(ConvertBrTags(Sj(memo->toPlainText()))));
  body_edit_.Typed(panel_honbun_->record());
  MenuUPDClick();
}

}  // namespace sorami
