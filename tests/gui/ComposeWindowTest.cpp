// The compose window's visible rules and its wiring: the "@" rule, the details toggle, the
// boxes that grow with the window, the attached names and "全消去", picks from the address list,
// a failed send that keeps everything, a send that files the copy and closes, and the To text
// that comes back after a restart.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTreeView>

#include "compose/ui/TFormNewMsg.h"
#include "compose/ui/TFormSendList.h"
#include "gui/GuiFixture.h"
#include "site/ui/SiteCommands.h"
#include "support/FakeHttp.h"

namespace sorami::test {
namespace {

class ComposeWindowTest : public GuiFixture {
 protected:
  void Open() {
    StartAndShow();
    w = windows->new_msg.get();
    Find<QPushButton>(main, "BtNew")->click();
    ASSERT_TRUE(w->isVisible());
  }
  QLineEdit* Edit(const char* name) { return Find<QLineEdit>(w, name); }
  QString Status() { return Find<QStatusBar>(w, "StatusBar")->currentMessage(); }
  TFormNewMsg* w = nullptr;
};

TEST_F(ComposeWindowTest, AtSignDetailsToggleAndAttachmentLabel) {
  Open();
  auto* kankei = Find<QComboBox>(w, "ComboKankei");
  Edit("EditAtesaki")->setText(QStringLiteral("a@example.jp"));
  EXPECT_TRUE(kankei->isHidden());
  EXPECT_TRUE(Find<QComboBox>(w, "ComboShubetsu")->isHidden());
  Edit("EditAtesaki")->setText(QStringLiteral("はなこ"));
  EXPECT_FALSE(kankei->isHidden());

  auto* header = Find<QWidget>(w, "PanelHeader");
  auto* details = Find<QPushButton>(w, "BtShousai");
  auto* automatic = Find<QCheckBox>(w, "CkAuto");
  EXPECT_TRUE(automatic->isHidden());
  details->click();
  EXPECT_EQ(header->maximumHeight(), TFormNewMsg::kTallHeight);
  EXPECT_FALSE(automatic->isHidden());
  details->click();
  EXPECT_EQ(Edit("EditBcc")->focusPolicy(), Qt::NoFocus);  // hidden fields take no focus
  automatic->click();
  EXPECT_FALSE(kankei->isEnabled());

  // A wider window widens the address and title boxes; 関係 stays at their right; the body
  // wraps on screen.
  w->resize(900, w->height());
  QCoreApplication::processEvents();
  for (const char* name : {"EditAtesaki", "EditTitle", "EditCC", "EditBcc"}) {
    EXPECT_GT(Edit(name)->width(), 500) << name;
  }
  EXPECT_GT(kankei->x(), Edit("EditAtesaki")->geometry().right());
  EXPECT_LE(kankei->geometry().right(), header->width());
  EXPECT_EQ(Find<QTextEdit>(w, "MemoHonbun")->lineWrapMode(), QTextEdit::WidgetWidth);

  auto* tenpu = Find<QLabel>(w, "LabelTenpu");
  EXPECT_TRUE(tenpu->isHidden());
  st->site.send_attachments = {"/tmp/見積書.txt", "/tmp/한국어.txt"};
  w->ShowWindow();
  EXPECT_FALSE(tenpu->isHidden());
  EXPECT_EQ(tenpu->text(), QStringLiteral("添付: 見積書.txt, 한국어.txt"));

  // "全消去" empties the message, its files too: none goes with the next one.
  Action(w, "MenuZenShoukyo")->trigger();
  EXPECT_TRUE(st->site.send_attachments.empty());
  EXPECT_TRUE(tenpu->isHidden());
  EXPECT_TRUE(Edit("EditAtesaki")->text().isEmpty());
}

TEST_F(ComposeWindowTest, PicksFromTheAddressListFillTheTargetEdit) {
  Open();
  st->send_list = {{J("a%広場"), J("家族"), "A"}, {"b@example.jp", "", "B"}};
  windows->send_list->ShowList();
  Edit("EditAtesaki")->clear();
  Find<QPushButton>(w, "BtAtesaki")->click();
  TFormSendList* list = windows->send_list.get();
  ASSERT_TRUE(list->isVisible());
  auto* rows = Find<QTreeWidget>(list, "LView");
  rows->setCurrentItem(rows->topLevelItem(0));
  Action(list, "A1")->trigger();
  Action(list, "A1")->trigger();
  EXPECT_EQ(Edit("EditAtesaki")->text(), QStringLiteral("a%広場,a%広場"));
  EXPECT_EQ(Find<QComboBox>(w, "ComboKankei")->currentText(), QStringLiteral("家族"));
  rows->setCurrentItem(rows->topLevelItem(1));
  Action(list, "Close1")->trigger();
  EXPECT_EQ(Edit("EditAtesaki")->text(), QStringLiteral("b@example.jp"));
  EXPECT_FALSE(list->isVisible());

  Find<QPushButton>(w, "BtCC")->click();  // a pick for CC leaves To alone
  rows->setCurrentItem(rows->topLevelItem(0));
  Action(list, "Close1")->trigger();
  EXPECT_EQ(Edit("EditCC")->text(), QStringLiteral("a%広場"));
  EXPECT_EQ(Edit("EditAtesaki")->text(), QStringLiteral("b@example.jp"));
}

TEST_F(ComposeWindowTest, AFailedSendKeepsEverythingAndASentOneIsFiledAndCloses) {
  Open();
  FakeHttp* http = UseFakeHttp(*st);
  st->cur = {J("広場"), J("たろう"), "pw", "h:1", "sys", ""};
  Edit("EditAtesaki")->clear();
  Find<QTextEdit>(w, "MemoHonbun")->setPlainText(QStringLiteral("本文"));
  Find<QPushButton>(w, "SpeedButton1")->click();
  EXPECT_EQ(Status(), QStringLiteral("送信失敗 : 宛先エラー"));
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(Find<QTextEdit>(w, "MemoHonbun")->toPlainText(), QStringLiteral("本文"));

  Edit("EditAtesaki")->setText(QStringLiteral("はなこ"));
  http->Answer("x\tOK(PGM)\r\n" + J("送信受付完了 1 件"));
  Find<QPushButton>(w, "SpeedButton1")->click();
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(Edit("EditTitle")->text(), QStringLiteral("(No Subject)"));
  EXPECT_EQ(StoreColumn(MastCol::kFolder), std::vector<std::string>{"送信箱"});
  EXPECT_EQ(main->StatusText(), QStringLiteral("送信完了"));
  ASSERT_EQ(st->send_list.size(), 1u);

  Find<QPushButton>(main, "BtNew")->click();
  Edit("EditAtesaki")->clear();  // a draft needs no recipient: stored, and the window closes
  Find<QPushButton>(w, "BtSoukou")->click();
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(st->store.CtMaster(), 2);

  Find<QPushButton>(main, "BtNew")->click();
  Edit("EditAtesaki")->setText(QStringLiteral("じろう"));
  Find<QPushButton>(w, "BtSoukou")->click();
  EXPECT_EQ(StoreColumn(MastCol::kFolder), (std::vector<std::string>{"送信箱", "草稿", "草稿"}));
  // The count list follows the filed copies by itself (row k stands for tree node k + 1).
  Find<QTabWidget>(main, "PageCon")->setCurrentIndex(2);  // the tab "件数"
  const QAbstractItemModel* counts = Find<QTreeView>(main, "ListV")->model();
  EXPECT_EQ(counts->index(2, 1).data().toString() + counts->index(3, 1).data().toString(),
            QStringLiteral("1 件2 件"));
  EndRun();
  Start();  // the last To text comes back
  EXPECT_EQ(Find<QLineEdit>(windows->new_msg.get(), "EditAtesaki")->text(),
            QStringLiteral("じろう"));
}

TEST_F(ComposeWindowTest, ASendWithoutAnAnswerIsFiledAsUnknownAndTheWindowStaysToExplain) {
  Open();
  FakeHttp* http = UseFakeHttp(*st);
  st->cur = {J("広場"), J("たろう"), "pw", "h:1", "sys", ""};
  Edit("EditAtesaki")->setText(QStringLiteral("はなこ"));
  HttpResponse hung;
  hung.error = "time-out";
  hung.request_sent = true;  // the request went out whole; no answer came
  http->answers.push_back(hung);
  Find<QPushButton>(w, "SpeedButton1")->click();
  EXPECT_TRUE(w->isVisible());
  EXPECT_TRUE(Status().startsWith(QStringLiteral("メッセージは送り終えましたが応答がありません")))
      << Status().toStdString();
  EXPECT_EQ(main->StatusText(),
            QStringLiteral("送信結果不明 : 送信後に応答がありません (接続エラー)"));
  EXPECT_EQ(StoreColumn(MastCol::kReadDate), std::vector<std::string>{"(結果不明)"});
  EXPECT_EQ(http->sent.size(), 1u);  // never sent twice on its own
}

TEST_F(ComposeWindowTest, ATimedFetchDuringASendRunsWhenTheSendIsOver) {
  StartAndShow();
  int fetched = 0;
  main->site().hooks.fetch = [&](int, std::string&) {
    ++fetched;
    return FetchOutcome{};
  };
  {
    BusyGuard send(st->busy);  // a send waits for its answer
    run_fetch();
    EXPECT_EQ(fetched, 0);
  }
  QTest::qWait(700);
  EXPECT_EQ(fetched, 1);
}

}  // namespace
}  // namespace sorami::test
