#include "shell/ui/TFormMemo.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextCursor>

#include "base/ui/QtText.h"
#include "base/ui/WindowPlacement.h"
#include "shell/LogWindowSettings.h"

namespace sorami {

TFormMemo::TFormMemo(Registry& registry, DiagLog& log, QWidget* parent)
    : QMainWindow(parent), registry_(registry), log_(log) {
  setObjectName(QStringLiteral("fmFormMemo"));
  setWindowTitle(QStringLiteral("ログ"));

  page_ = new QTabWidget(this);
  page_->setObjectName(QStringLiteral("PageControl1"));
  memo_ = new QPlainTextEdit(page_);
  memo_->setObjectName(QStringLiteral("MemoLog"));
  memo_->setReadOnly(true);
  memo_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  page_->addTab(memo_, QStringLiteral("LOG"));
  setCentralWidget(page_);

  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("StatusPanel"));
  statusBar()->setObjectName(QStringLiteral("StatusBar"));
  statusBar()->addWidget(status_, 1);

  BuildMenu();

  LogWindowSettings s;
  s.Load(registry_.Open(kMemoKey));
  ApplyGeometry(*this, s.window);
  yokushi_->setChecked(s.yokushi);
  log_.SetSuspended(s.yokushi);

  Refill();
  log_.SetListener({
      .appended =
          [this](const std::string& line) {
            if (isVisible()) {
              memo_->appendPlainText(Qs(line));
            } else {
              stale_ = true;
            }
          },
      .reset =
          [this] {
            memo_->clear();
            stale_ = false;
          },
  });
  log_.Attach();
}

TFormMemo::~TFormMemo() { log_.SetListener({}); }

void TFormMemo::Refill() {
  QStringList all;
  all.reserve(static_cast<qsizetype>(log_.lines().size()));
  for (const std::string& line : log_.lines()) all << Qs(line);
  memo_->setPlainText(all.join(QLatin1Char('\n')));
  memo_->moveCursor(QTextCursor::End);
  stale_ = false;
}

void TFormMemo::showEvent(QShowEvent* event) {
  if (stale_) Refill();
  QMainWindow::showEvent(event);
}

void TFormMemo::BuildMenu() {
  QMenuBar* bar = menuBar();
  auto add = [this](QMenuBar* m, const char* name, const QString& caption) {
    QAction* a = m->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    return a;
  };
  connect(add(bar, "C1", QStringLiteral("閉じる(&C)")), &QAction::triggered, this, &QWidget::close);
  connect(add(bar, "E1", QStringLiteral("消去(&E)")), &QAction::triggered, this,
          [this] { log_.Clear(); });
  connect(add(bar, "S1", QStringLiteral("ログ保存(&S)")), &QAction::triggered, this,
          &TFormMemo::SaveLog);
  QMenu* rec = bar->addMenu(QStringLiteral("ログ記録(&L)"));
  rec->setObjectName(QStringLiteral("L1"));
  rec->menuAction()->setObjectName(QStringLiteral("L1"));
  yokushi_ = rec->addAction(QStringLiteral("抑止(&Y)"));
  yokushi_->setObjectName(QStringLiteral("MenuYokushi"));
  yokushi_->setCheckable(true);
  connect(yokushi_, &QAction::toggled, this, [this](bool on) { log_.SetSuspended(on); });
}

void TFormMemo::ShowLog() {
  page_->setCurrentWidget(memo_);
  show();
  raise();
  activateWindow();
}

void TFormMemo::SaveLog() {
  std::string status;
  SaveDiagLog(log_, "Logfile.log", status);
  SetStatus(Qs(status));
}

void TFormMemo::SetStatus(const QString& text) { status_->setText(text); }

void TFormMemo::closeEvent(QCloseEvent* event) {
  IniStore ini = registry_.Open(kMemoKey);
  LogWindowSettings s;
  s.window = CurrentGeometry(*this);
  s.yokushi = yokushi_->isChecked();
  s.Save(ini);
  if (!ini.Save()) log_.Log("Cannot Write : " + PathText(ini.path()));
  event->accept();
}

}  // namespace sorami
