// The page "アカウント設定": the account list ListU, the boxes of the shown account, the
// connection check and the buttons that register, change, delete and fetch a row.
#include <QCheckBox>
#include <QDesktopServices>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "base/ui/Named.h"
#include "base/ui/QtText.h"
#include "settings/Settei.h"
#include "settings/ui/TFormSettei.h"

namespace sorami {

namespace {

struct ListColumn {
  const char* caption;
  int width;  // 0: the default width
};

// The password and the last check time are kept in the list but out of sight (1 pixel).
constexpr ListColumn kListColumns[kAccountRowFields] = {
    {"サイト名", 70}, {"アカウント", 70}, {"パスワード", 1}, {"最終確認時刻", 1},
    {"Host", 60},     {"User", 40},       {"有効", 30},      {"DYN", 0},
};

void SetTextIfChanged(QLineEdit* edit, const std::string& cp932) {
  const QString text = Qs(cp932);
  if (edit->text() != text) edit->setText(text);
}

void OpenCaption(const QLabel* label) {
  if (!label->text().isEmpty()) QDesktopServices::openUrl(QUrl::fromUserInput(label->text()));
}

}  // namespace

QWidget* TFormSettei::BuildAccountPage() {
  auto* page = Named(new QWidget, "TabAccount");

  list_u_ = Named(new QTreeWidget(page), "ListU");
  list_u_->setRootIsDecorated(false);
  list_u_->setUniformRowHeights(true);
  list_u_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_u_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_u_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_u_->setColumnCount(kAccountRowFields);
  QStringList captions;
  for (const ListColumn& c : kListColumns) captions << QString::fromUtf8(c.caption);
  list_u_->setHeaderLabels(captions);
  list_u_->header()->setMinimumSectionSize(0);
  list_u_->header()->setStretchLastSection(false);
  for (int c = 0; c < kAccountRowFields; ++c) {
    if (kListColumns[c].width > 0) list_u_->setColumnWidth(c, kListColumns[c].width);
  }
  list_u_->installEventFilter(this);

  edit_kairo_ = Named(new QLineEdit(page), "EditKairo");
  edit_account_ = Named(new QLineEdit(page), "EditAccount");
  edit_password_ = Named(new QLineEdit(page), "EditPassword");
  edit_password_->setEchoMode(QLineEdit::Password);
  label_host_ = Named(new QLabel(page), "LabelHost");
  label_sys_user_ = Named(new QLabel(page), "LabelSysUser");
  label_dynamic_ = Named(new QLabel(page), "LabelDynamic");
  label_jikoku_ = Named(new QLabel(page), "LabelJikoku");
  label_url_ = Named(new QLabel(page), "LabelURL");
  label_url_->setCursor(Qt::PointingHandCursor);
  label_url_->installEventFilter(this);
  for (QLabel* l : {label_host_, label_sys_user_, label_dynamic_, label_jikoku_}) {
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
  }
  ck_yuukou_ = Named(new QCheckBox(QStringLiteral("有効"), page), "CkYuukou");

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("サイト名"), page), 0, 0);
  grid->addWidget(edit_kairo_, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("アカウント"), page), 1, 0);
  grid->addWidget(edit_account_, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("パスワード"), page), 2, 0);
  grid->addWidget(edit_password_, 2, 1);
  grid->addWidget(ck_yuukou_, 3, 1);
  grid->addWidget(new QLabel(QStringLiteral("Host"), page), 0, 2);
  grid->addWidget(label_host_, 0, 3);
  grid->addWidget(new QLabel(QStringLiteral("User"), page), 1, 2);
  grid->addWidget(label_sys_user_, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("DYN"), page), 2, 2);
  grid->addWidget(label_dynamic_, 2, 3);
  grid->addWidget(new QLabel(QStringLiteral("最終確認時刻"), page), 3, 2);
  grid->addWidget(label_jikoku_, 3, 3);
  grid->addWidget(new QLabel(QStringLiteral("アクセスＵＲＬ"), page), 4, 0);
  grid->addWidget(label_url_, 4, 1, 1, 3);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);

  bt_kakunin_ = Named(new QPushButton(QStringLiteral("接続確認"), page), "BtKakunin");
  bt_touroku_ = Named(new QPushButton(QStringLiteral("登録"), page), "BtTouroku");
  button6_ = Named(new QPushButton(QStringLiteral("変更"), page), "Button6");
  button7_ = Named(new QPushButton(QStringLiteral("削除"), page), "Button7");
  bt_single_ = Named(new QPushButton(QStringLiteral("単独取得"), page), "BtSingle");
  // Registering needs an account the check has just accepted.
  bt_touroku_->setEnabled(false);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {bt_kakunin_, bt_touroku_, button6_, button7_, bt_single_}) {
    buttons->addWidget(b);
  }
  buttons->addStretch();

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(list_u_, 1);
  layout->addLayout(grid);
  layout->addLayout(buttons);

  // An edit makes the shown account current; it has to be checked again before "登録".
  connect(edit_kairo_, &QLineEdit::textChanged, this, [this](const QString& t) {
    SetEditKairo(s_, Sj(t));
    bt_touroku_->setEnabled(false);
  });
  connect(edit_account_, &QLineEdit::textChanged, this, [this](const QString& t) {
    SetEditAccount(s_, Sj(t));
    bt_touroku_->setEnabled(false);
  });
  connect(edit_password_, &QLineEdit::textChanged, this, [this](const QString& t) {
    SetEditPassword(s_, Sj(t));
    bt_touroku_->setEnabled(false);
  });
  connect(ck_yuukou_, &QCheckBox::toggled, this, [this](bool on) { s_.account_enabled = on; });
  connect(list_u_, &QTreeWidget::itemClicked, this, [this] { ListUClick(); });
  connect(bt_kakunin_, &QPushButton::clicked, this, [this] { BtKakuninClick(); });
  connect(bt_touroku_, &QPushButton::clicked, this, [this] { BtTourokuClick(); });
  connect(button6_, &QPushButton::clicked, this, [this] { Button6Click(); });
  connect(button7_, &QPushButton::clicked, this, [this] { Button7Click(); });
  connect(bt_single_, &QPushButton::clicked, this, [this] { BtSingleClick(); });
  return page;
}

void TFormSettei::ShowFields() {
  const SetteiValues& v = s_.v;
  // Their change handlers copy the texts back; the values are the same.
  SetTextIfChanged(edit_kairo_, v.site_name);
  SetTextIfChanged(edit_account_, v.nickname);
  SetTextIfChanged(edit_password_, v.password);
  label_host_->setText(Qs(v.host));
  label_sys_user_->setText(Qs(v.sys_user));
  label_dynamic_->setText(Qs(v.dyn_key));
  label_url_->setText(Qs(v.url));
  label_jikoku_->setText(Qs(s_.shown_last_check));
  ck_yuukou_->setChecked(s_.account_enabled);
  SetTextIfChanged(edit_server_, v.directory_server);
  ck_angouka_->setChecked(where_.angouka);
  label_koukai_server_->setText(QStringLiteral("http://%1/").arg(Qs(where_.directory_host)));
}

void TFormSettei::ShowList() {
  const int current =
      list_u_->currentItem() ? list_u_->indexOfTopLevelItem(list_u_->currentItem()) : -1;
  list_u_->clear();
  for (const SiteAccount& row : s_.rows) {
    QStringList texts;
    for (const std::string& field : AccountRowFields(row)) texts << Qs(field);
    list_u_->addTopLevelItem(new QTreeWidgetItem(texts));
  }
  if (current >= 0 && current < list_u_->topLevelItemCount()) {
    list_u_->setCurrentItem(list_u_->topLevelItem(current));
  }
}

// A click or a key released on the list with a row selected: the row is remembered, shown
// and made the current account.
void TFormSettei::ListUClick() {
  QTreeWidgetItem* item = list_u_->currentItem();
  if (item == nullptr || !item->isSelected()) return;
  const int row = list_u_->indexOfTopLevelItem(item);
  s_.clicked_row = row;
  ShowAccountRow(s_, row);
  ShowFields();
  if (hooks.show_current_account) hooks.show_current_account();
}

void TFormSettei::BtKakuninClick() {
  SetStatus(QString());
  KeepGeometry();
  std::string msg;
  const bool ok = hooks.check_account && hooks.check_account(msg);
  ShowFields();
  SetStatus(Qs(msg));
  if (ok) bt_touroku_->setEnabled(true);
}

void TFormSettei::BtTourokuClick() {
  std::string msg;
  if (!UpdateAcList(s_, where_.log, /*is_new=*/true, 0, &msg)) SetStatus(Qs(msg));
  ShowList();
}

void TFormSettei::Button6Click() {
  if (s_.clicked_row < 0) return;
  std::string msg;
  if (!UpdateAcList(s_, where_.log, /*is_new=*/false, s_.clicked_row, &msg)) SetStatus(Qs(msg));
  ShowList();
}

// No confirmation; the remembered index stays, so a second press deletes the row that moved
// into its place.
void TFormSettei::Button7Click() {
  if (s_.clicked_row < 0) return;
  DeleteClickedRow(s_);
  ShowList();
}

void TFormSettei::BtSingleClick() {
  QTreeWidgetItem* item = list_u_->currentItem();
  if (item == nullptr || !item->isSelected() || !hooks.fetch_row) return;
  SetStatus(hooks.fetch_row(list_u_->indexOfTopLevelItem(item)));
}

bool TFormSettei::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_u_ && event->type() == QEvent::KeyRelease) ListUClick();
  if (event->type() == QEvent::MouseButtonRelease) {
    if (watched == label_url_) OpenCaption(label_url_);
    if (watched == label_koukai_server_) OpenCaption(label_koukai_server_);
  }
  return PersistedWindow::eventFilter(watched, event);
}

}  // namespace sorami
