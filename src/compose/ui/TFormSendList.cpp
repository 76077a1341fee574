#include "compose/ui/TFormSendList.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "base/ui/Named.h"
#include "base/ui/QtText.h"

namespace sorami {

TFormSendList::TFormSendList(Registry& registry, DiagLog& log, std::vector<AddressEntry>& entries,
                             QWidget* parent)
    : PersistedWindow(registry, log, "fmSendList", kDesignGeometry, Persist::kGeometry, parent),
      entries_(entries) {
  setWindowTitle(QStringLiteral("送信先リスト"));
  auto* central = new QWidget(this);
  lview_ = Named(new QTreeWidget(central), "LView");
  lview_->setRootIsDecorated(false);
  lview_->setHeaderLabels({QStringLiteral("名称"), QStringLiteral("宛先"), QStringLiteral("関係")});
  lview_->setColumnWidth(0, 80);
  lview_->setColumnWidth(1, 240);
  lview_->setColumnWidth(2, 80);
  lview_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  lview_->setEditTriggers(QAbstractItemView::NoEditTriggers);

  panel_edit_ = Named(new QWidget(central), "PanelEdit");
  edit_name_ = Named(new QLineEdit(panel_edit_), "EditName");
  edit_atesaki_ = Named(new QLineEdit(panel_edit_), "EditAtesaki");
  combo_kankei_ = Named(new QComboBox(panel_edit_), "ComboKankei");
  for (const CodeName& r : RelationTable()) combo_kankei_->addItem(Qs(r.name));
  combo_kankei_->setCurrentIndex(0);
  auto* change = Named(new QPushButton(QStringLiteral("変更(&U)"), panel_edit_), "Button1");
  auto* add = Named(new QPushButton(QStringLiteral("新規登録(&I)"), panel_edit_), "Button2");
  auto* remove = Named(new QPushButton(QStringLiteral("削除(&D)"), panel_edit_), "Button3");
  auto* grid = new QGridLayout(panel_edit_);
  grid->addWidget(new QLabel(QStringLiteral("名称"), panel_edit_), 0, 0);
  grid->addWidget(edit_name_, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("宛先"), panel_edit_), 1, 0);
  grid->addWidget(edit_atesaki_, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("関係"), panel_edit_), 2, 0);
  grid->addWidget(combo_kankei_, 2, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(change);
  buttons->addWidget(remove);
  buttons->addWidget(add);
  grid->addLayout(buttons, 3, 1);
  auto* layout = new QVBoxLayout(central);
  layout->addWidget(lview_, 1);
  layout->addWidget(panel_edit_);
  setCentralWidget(central);

  auto menu = [this](const char* name, const QString& caption) {
    return Named(menuBar()->addAction(caption), name);
  };
  connect(menu("Close1", QStringLiteral("上書選択(&C)")), &QAction::triggered, this,
          [this] { EndPick(true); });
  connect(menu("A1", QStringLiteral("追加選択(&A)")), &QAction::triggered, this, [this] {
    if (hooks.add_pick) hooks.add_pick(edit_atesaki_->text(), combo_kankei_->currentIndex());
  });
  connect(menu("C1", QStringLiteral("キャンセル(&Q)")), &QAction::triggered, this,
          [this] { EndPick(false); });
  connect(menu("E1", QStringLiteral("送信先編集(&E)")), &QAction::triggered, panel_edit_,
          &QWidget::show);
  connect(menu("H1", QStringLiteral("ヘルプ(&H)")), &QAction::triggered, this, [this] {
    if (hooks.show_help) hooks.show_help();
  });

  connect(lview_, &QTreeWidget::currentItemChanged, this, [this] { RowChosen(); });
  connect(lview_, &QTreeWidget::itemDoubleClicked, this, [this] { EndPick(true); });
  connect(lview_, &QTreeWidget::itemActivated, this, [this] { EndPick(true); });  // Enter
  connect(change, &QPushButton::clicked, this, &TFormSendList::Button1Click);
  connect(add, &QPushButton::clicked, this, &TFormSendList::Button2Click);
  connect(remove, &QPushButton::clicked, this, &TFormSendList::Button3Click);
}

void TFormSendList::ShowList() {
  const int current = CurrentRow();
  // Refilling the list is no choice of a row: the edit panel keeps what it shows.
  const QSignalBlocker quiet(lview_);
  lview_->clear();
  for (const AddressEntry& e : entries_) {
    new QTreeWidgetItem(lview_, {Qs(e.name), Qs(e.address), Qs(e.relation)});
  }
  if (current >= 0 && current < lview_->topLevelItemCount()) {
    lview_->setCurrentItem(lview_->topLevelItem(current));
  }
}

void TFormSendList::ShowForPick() {
  panel_edit_->hide();
  setWindowModality(Qt::ApplicationModal);
  show();
  raise();
}

QString TFormSendList::PickedAddress() const { return edit_atesaki_->text(); }
QString TFormSendList::PickedRelation() const { return combo_kankei_->currentText(); }

int TFormSendList::CurrentRow() const {
  return lview_->currentItem() ? lview_->indexOfTopLevelItem(lview_->currentItem()) : -1;
}

void TFormSendList::RowChosen() {
  const int row = CurrentRow();
  if (row < 0 || static_cast<size_t>(row) >= entries_.size()) return;
  const AddressEntry& e = entries_[static_cast<size_t>(row)];
  edit_name_->setText(Qs(e.name));
  edit_atesaki_->setText(Qs(e.address));
  combo_kankei_->setCurrentText(Qs(e.relation));
}

AddressEntry TFormSendList::FromFields() const {
  return {Sj(edit_atesaki_->text()), Sj(combo_kankei_->currentText()), Sj(edit_name_->text())};
}

void TFormSendList::Button1Click() {
  const int row = CurrentRow();
  if (row < 0 || static_cast<size_t>(row) >= entries_.size()) return;
  entries_[static_cast<size_t>(row)] = FromFields();
  ShowList();
}

void TFormSendList::Button2Click() {
  entries_.push_back(FromFields());
  ShowList();
}

void TFormSendList::Button3Click() {
  const int row = CurrentRow();
  if (row < 0 || static_cast<size_t>(row) >= entries_.size()) return;
  entries_.erase(entries_.begin() + row);
  ShowList();
}

void TFormSendList::EndPick(bool ok) {
  // Hidden before the modality changes: a window that stops being modal while shown stays in
  // the application's list of modal windows after it is gone.
  close();
  setWindowModality(Qt::NonModal);
  emit picked(ok);
}

}  // namespace sorami
