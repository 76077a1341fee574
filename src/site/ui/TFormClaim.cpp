#include "site/ui/TFormClaim.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>

#include "base/ui/Named.h"
#include "base/ui/QtText.h"

namespace sorami {

TFormClaim::TFormClaim(Registry& registry, DiagLog& log, QWidget* parent)
    : PersistedWindow(registry, log, "fmClaim", kDesignGeometry, Persist::kGeometry, parent) {
  setWindowTitle(QStringLiteral("クレーム報告"));
  auto* central = new QWidget(this);
  auto* form = new QFormLayout(central);
  auto field = [this, central](const char* name) {
    auto* e = Named(new QLineEdit(central), name);
    e->setEnabled(false);
    return e;
  };
  auto with_check = [central](QLineEdit* e, QCheckBox*& ck, const char* name) {
    auto* row = new QWidget(central);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(e, 1);
    ck = Named(new QCheckBox(QStringLiteral("不正"), row), name);
    h->addWidget(ck);
    return row;
  };
  form->addRow(QStringLiteral("送信者"), edit_from_name_ = field("EditFromName"));
  form->addRow(QStringLiteral("表題"), edit_title_ = field("EditTitle"));
  form->addRow(QStringLiteral("送信日"), edit_from_date_ = field("EditFromDate"));
  form->addRow(QStringLiteral("確認日"), edit_date_ = field("EditDate"));
  form->addRow(QStringLiteral("本文"), edit_honbun_ = field("EditHonbun"));
  form->addRow(QStringLiteral("送信先"), edit_to_name_ = field("EditToName"));
  form->addRow(QStringLiteral("関係"),
               with_check(edit_kankei_ = field("EditKankei"), ck_kankei_, "CkKankei"));
  form->addRow(QStringLiteral("種別"),
               with_check(edit_shubetsu_ = field("EditShubetsu"), ck_shubetsu_, "CkShubetsu"));
  memo_comment_ = Named(new QPlainTextEdit(central), "MemoComment");
  form->addRow(QStringLiteral("コメント"), memo_comment_);
  auto* buttons = new QHBoxLayout;
  auto* run = Named(new QPushButton(QStringLiteral("クレーム報告実行"), central), "Button1");
  auto* cancel = Named(new QPushButton(QStringLiteral("ｷｬﾝｾﾙ(&Q)"), central), "Button2");
  auto* help = Named(new QPushButton(QStringLiteral("ﾍﾙﾌﾟ(&H)"), central), "Button3");
  for (QPushButton* b : {run, cancel, help}) buttons->addWidget(b);
  form->addRow(buttons);
  setCentralWidget(central);

  connect(run, &QPushButton::clicked, this, &TFormClaim::Button1Click);
  connect(cancel, &QPushButton::clicked, this, [this] { Finish(false); });
  connect(help, &QPushButton::clicked, this, [this] {
    if (hooks.show_help) hooks.show_help();
  });
  hooks.alert = [this](const QString& text) {
    QMessageBox::information(this, windowTitle(), text);
  };
}

void TFormClaim::ShowFor(const TArMastd& store, int32_t row) {
  auto text = [&](MastCol c) { return Qs(store.Get(row, c)); };
  edit_from_name_->setText(text(MastCol::kSender));
  edit_title_->setText(text(MastCol::kTitle));
  edit_from_date_->setText(text(MastCol::kSendDate));
  edit_date_->setText(text(MastCol::kDate));
  edit_honbun_->setText(text(MastCol::kBody));
  edit_to_name_->setText(text(MastCol::kTo));
  edit_kankei_->setText(text(MastCol::kRelation));
  edit_shubetsu_->setText(text(MastCol::kCategory));
  setWindowModality(Qt::ApplicationModal);
  show();
  raise();
}

void TFormClaim::Button1Click() {
  if (!ck_kankei_->isChecked() && !ck_shubetsu_->isChecked()) {
    if (hooks.alert) hooks.alert(QStringLiteral("不正指定　未チェック"));
    return;
  }
  const ClaimChoice choice{ck_kankei_->isChecked(), ck_shubetsu_->isChecked(),
                           Sj(memo_comment_->toPlainText())};
  if (hooks.report) result_ = Qs(hooks.report(choice));
  Finish(true);
}

void TFormClaim::Finish(bool ok) {
  // Hidden before the modality changes (see the address list's pick).
  close();
  setWindowModality(Qt::NonModal);
  emit closed(ok, result_);
}

}  // namespace sorami
