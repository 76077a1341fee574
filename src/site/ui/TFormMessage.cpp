#include "site/ui/TFormMessage.h"

#include <QCoreApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include "base/ui/QtText.h"

namespace sorami {

TFormMessage::TFormMessage(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName(QStringLiteral("fmMessage"));
  setWindowTitle(QStringLiteral("検索実行中"));
  setWindowModality(Qt::NonModal);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(255, 255, 0));
  setPalette(pal);

  auto* label = new QLabel(QStringLiteral("しばらく お待ち下さい.．．．．．．"), this);
  label->setObjectName(QStringLiteral("Label1"));
  QFont f = label->font();
  f.setBold(true);
  label->setFont(f);
  QPalette lp = label->palette();
  lp.setColor(QPalette::WindowText, QColor(0, 0, 255));
  label->setPalette(lp);
  label->setAlignment(Qt::AlignCenter);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  resize(300, 80);
}

void TFormMessage::Show(const std::string& caption) {
  setWindowTitle(Qs(caption));
  show();
  raise();
  // Painted before the request blocks the handler that started it.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TFormMessage::Hide() { hide(); }

void TFormMessage::showEvent(QShowEvent* event) {
  if (const QScreen* screen = this->screen()) {
    const QRect r = screen->availableGeometry();
    move(r.center() - rect().center());
  }
  QWidget::showEvent(event);
}

}  // namespace sorami
