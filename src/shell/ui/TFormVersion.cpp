#include "shell/ui/TFormVersion.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "base/ui/ProductText.h"

namespace sorami {

TFormVersion::TFormVersion(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("fmVersion"));
  setWindowTitle(QStringLiteral("バージョン情報"));

  title_ = new QLabel(ProductTitle(), this);
  title_->setObjectName(QStringLiteral("LabelTitle"));
  QFont f = title_->font();
  f.setBold(true);
  f.setPointSizeF(f.pointSizeF() * 1.4);
  title_->setFont(f);
  title_->setAlignment(Qt::AlignCenter);

  version_ = new QLabel(this);
  version_->setObjectName(QStringLiteral("LabelVersion"));
  version_->setAlignment(Qt::AlignCenter);

  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("ProgressBar1"));
  progress_->hide();

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("BtOK"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::close);
  // The update button has no action; it stays hidden.
  update_ = new QPushButton(QStringLiteral("最新版更新"), this);
  update_->setObjectName(QStringLiteral("BtUpdate"));
  update_->hide();

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(update_);
  buttons->addWidget(ok);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(title_);
  layout->addWidget(version_);
  layout->addWidget(progress_);
  layout->addLayout(buttons);
  resize(360, 160);
}

void TFormVersion::showEvent(QShowEvent* event) {
  version_->setText(VersionText());
  if (const QScreen* screen = this->screen()) {
    const QRect r = screen->availableGeometry();
    move(r.center() - rect().center());
  }
  QDialog::showEvent(event);
}

}  // namespace sorami
