#include "settings/ui/UserFolderPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "base/ui/Named.h"
#include "base/ui/QtText.h"

namespace sorami {

UserFolderPage::UserFolderPage(std::vector<UserFolder>& folders, std::filesystem::path data_dir,
                               DiagLog& log, QWidget* parent)
    : QWidget(parent), folders_(folders), data_dir_(std::move(data_dir)), log_(log) {
  setObjectName(QStringLiteral("TabFolder"));
  auto* system = Named(new QComboBox(this), "ComboSystem");
  for (const std::string& caption : SystemFolderCaptions()) system->addItem(Qs(caption));
  system->setEnabled(false);
  edit_folder_ = Named(new QLineEdit(this), "EditFolder");
  ck_valid_ = Named(new QCheckBox(QStringLiteral("有効"), this), "CkValid");
  ck_valid_->setChecked(true);
  bt_tsuika_ = Named(new QPushButton(QStringLiteral("追加"), this), "BtTsuika");
  bt_henkou_ = Named(new QPushButton(QStringLiteral("変更"), this), "BtHenkou");
  bt_sakujo_ = Named(new QPushButton(QStringLiteral("削除"), this), "BtSakujo");
  for (QPushButton* b : {bt_tsuika_, bt_henkou_, bt_sakujo_}) b->setEnabled(false);
  list_ = Named(new QListWidget(this), "CkUserFolder");
  auto* apply = Named(new QPushButton(QStringLiteral("反映する"), this), "SpeedButton1");

  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(QStringLiteral("システム"), this), 0, 0);
  grid->addWidget(system, 0, 1, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("フォルダ名称"), this), 1, 0);
  grid->addWidget(edit_folder_, 1, 1, 1, 2);
  grid->addWidget(ck_valid_, 1, 3);
  grid->addWidget(bt_tsuika_, 2, 1);
  grid->addWidget(bt_henkou_, 2, 2);
  grid->addWidget(bt_sakujo_, 2, 3);
  grid->addWidget(new QLabel(QStringLiteral("一覧"), this), 3, 0, Qt::AlignTop);
  grid->addWidget(list_, 3, 1, 1, 3);
  grid->addWidget(apply, 4, 3);

  connect(edit_folder_, &QLineEdit::textChanged, this, [this] { EditFolderChange(); });
  connect(list_, &QListWidget::itemClicked, this, [this] { CkUserFolderClick(); });
  connect(bt_tsuika_, &QPushButton::clicked, this, [this] { BtTsuikaClick(); });
  connect(bt_henkou_, &QPushButton::clicked, this, [this] { BtHenkouClick(); });
  connect(bt_sakujo_, &QPushButton::clicked, this, [this] { BtSakujoClick(); });
  connect(apply, &QPushButton::clicked, this, [this] { SpeedButton1Click(); });
}

void UserFolderPage::ShowList() {
  list_->clear();
  for (const UserFolder& f : folders_) {
    auto* item = new QListWidgetItem(Qs(f.name), list_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(f.enabled ? Qt::Checked : Qt::Unchecked);
  }
  if (current_ >= 0 && current_ < list_->count()) list_->setCurrentRow(current_);
}

void UserFolderPage::EditFolderChange() {
  const std::string name = Sj(edit_folder_->text());
  const std::string problem = UserFolderNameProblem(name, folders_);
  bt_tsuika_->setEnabled(problem.empty());
  const bool entry = current_ >= 0 && static_cast<size_t>(current_) < folders_.size();
  // A good name may replace the clicked entry's again after a refused one.
  if (problem.empty()) {
    if (entry) bt_henkou_->setEnabled(true);
    return;
  }
  bt_henkou_->setEnabled(false);
  // The entry's own name (just clicked) and an empty box need no word.
  const bool own = entry && folders_[static_cast<size_t>(current_)].name == name;
  if (!name.empty() && !own) Status(Qs(problem));
}

void UserFolderPage::CkUserFolderClick() {
  current_ = list_->currentRow();
  if (current_ < 0 || static_cast<size_t>(current_) >= folders_.size()) return;
  // The check box of the list is the entry's mark too.
  folders_[static_cast<size_t>(current_)].enabled =
      list_->item(current_)->checkState() == Qt::Checked;
  edit_folder_->setText(Qs(folders_[static_cast<size_t>(current_)].name));
  ck_valid_->setChecked(folders_[static_cast<size_t>(current_)].enabled);
  bt_henkou_->setEnabled(true);
  bt_sakujo_->setEnabled(true);
}

void UserFolderPage::BtTsuikaClick() {
  folders_.push_back({Sj(edit_folder_->text()), ck_valid_->isChecked()});
  current_ = static_cast<int>(folders_.size()) - 1;
  ShowList();
  EditFolderChange();
}

void UserFolderPage::BtHenkouClick() {
  if (current_ < 0 || static_cast<size_t>(current_) >= folders_.size()) return;
  UserFolder& entry = folders_[static_cast<size_t>(current_)];
  const std::string name = Sj(edit_folder_->text());
  if (name != entry.name) {
    const std::string problem = UserFolderNameProblem(name, folders_);
    if (!problem.empty()) {
      Status(Qs(problem));
      return;
    }
    renames_.emplace_back(entry.name, name);
  }
  entry = {name, ck_valid_->isChecked()};
  ShowList();
  Status(QStringLiteral("変更完了"));
}

void UserFolderPage::BtSakujoClick() {
  if (current_ < 0 || static_cast<size_t>(current_) >= folders_.size()) return;
  folders_.erase(folders_.begin() + current_);
  current_ = -1;
  bt_henkou_->setEnabled(false);
  bt_sakujo_->setEnabled(false);
  ShowList();
  Status(QStringLiteral("削除完了"));
}

void UserFolderPage::SpeedButton1Click() {
  std::string msg;
  const bool saved = SaveUserFolder(folders_, data_dir_, log_, msg);
  if (saved) {
    // The messages follow their folder's new name before the tree is applied.
    if (hooks.rename) {
      for (const auto& [from, to] : renames_) hooks.rename(from, to);
    }
    renames_.clear();
    if (hooks.apply) hooks.apply();
  }
  log_.Log(msg);
  if (!saved) Status(Qs(msg));
}

void UserFolderPage::Status(const QString& text) {
  if (hooks.status) hooks.status(text);
}

}  // namespace sorami
