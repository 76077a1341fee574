#include "shell/ui/TFormMain.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

#include "base/ui/ProductText.h"
#include "base/ui/QtText.h"
#include "base/ui/WindowPlacement.h"
#include "settings/Settei.h"
#include "shell/MainSettings.h"
#include "shell/ui/QtPollTimer.h"
#include "site/ui/SiteCommands.h"
#include "store/Folders.h"
#include "store/MasterFile.h"
#include "views/HelpFiles.h"
#include "views/ui/MessageBrowser.h"

namespace sorami {

namespace {

// The width of the left column, which is not stored.
constexpr int kLeftColumnWidth = 180;

DebugSwitch::Key DebugKeyOf(int key) {
  switch (key) {
    case Qt::Key_F11:
      return DebugSwitch::Key::kArm;
    case Qt::Key_F12:
      return DebugSwitch::Key::kToggle;
    default:
      return DebugSwitch::Key::kOther;
  }
}

}  // namespace

TFormMain::TFormMain(AppState& st, QWidget* parent) : QMainWindow(parent), st_(st) {
  setObjectName(QStringLiteral("fmKairo"));
  setWindowTitle(ProductTitle());
  timer_ = std::make_unique<QtPollTimer>(this);
  polling_ = std::make_unique<Polling>(*timer_, /*stopped=*/true, /*minutes=*/0);
  browser_ = new MessageBrowser(st_.store, st_.log, st_.history, this);
  // The password box shows the mask instead of the password: the stored one stays in force.
  site_ = new SiteCommands(st_.site, Qs(PasswordMask()), this);

  BuildToolBar();
  split_columns_ = new QSplitter(Qt::Horizontal, this);
  split_columns_->setObjectName(QStringLiteral("SplitterColumns"));
  split_columns_->setChildrenCollapsible(false);
  split_columns_->addWidget(BuildLeftColumn());
  split_columns_->addWidget(BuildRightColumn());
  split_columns_->setStretchFactor(0, 0);
  split_columns_->setStretchFactor(1, 1);
  split_columns_->setSizes({kLeftColumnWidth, 1000});
  setCentralWidget(split_columns_);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("StatusPanel"));
  statusBar()->setObjectName(QStringLiteral("StatusBar"));
  statusBar()->setSizeGripEnabled(true);
  statusBar()->addWidget(status_, 1);
  BuildMenus();

  // Set before the stored values are read, so that reading them runs the handlers.
  connect(timer_->timer(), &QTimer::timeout, this, [this] { polling_->Timer1Timer(); });
  connect(ck_stop_, &QCheckBox::toggled, this, [this](bool on) { polling_->CkStopClick(on); });
  connect(sp_interval_, &QSpinBox::valueChanged, this,
          [this](int minutes) { polling_->SpIntervalChange(minutes); });
  connect(bt_get_, &QPushButton::clicked, this, [this] { polling_->RunFetch(); });
  connect(bt_kensaku_, &QPushButton::clicked, this, &TFormMain::searchRequested);
  connect(bt_henshin_, &QPushButton::clicked, this, [this] {
    if (browser_->hooks.reply) browser_->hooks.reply(ReplyKind::kSender);
  });
  connect(bt_all_, &QPushButton::clicked, this, [this] {
    if (browser_->hooks.reply) browser_->hooks.reply(ReplyKind::kAll);
  });
  connect(bt_claim_, &QPushButton::clicked, this, [this] {
    if (browser_->hooks.claim) browser_->hooks.claim();
  });
  connect(bt_new_, &QPushButton::clicked, this, &TFormMain::composeRequested);
  site_->site_name_box()->installEventFilter(this);
  WireBrowserAndSite();

  FormCreate();
}

TFormMain::~TFormMain() = default;

void TFormMain::FormCreate() {
  MainSettings m;
  m.Load(st_.registry.Open(kCommonKey), PathText(st_.help_dir));
  st_.doc_root = m.doc_root;
  ApplyGeometry(*this, m.window);
  ck_stop_->setChecked(m.polling_stopped);
  sp_interval_->setValue(static_cast<int>(
      std::clamp<long>(m.polling_minutes, sp_interval_->minimum(), sp_interval_->maximum())));
  split_right_->setSizes({static_cast<int>(m.panel_list), 1000});
  split_left_->setSizes({static_cast<int>(m.panel_tree), 1000});
  page_con_->setCurrentIndex(static_cast<int>(m.left_tab));
  site_->SetLastCheck(Qs(m.last_check));
  site_->ShowAccount(Qs(m.site), Qs(m.account));
  site_->SetLeaveOnSite(m.leave_on_site);
  debug_switch_.set_armed(m.debug_menus);
  notify_->setChecked(m.notify_new);
  browser_->SetWidths(ApplyColumnWidths(m.column_widths, browser_->Widths()));

  browser_->Start();
  st_.site.send_attachments.clear();
  st_.save_on_exit = true;
  ShowDebugMenus(false);
  SetStatus(QString());
}

void TFormMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!shown_once_) {
    shown_once_ = true;
    FormShow();
  }
}

void TFormMain::FormShow() {
  setWindowTitle(MainCaption());
  std::string msg;
  ReadMasterAndShow(msg, /*at_start=*/true);
  st_.log.Log(msg);
  if (hooks.read_address_list) hooks.read_address_list();
  browser_->ShowFolder(Folder::kInbox);
  polling_->Timer1Timer();
  if (debug_switch_.armed()) ShowDebugMenus(true);
}

void TFormMain::closeEvent(QCloseEvent* event) {
  if (st_.busy.busy()) {
    // A site request, a receive or a send still runs (its own event loop runs this close):
    // what it brings, already deleted on the server, must be saved too. The close comes again
    // once the exchange has ended.
    event->ignore();
    SetStatus(QStringLiteral("通信が終わるのを待って終了します"));
    if (!close_pending_) {
      close_pending_ = true;
      QTimer::singleShot(100, this, [this] {
        close_pending_ = false;
        close();
      });
    }
    return;
  }
  FormClose();
  event->accept();
  emit closed();
}

void TFormMain::FormClose() {
  MainSettings m;
  m.window = CurrentGeometry(*this);
  m.polling_stopped = ck_stop_->isChecked();
  m.leave_on_site = site_->LeaveOnSite();
  m.debug_menus = DebugMenusVisible();
  m.polling_minutes = sp_interval_->value();
  m.panel_list = split_right_->sizes().value(0);
  m.panel_tree = split_left_->sizes().value(0);
  m.left_tab = page_con_->currentIndex();
  m.last_check = Sj(site_->LastCheck());
  const ListColumnWidths widths = browser_->Widths();
  m.column_widths.assign(widths.begin(), widths.end());
  m.host = st_.cur.host;
  m.site = st_.cur.site;
  m.account = st_.cur.nickname;
  m.pass = st_.cur.password;
  m.user = st_.cur.sys_user;
  m.doc_root = st_.doc_root;
  m.notify_new = notify_->isChecked();
  IniStore ini = st_.registry.Open(kCommonKey);
  m.Save(ini);
  if (!ini.Save()) st_.log.Log("Cannot Write : " + PathText(ini.path()));

  // A window that was never shown never read the store: saving it would empty the master file.
  if (st_.save_on_exit && shown_once_) {
    std::string msg;
    SaveMaster(st_.master, st_.store, msg);
    st_.log.Log(msg);
    if (hooks.save_address_list) {
      std::string list_msg;
      hooks.save_address_list(list_msg);
      st_.log.Log(list_msg);
    }
  }
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && watched == site_->site_name_box()) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (debug_switch_.KeyDown(DebugKeyOf(key->key()))) {
      ShowDebugMenus(!DebugMenusVisible());
      SetStatus(Qs(st_.cur.password));
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TFormMain::ReadMasterAndShow(std::string& msg, bool at_start) {
  const bool read = at_start ? ReadMasterAtStart(st_.preload, st_.master, st_.store, msg)
                             : ReadMaster(st_.master, st_.store, msg);
  if (!read) return;
  SetStatus(Qs(msg));
  // The start goes on to list the inbox: the list is filled once, for the folder shown.
  if (at_start) return;
  browser_->SelectTreeNode(FolderNode(Folder::kRoot));
  browser_->ShowListMessages();
}

void TFormMain::WireBrowserAndSite() {
  browser_->hooks.show_help = [this](const std::string& t) { ShowHelp(true, t); };
  browser_->hooks.open_help = [this](const std::string& t) { ShowHelp(false, t); };
  browser_->hooks.set_status = [this](const QString& text) { SetStatus(text); };
  browser_->hooks.enable_message_buttons = [this](bool on, bool claimable) {
    bt_all_->setEnabled(on);
    bt_henshin_->setEnabled(on);
    bt_sakujo_->setEnabled(on);
    bt_claim_->setEnabled(claimable);
  };
  browser_->hooks.enable_delete = [this] { bt_sakujo_->setEnabled(true); };
  browser_->hooks.enable_history = [this](bool on) {
    bt_back_->setEnabled(on);
    bt_forward_->setEnabled(on);
  };
  connect(bt_sakujo_, &QPushButton::clicked, browser_, &MessageBrowser::BtSakujoClick);
  connect(bt_back_, &QPushButton::clicked, browser_, &MessageBrowser::BtBackClick);
  connect(bt_forward_, &QPushButton::clicked, browser_, &MessageBrowser::BtForwardClick);

  site_->hooks.set_status = [this](const QString& text) { SetStatus(text); };
  site_->hooks.show_inbox = [this] { browser_->ShowFolder(Folder::kInbox); };
}

void TFormMain::ShowDebugMenus(bool on) {
  debug_menu_->setVisible(on);
  henkan_->setVisible(on);
}

bool TFormMain::NotifyNew() const { return notify_->isChecked(); }

bool TFormMain::DebugMenusVisible() const { return debug_menu_->isVisible(); }

void TFormMain::ShowHelp(bool direct, const std::string& topic) {
  const auto file = ResolveHelpFile(st_.doc_root, st_.help_dir, st_.paths.app_dir, topic, st_.log);
  browser_->ShowHelp(direct, topic, file);
  raise();
  activateWindow();
}

void TFormMain::SetStatus(const QString& text) { status_->setText(text); }

QString TFormMain::StatusText() const { return status_->text(); }

}  // namespace sorami
