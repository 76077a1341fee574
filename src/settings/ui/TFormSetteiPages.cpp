// The pages "System" (server name, encryption of the master file, the account's host labels,
// the current account), "HTTP" and "送受信ログ" (the account log).
#include <QCheckBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/ui/Named.h"
#include "base/ui/ProductText.h"
#include "base/ui/QtText.h"
#include "settings/ui/TFormSettei.h"

namespace sorami {

QWidget* TFormSettei::BuildSystemPage() {
  auto* page = Named(new QWidget, "TabSystem");
  edit_server_ = Named(new QLineEdit(page), "EditServer");
  ck_angouka_ = Named(new QCheckBox(QStringLiteral("暗号化を行う"), page), "CkAngouka");
  label_koukai_server_ = Named(new QLabel(page), "LabelKoukaiServer");
  label_koukai_server_->setCursor(Qt::PointingHandCursor);
  label_koukai_server_->installEventFilter(this);

  auto* group = Named(new QGroupBox(QStringLiteral("カイロ設定"), page), "GroupKairo");
  auto* reset = Named(new QPushButton(QStringLiteral("リセット"), group), "BtReset");
  auto* group_layout = new QHBoxLayout(group);
  group_layout->addWidget(reset);
  group_layout->addStretch();

  auto* cur_info = Named(new QPushButton(QStringLiteral("Cur情報"), page), "Button3");

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("サーバー名"), edit_server_);
  form->addRow(QStringLiteral("公開サーバー"), label_koukai_server_);
  form->addRow(ck_angouka_);
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(form);
  layout->addWidget(group);
  layout->addWidget(cur_info, 0, Qt::AlignLeft);
  layout->addStretch();

  // The server name is only kept; the requests use the directory host of the run.
  connect(edit_server_, &QLineEdit::textChanged, this,
          [this](const QString& t) { s_.v.directory_server = Sj(t); });
  connect(ck_angouka_, &QCheckBox::toggled, this, [this](bool on) { where_.angouka = on; });
  connect(reset, &QPushButton::clicked, this, [this] { BtResetClick(); });
  connect(cur_info, &QPushButton::clicked, this, [this] { Button3Click(); });
  return page;
}

QWidget* TFormSettei::BuildHttpPage() {
  auto* page = Named(new QWidget, "TabHTTP");
  auto* memo = Named(new QPlainTextEdit(page), "MemoHTTP");
  memo->setReadOnly(true);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(memo);
  return page;
}

QWidget* TFormSettei::BuildLogPage() {
  auto* page = Named(new QWidget, "TabAcLog");
  memo_ac_log_ = Named(new QPlainTextEdit(page), "MemoAcLog");
  memo_ac_log_->setReadOnly(true);
  memo_ac_log_->setLineWrapMode(QPlainTextEdit::NoWrap);
  // Columns are padded in bytes of code page 932: a full-width character must be two
  // half-widths wide, as in a Japanese fixed-pitch font.
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  fixed.setFamilies({QStringLiteral("IPAGothic"), fixed.family()});
  memo_ac_log_->setFont(fixed);
  auto* clear = Named(new QPushButton(QStringLiteral("消去(&E)"), page), "Button4");
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(memo_ac_log_, 1);
  layout->addWidget(clear, 0, Qt::AlignLeft);
  connect(clear, &QPushButton::clicked, this, [this] { where_.aclog.Clear(); });
  return page;
}

// The memo shows the account log of the run and follows it.
void TFormSettei::FollowAccountLog() {
  memo_ac_log_->clear();
  for (const std::string& line : where_.aclog.lines()) memo_ac_log_->appendPlainText(Qs(line));
  where_.aclog.on_append = [this](const std::string& line) {
    memo_ac_log_->appendPlainText(Qs(line));
  };
  where_.aclog.on_clear = [this] { memo_ac_log_->clear(); };
}

// "リセット": the host and system user are looked up again by the next check.
void TFormSettei::BtResetClick() {
  s_.v.host.clear();
  s_.v.sys_user.clear();
  ShowFields();
}

void TFormSettei::Button3Click() {
  const SiteAccount& c = s_.cur;
  const QString text =
      QStringLiteral("curSite :%1\ncurHost :%2\ncurUser :%3\ncurPass :%4\ncurID   :%5")
          .arg(Qs(c.site), Qs(c.host), Qs(c.sys_user), Qs(c.password), Qs(c.nickname));
  QMessageBox box(QMessageBox::Information, ProductTitle(), text, QMessageBox::Ok, this);
  box.setObjectName(QStringLiteral("CurInfo"));
  box.exec();
}

}  // namespace sorami
