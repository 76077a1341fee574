#include "site/ui/TFormMessage.h"

#include <QCoreApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include "base/ui/QtText.h"

namespace sorami {

namespace {

// The state owns its progress sink; the window outlives it only by its own destructor, which
// takes the sink back out first.
class ProgressOf : public SiteProgress {
 public:
  explicit ProgressOf(TFormMessage* window) : window_(window) {}
  void Show(const std::string& caption) override { window_->Show(caption); }
  void Hide() override { window_->Hide(); }
  const TFormMessage* window() const { return window_; }

 private:
  TFormMessage* window_;
};

}  // namespace

TFormMessage::TFormMessage(SiteSession& ss, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), ss_(ss) {
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

  ss_.progress = std::make_unique<ProgressOf>(this);
}

TFormMessage::~TFormMessage() {
  const auto* mine = dynamic_cast<const ProgressOf*>(ss_.progress.get());
  if (mine != nullptr && mine->window() == this) ss_.progress.reset();
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
