// The controls of the main window: tool bar, left column (folder tree over the account, timer
// and count tabs), right column (message list over the message or help pane). The browser
// and the site commands make their own controls; the frame places them.
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <climits>

#include "base/ui/Named.h"
#include "shell/ui/TFormMain.h"
#include "site/ui/SiteCommands.h"
#include "views/ui/MessageBrowser.h"

namespace sorami {

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
  page_con_ = Named(new QTabWidget, "PageCon");

  // "設定": the account of the connection check.
  auto* tab_settei = Named(new QWidget, "TabSettei");
  auto* settei_layout = new QVBoxLayout(tab_settei);
  settei_layout->addWidget(site_->account_group());
  settei_layout->addStretch();
  page_con_->addTab(tab_settei, QStringLiteral("設定"));

  // "取得": last check time, the polling timer, leave-on-site.
  auto* tab_shutoku = Named(new QWidget, "TabShutoku");
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
  auto* shutoku_layout = new QVBoxLayout(tab_shutoku);
  shutoku_layout->addWidget(new QLabel(QStringLiteral("最終チェック時刻"), tab_shutoku));
  shutoku_layout->addWidget(site_->last_check_label());
  shutoku_layout->addWidget(group_timer);
  shutoku_layout->addWidget(new QLabel(QStringLiteral("取得時にメッセージを"), tab_shutoku));
  shutoku_layout->addWidget(site_->leave_on_site_box());
  shutoku_layout->addStretch();
  page_con_->addTab(tab_shutoku, QStringLiteral("取得"));

  // "件数": the folder counts.
  auto* tab_kensuu = Named(new QWidget, "TabKensuu");
  auto* kensuu_layout = new QVBoxLayout(tab_kensuu);
  kensuu_layout->addWidget(browser_->count_list());
  page_con_->addTab(tab_kensuu, QStringLiteral("件数"));

  split_left_->addWidget(browser_->tree_panel());
  split_left_->addWidget(page_con_);
  split_left_->setStretchFactor(0, 0);
  split_left_->setStretchFactor(1, 1);
  return split_left_;
}

QWidget* TFormMain::BuildRightColumn() {
  split_right_ = Named(new QSplitter(Qt::Vertical), "SplitterRight");
  split_right_->setChildrenCollapsible(false);
  split_right_->addWidget(browser_->list_panel());
  split_right_->addWidget(browser_->bottom_panel());
  split_right_->setStretchFactor(0, 0);
  split_right_->setStretchFactor(1, 1);
  return split_right_;
}

}  // namespace sorami
