#include "shell/ui/TFormMain.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTreeView>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "base/ui/ProductText.h"
#include "base/ui/QtText.h"
#include "base/ui/WindowPlacement.h"
#include "shell/MainSettings.h"
#include "shell/ui/QtPollTimer.h"
#include "store/Folders.h"
#include "store/MasterFile.h"
#include "views/ui/MessagePane.h"

namespace sorami {

namespace {

// Shown in the password box instead of the password: the stored password stays in force.
const QString kPasswordMask = QStringLiteral("＊＊＊＊＊");

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
  connect(bt_setsuzoku_, &QPushButton::clicked, this, [this] {
    if (hooks.setsuzoku) hooks.setsuzoku();
  });
  connect(tree_, &QTreeWidget::itemClicked, this, [this] { TreeVClick(); });
  ed_site_->installEventFilter(this);
  InstallSiteHandlers();
  ConnectBrowse();

  FormCreate();
}

TFormMain::~TFormMain() = default;

void TFormMain::FormCreate() {
  MainSettings m;
  m.Load(st_.registry.Open(kCommonKey), PathText(st_.paths.app_dir / "Help"));
  st_.doc_root = m.doc_root;
  ApplyGeometry(*this, m.window);
  ck_stop_->setChecked(m.ck_stop);
  sp_interval_->setValue(static_cast<int>(
      std::clamp<long>(m.sp_interval, sp_interval_->minimum(), sp_interval_->maximum())));
  split_right_->setSizes({static_cast<int>(m.panel_list), 1000});
  split_left_->setSizes({static_cast<int>(m.panel_tree), 1000});
  page_con_->setCurrentIndex(static_cast<int>(m.page_con));
  label_jikoku_->setText(Qs(m.label_jikoku));
  ed_pass_->setText(kPasswordMask);
  ed_site_->setText(Qs(m.site));
  ed_nick_->setText(Qs(m.account));
  ck_nokosu_->setChecked(m.ck_nokosu);
  debug_switch_.set_armed(m.debug);
  ListColumnWidths widths{};
  for (int c = 0; c < kListColumns; ++c) widths[c] = lview_->columnWidth(c);
  widths = ApplyColumnWidths(m.column_widths, widths);
  for (int c = 0; c < kListColumns; ++c) {
    lview_->header()->resizeSection(c, static_cast<int>(std::max<long>(widths[c], 0)));
  }

  ShowPanel(false);
  bt_back_->setEnabled(false);
  bt_forward_->setEnabled(false);
  ClearDisplay();
  st_.store.Reset();
  st_.history.entries.clear();
  st_.history.pos = 0;
  st_.site.send_attachments.clear();
  st_.folder_counts.fill(0);
  tree_->expandAll();
  // The "Index" column only carries the row of the store; 1 pixel keeps it out of sight.
  lview_->header()->resizeSection(static_cast<int>(ListCol::kIndex), 1);
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
  ReadMasterAndShow(msg);
  st_.log.Log(msg);
  if (hooks.read_address_list) hooks.read_address_list();
  SelectTreeNode(FolderNode(Folder::kInbox));
  TreeVClick();
  polling_->Timer1Timer();
  if (debug_switch_.armed()) ShowDebugMenus(true);
}

void TFormMain::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
  emit closed();
}

void TFormMain::FormClose() {
  MainSettings m;
  m.window = CurrentGeometry(*this);
  m.ck_stop = ck_stop_->isChecked();
  m.ck_nokosu = ck_nokosu_->isChecked();
  m.debug = DebugMenusVisible();
  m.sp_interval = sp_interval_->value();
  m.panel_list = split_right_->sizes().value(0);
  m.panel_tree = split_left_->sizes().value(0);
  m.page_con = page_con_->currentIndex();
  m.label_jikoku = Sj(label_jikoku_->text());
  m.column_widths.clear();
  for (int c = 0; c < kListColumns; ++c) m.column_widths.push_back(lview_->columnWidth(c));
  m.host = st_.cur.host;
  m.site = st_.cur.site;
  m.account = st_.cur.account;
  m.pass = st_.cur.pass;
  m.user = st_.cur.user;
  m.doc_root = st_.doc_root;
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
  if (watched == ed_site_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (debug_switch_.KeyDown(DebugKeyOf(key->key()))) {
      ShowDebugMenus(!DebugMenusVisible());
      SetStatus(Qs(st_.cur.pass));
    }
  }
  if (BrowseKeyFilter(watched, event)) return true;
  return QMainWindow::eventFilter(watched, event);
}

void TFormMain::ReadMasterAndShow(std::string& msg) {
  if (!ReadMaster(st_.master, st_.store, msg)) return;
  SelectTreeNode(FolderNode(Folder::kRoot));
  if (hooks.show_list) hooks.show_list();
  SetStatus(Qs(msg));
  if (hooks.count_kensuu) hooks.count_kensuu();
}

void TFormMain::TreeVClick() {
  SetStatus(QString());
  if (hooks.show_list) hooks.show_list();
}

void TFormMain::SelectTreeNode(int index) {
  int i = 0;
  for (QTreeWidgetItemIterator it(tree_); *it; ++it, ++i) {
    if (i != index) continue;
    tree_->clearSelection();
    tree_->setCurrentItem(*it);
    (*it)->setSelected(true);
    return;
  }
}

void TFormMain::ShowPanel(bool help) {
  panel_honbun_->setVisible(!help);
  panel_help_->setVisible(help);
}

void TFormMain::ShowDebugMenus(bool on) {
  debug_menu_->setVisible(on);
  henkan_->setVisible(on);
}

bool TFormMain::DebugMenusVisible() const { return debug_menu_->isVisible(); }

void TFormMain::ClearDisplay() {
  panel_honbun_->Clear();
  EnableMsgButtons(false);
}

void TFormMain::EnableMsgButtons(bool on) {
  bt_all_->setEnabled(on);
  bt_henshin_->setEnabled(on);
  bt_sakujo_->setEnabled(on);
  // A claim report is about a site message, never a mail.
  bt_claim_->setEnabled(on && shown_kind_ == kMessageKind);
}

void TFormMain::ShowPeer(QWidget* w) {
  if (w == nullptr) return;
  w->show();
  w->raise();
  w->activateWindow();
}

void TFormMain::SetStatus(const QString& text) { status_->setText(text); }

QString TFormMain::StatusText() const { return status_->text(); }

}  // namespace sorami
