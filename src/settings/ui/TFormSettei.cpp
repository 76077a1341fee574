#include "settings/ui/TFormSettei.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "base/ui/QtText.h"
#include "base/ui/WindowPlacement.h"
#include "settings/Settei.h"
#include "settings/ui/MailPage.h"
#include "settings/ui/UserFolderPage.h"

namespace sorami {

TFormSettei::TFormSettei(Settei& settei, SetteiStore where, QWidget* parent)
    : PersistedWindow(where.registry, where.log, "fmKairoSettei", kDesignGeometry,
                      Persist::kPositionOnly, parent),
      s_(settei),
      where_(where) {
  // Only the position is read back; the geometry is written with the window's other
  // settings (Hozon), not on close.
  setWindowTitle(QStringLiteral("設定"));

  auto* central = new QWidget(this);
  pages_ = new QTabWidget(central);
  pages_->setObjectName(QStringLiteral("PageControl1"));
  pages_->addTab(BuildAccountPage(), QStringLiteral("アカウント設定"));
  mail_page_ = new MailPage(s_.v);
  mail_page_->hooks.status = [this](const QString& text) { SetStatus(text); };
  pages_->addTab(mail_page_, QStringLiteral("メール"));
  page_system_ = BuildSystemPage();
  pages_->addTab(page_system_, QStringLiteral("System"));
  page_http_ = BuildHttpPage();
  pages_->addTab(page_http_, QStringLiteral("HTTP"));
  pages_->addTab(BuildLogPage(), QStringLiteral("送受信ログ"));
  folder_page_ = new UserFolderPage(s_.user_folders, where_.data_dir, where_.log);
  folder_page_->hooks.status = [this](const QString& text) { SetStatus(text); };
  pages_->addTab(folder_page_, QStringLiteral("フォルダ設定"));

  auto* ok = new QPushButton(QStringLiteral("ＯＫ"), central);
  ok->setObjectName(QStringLiteral("Button1"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("キャンセル(&C)"), central);
  cancel->setObjectName(QStringLiteral("Button2"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(central);
  layout->addWidget(pages_, 1);
  layout->addLayout(buttons);
  setCentralWidget(central);

  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("StatusPanel"));
  statusBar()->setObjectName(QStringLiteral("StatusBar"));
  statusBar()->addWidget(status_, 1);

  connect(ok, &QPushButton::clicked, this, [this] {
    Hozon();
    hide();
  });
  connect(cancel, &QPushButton::clicked, this, &QWidget::hide);  // nothing is saved

  // The stored values, the current account they restore and the account list.
  LoadSettei(s_, where_);
  KeepGeometry();
  FollowAccountLog();
  ShowValues();
}

TFormSettei::~TFormSettei() {
  where_.aclog.on_append = nullptr;
  where_.aclog.on_clear = nullptr;
}

void TFormSettei::ShowValues() {
  ShowFields();
  mail_page_->ShowValues();
  ShowList();
}

bool TFormSettei::Hozon() {
  KeepGeometry();
  std::string msg;
  const bool ok = SetteiHozon(s_, where_, msg);
  if (!ok) where_.log.Log(msg);
  return ok;
}

void TFormSettei::SetStatus(const QString& text) { status_->setText(text); }

QString TFormSettei::StatusText() const { return status_->text(); }

void TFormSettei::showEvent(QShowEvent* event) {
  // The System and HTTP pages belong to the debug switch, asked each time the window shows.
  const bool debug = hooks.debug_armed && hooks.debug_armed();
  pages_->setTabVisible(pages_->indexOf(page_system_), debug);
  pages_->setTabVisible(pages_->indexOf(page_http_), debug);
  PersistedWindow::showEvent(event);
}

// The saved geometry is where the window is now, also when a routine saves the settings.
void TFormSettei::moveEvent(QMoveEvent* event) {
  PersistedWindow::moveEvent(event);
  KeepGeometry();
}

void TFormSettei::resizeEvent(QResizeEvent* event) {
  PersistedWindow::resizeEvent(event);
  KeepGeometry();
}

void TFormSettei::KeepGeometry() {
  const WindowGeometry g = CurrentGeometry(*this);
  SetteiValues& v = s_.v;
  v.left = static_cast<int>(g.left);
  v.top = static_cast<int>(g.top);
  v.width = static_cast<int>(g.width);
  v.height = static_cast<int>(g.height);
}

}  // namespace sorami
