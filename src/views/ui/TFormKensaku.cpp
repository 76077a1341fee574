#include "views/ui/TFormKensaku.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "base/ui/Named.h"

namespace sorami {

TFormKensaku::TFormKensaku(Registry& registry, DiagLog& log, QWidget* parent)
    : PersistedWindow(registry, log, "fmSorKensaku", kDesignGeometry, Persist::kGeometry, parent) {
  setWindowTitle(QStringLiteral("検索"));
  auto* central = new QWidget(this);
  edit_keyword_ = Named(new QLineEdit(central), "EditKeyword");
  auto* button1 = Named(new QPushButton(QStringLiteral("検索実行(&K)"), central), "Button1");
  button1->setDefault(true);
  button1->setAutoDefault(true);
  auto* group = Named(new QGroupBox(QStringLiteral("条件"), central), "RadioJouken");
  auto* and_button = new QRadioButton(QStringLiteral("AND"), group);
  auto* or_button = new QRadioButton(QStringLiteral("OR"), group);
  and_button->setChecked(true);
  jouken_ = new QButtonGroup(this);
  jouken_->addButton(and_button, 0);
  jouken_->addButton(or_button, 1);
  auto* radios = new QHBoxLayout(group);
  radios->addWidget(and_button);
  radios->addWidget(or_button);

  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(QStringLiteral("キーワード"), central));
  row->addWidget(edit_keyword_, 1);
  auto* layout = new QVBoxLayout(central);
  layout->addLayout(row);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(group, 1);
  buttons->addWidget(button1);
  layout->addLayout(buttons);
  setCentralWidget(central);

  status_ = Named(new QLabel(this), "StatusBar1");
  statusBar()->addWidget(status_, 1);
  QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
  connect(Named(file->addAction(QStringLiteral("閉じる(&C)")), "MenuClose"), &QAction::triggered,
          this, &QWidget::close);
  QMenu* edit = menuBar()->addMenu(QStringLiteral("編集(&E)"));
  connect(Named(edit->addAction(QStringLiteral("消去(&E)")), "MenuClear"), &QAction::triggered,
          edit_keyword_, &QLineEdit::clear);

  connect(button1, &QPushButton::clicked, this, &TFormKensaku::Button1Click);
  connect(edit_keyword_, &QLineEdit::returnPressed, this, &TFormKensaku::Button1Click);
}

void TFormKensaku::Button1Click() {
  if (!hooks.run_search) return;
  status_->setText(hooks.run_search(edit_keyword_->text(), jouken_->checkedId()));
}

QString TFormKensaku::StatusText() const { return status_->text(); }

}  // namespace sorami
