#include "compose/ui/TFormShomei.h"

#include <QMenuBar>
#include <QPlainTextEdit>

#include "base/ui/Named.h"
#include "base/ui/QtText.h"
#include "compose/Signature.h"

namespace sorami {

TFormShomei::TFormShomei(Registry& registry, DiagLog& log, std::filesystem::path data_dir,
                         QWidget* parent)
    : PersistedWindow(registry, log, "fmShomei", kDesignGeometry, Persist::kGeometry, parent),
      data_dir_(std::move(data_dir)) {
  setWindowTitle(QStringLiteral("署名"));
  setWindowModality(Qt::ApplicationModal);
  memo_ = Named(new QPlainTextEdit(this), "MemoShomei");
  setCentralWidget(memo_);
  connect(Named(menuBar()->addAction(QStringLiteral("閉じる(&C)")), "Close1"), &QAction::triggered,
          this, &TFormShomei::Close1Click);
  connect(Named(menuBar()->addAction(QStringLiteral("キャンセル(&Q)")), "Q1"), &QAction::triggered,
          this, &QWidget::close);
  QMenu* edit = Named(menuBar()->addMenu(QStringLiteral("編集(&E)")), "E1");
  connect(Named(edit->addAction(QStringLiteral("貼り付け(&P)")), "P1"), &QAction::triggered, memo_,
          &QPlainTextEdit::paste);

  std::string text, msg;
  if (LoadShomei(text, data_dir_, msg)) memo_->setPlainText(Qs(text));
  log_.Log(msg);
}

std::string TFormShomei::Signature() const { return Sj(memo_->toPlainText()); }

void TFormShomei::Close1Click() {
  std::string msg;
  SaveShomei(Signature(), data_dir_, msg);
  log_.Log(msg);
  close();
}

}  // namespace sorami
