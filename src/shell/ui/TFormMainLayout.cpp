// The controls of the main window: tool bar, left column (folder tree over the account, timer
// and count tabs), right column (message list over the message or help pane), status bar.
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <climits>

#include "base/ui/Named.h"
#include "base/ui/QtText.h"
#include "shell/MainSettings.h"
#include "shell/ui/TFormMain.h"
#include "store/Folders.h"
#include "views/ui/FolderCountModel.h"
#include "views/ui/MessageListModel.h"
#include "views/ui/MessagePane.h"

namespace sorami {

namespace {

QVBoxLayout* TightColumn(QWidget* w) {
  auto* l = new QVBoxLayout(w);
  l->setContentsMargins(0, 0, 0, 0);
  l->setSpacing(0);
  return l;
}

}  // namespace

void TFormMain::BuildToolBar() {
  QToolBar* bar = addToolBar(QStringLiteral("ToolBar1"));
  bar->setObjectName(QStringLiteral("ToolBar1"));
  bar->setMovable(false);
  bar->setFloatable(false);
  auto add = [this, bar](const char* name, const QString& caption) {
    auto* b = Named(new QPushButton(caption, this), name);
    b->setFocusPolicy(Qt::TabFocus);
    bar->addWidget(b);
    return b;
  };
  bt_new_ = add("BtNew", QStringLiteral("送信画面(&N)"));
  bt_henshin_ = add("BtHenshin", QStringLiteral("返信(&R)"));
  bt_all_ = add("BtAll", QStringLiteral("全員に返信"));
  bt_sakujo_ = add("BtSakujo", QStringLiteral("削除(&D)"));
  bt_get_ = add("BtGet", QStringLiteral("最新取得(&G)"));
  bt_claim_ = add("BtClaim", QStringLiteral("ｸﾚｰﾑ報告"));
  bt_kensaku_ = add("ToolButton2", QStringLiteral("検索"));
  bar->addSeparator();
  bt_back_ = add("BtBack", QStringLiteral("戻る"));
  bt_forward_ = add("BtForward", QStringLiteral("進む"));
}

QWidget* TFormMain::BuildLeftColumn() {
  split_left_ = Named(new QSplitter(Qt::Vertical), "SplitterLeft");
  split_left_->setChildrenCollapsible(false);

  auto* panel_tree = Named(new QWidget, "PanelTree");
  tree_ = Named(new QTreeWidget(panel_tree), "TreeV");
  tree_->setHeaderHidden(true);
  tree_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  const QIcon folder = style()->standardIcon(QStyle::SP_DirIcon);
  auto* root = new QTreeWidgetItem(tree_, {Qs(FolderName(Folder::kRoot))});
  root->setIcon(0, style()->standardIcon(QStyle::SP_DriveHDIcon));
  for (int i = FolderNode(Folder::kInbox); i <= FolderNode(Folder::kDeleted); ++i) {
    std::string text(FolderNames[i]);
    if (i == FolderNode(Folder::kInbox)) text += kUnreadMark;  // "受信箱(未読)"
    auto* node = new QTreeWidgetItem(root, {Qs(text)});
    node->setIcon(0, folder);
  }
  TightColumn(panel_tree)->addWidget(tree_);

  page_con_ = Named(new QTabWidget, "PageCon");

  // "設定": the account of the connection check.
  auto* tab_settei = Named(new QWidget, "TabSettei");
  auto* group_kairo = Named(new QGroupBox(QStringLiteral("カイロ設定"), tab_settei), "GroupKairo");
  ed_site_ = Named(new QLineEdit(group_kairo), "EdSiteName");
  ed_nick_ = Named(new QLineEdit(group_kairo), "EdNickname");
  ed_pass_ = Named(new QLineEdit(group_kairo), "EdPassword");
  bt_setsuzoku_ = Named(new QPushButton(QStringLiteral("接続確認"), group_kairo), "BtSetsuzoku");
  auto* form = new QFormLayout(group_kairo);
  form->addRow(QStringLiteral("サイト名"), ed_site_);
  form->addRow(QStringLiteral("ニックネーム"), ed_nick_);
  form->addRow(QStringLiteral("パスワード"), ed_pass_);
  form->addRow(bt_setsuzoku_);
  auto* settei_layout = new QVBoxLayout(tab_settei);
  settei_layout->addWidget(group_kairo);
  settei_layout->addStretch();
  page_con_->addTab(tab_settei, QStringLiteral("設定"));

  // "取得": last check time, the polling timer, leave-on-site.
  auto* tab_shutoku = Named(new QWidget, "TabShutoku");
  label_jikoku_ = Named(new QLabel(tab_shutoku), "LabelJikoku");
  auto* group_timer =
      Named(new QGroupBox(QStringLiteral("タイマー取得"), tab_shutoku), "GroupTimer");
  ck_stop_ = Named(new QCheckBox(QStringLiteral("停止"), group_timer), "CkStop");
  ck_stop_->setChecked(true);  // design state
  sp_interval_ = Named(new QSpinBox(group_timer), "SpInterval");
  sp_interval_->setRange(INT_MIN, INT_MAX);  // the interval box has no bounds
  sp_interval_->setValue(0);
  auto* timer_row = new QHBoxLayout;
  timer_row->addWidget(sp_interval_);
  timer_row->addWidget(new QLabel(QStringLiteral("分置き"), group_timer));
  timer_row->addStretch();
  auto* timer_layout = new QVBoxLayout(group_timer);
  timer_layout->addWidget(ck_stop_);
  timer_layout->addLayout(timer_row);
  ck_nokosu_ = Named(new QCheckBox(QStringLiteral("サイトに残す"), tab_shutoku), "CkNokosu");
  auto* shutoku_layout = new QVBoxLayout(tab_shutoku);
  shutoku_layout->addWidget(new QLabel(QStringLiteral("最終チェック時刻"), tab_shutoku));
  shutoku_layout->addWidget(label_jikoku_);
  shutoku_layout->addWidget(group_timer);
  shutoku_layout->addWidget(new QLabel(QStringLiteral("取得時にメッセージを"), tab_shutoku));
  shutoku_layout->addWidget(ck_nokosu_);
  shutoku_layout->addStretch();
  page_con_->addTab(tab_shutoku, QStringLiteral("取得"));

  // "件数": the folder counts.
  auto* tab_kensuu = Named(new QWidget, "TabKensuu");
  list_v_ = Named(new QTreeView(tab_kensuu), "ListV");
  count_model_ = new FolderCountModel(list_v_);
  list_v_->setModel(count_model_);
  list_v_->setRootIsDecorated(false);
  list_v_->setUniformRowHeights(true);
  list_v_->header()->setStretchLastSection(false);
  list_v_->setColumnWidth(0, 70);
  list_v_->setColumnWidth(1, 60);
  list_v_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_v_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  auto* kensuu_layout = new QVBoxLayout(tab_kensuu);
  kensuu_layout->addWidget(list_v_);
  page_con_->addTab(tab_kensuu, QStringLiteral("件数"));

  split_left_->addWidget(panel_tree);
  split_left_->addWidget(page_con_);
  split_left_->setStretchFactor(0, 0);
  split_left_->setStretchFactor(1, 1);
  return split_left_;
}

QWidget* TFormMain::BuildRightColumn() {
  split_right_ = Named(new QSplitter(Qt::Vertical), "SplitterRight");
  split_right_->setChildrenCollapsible(false);

  auto* panel_list = Named(new QWidget, "PanelList");
  lview_ = Named(new QTreeView(panel_list), "LViewData");
  lview_model_ = new MessageListModel(st_.store, lview_);
  lview_->setModel(lview_model_);
  lview_->setRootIsDecorated(false);
  lview_->setUniformRowHeights(true);
  lview_->setSelectionBehavior(QAbstractItemView::SelectRows);
  lview_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  lview_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Column widths are the user's and are stored: no section stretches with the window.
  lview_->header()->setStretchLastSection(false);
  lview_->header()->setMinimumSectionSize(0);
  for (int c = 0; c < kListColumns; ++c) {
    lview_->header()->resizeSection(c, MessageListModel::DesignWidth(c));
  }
  TightColumn(panel_list)->addWidget(lview_);

  auto* bottom = Named(new QWidget, "PanelBottom");
  auto* bottom_layout = TightColumn(bottom);
  bottom_layout->addWidget(BuildMessagePane());
  bottom_layout->addWidget(BuildHelpPane());

  split_right_->addWidget(panel_list);
  split_right_->addWidget(bottom);
  split_right_->setStretchFactor(0, 0);
  split_right_->setStretchFactor(1, 1);
  return split_right_;
}

QWidget* TFormMain::BuildMessagePane() {
  panel_honbun_ = new MessagePane;
  return panel_honbun_;
}

QWidget* TFormMain::BuildHelpPane() {
  panel_help_ = Named(new QWidget, "PanelHelp");
  auto* caption = Named(new QLabel(QStringLiteral("ヘルプ(操作説明)"), panel_help_), "LabelHelp");
  auto* topics = Named(new QTreeWidget(panel_help_), "LvHelp");
  topics->setRootIsDecorated(false);
  topics->setHeaderLabels({QStringLiteral("項目")});
  topics->setColumnWidth(0, 110);
  topics->setEditTriggers(QAbstractItemView::NoEditTriggers);
  topics->setMaximumWidth(150);
  auto* text = Named(new QTextEdit(panel_help_), "RichHelp");
  text->setReadOnly(true);
  auto* row = new QHBoxLayout;
  row->addWidget(topics);
  row->addWidget(text, 1);
  auto* layout = TightColumn(panel_help_);
  layout->addWidget(caption);
  layout->addLayout(row, 1);
  return panel_help_;
}

}  // namespace sorami
