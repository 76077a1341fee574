// The windows' site requests against the real site service on a loopback port: the main
// window's connection check, the fetch for one account row and by button (the polling's own
// fetch), a save failure's message box, the progress window during a request, a second
// request refused while one waits, and the desktop notification of what a fetch brought.
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTreeView>

#include "base/ui/QtText.h"
#include "gui/GuiFixture.h"
#include "gui/NotifyBus.h"
#include "shell/ui/DesktopNotifier.h"
#include "site/SendHttp.h"
#include "site/ui/TFormMessage.h"
#include "support/AppFixture.h"
#include "support/SiteWorld.h"
#include "views/ui/MessageBrowser.h"

namespace sorami::test {
namespace {

using Titles = std::vector<std::string>;

class SiteWindowsTest : public GuiFixture {
 protected:
  void SetUp() override {
    StartAndShow();
    st->site.http = MakeQtHttpClient({3000, 5000});
    st->site.directory_host = world.address();
    main->polling().fetch = run_fetch;  // the run's own fetch
    settei = windows->settei.get();
  }

  // "接続確認" in the main window with what the user typed.
  void Check(const char* site, const char* nick, const QString& pass) {
    Find<QLineEdit>(main, "EdSiteName")->setText(QString::fromUtf8(site));
    Find<QLineEdit>(main, "EdNickname")->setText(QString::fromUtf8(nick));
    Find<QLineEdit>(main, "EdPassword")->setText(pass);
    Find<QPushButton>(main, "BtSetsuzoku")->click();
  }

  // A message of 広場 from one member to another, as a client's send posts it.
  void Send(const Member& from, const Member& to, const char* title) {
    const std::vector<std::string> fields = {
        "COMMAND=SENDWIN",
        "FROMSITE=" + J(from.site),
        "FROMNAME=" + J(from.nick),
        "USERPASS=" + J(from.pass),
        "TONAME=" + J(to.nick) + "%" + J(to.site),
        "TITLE=" + J(title),
        "HONBUN=" + J("本文"),
        "FROMDATE=2030/01/02 03:04:0" + std::to_string(++sent_)};
    const SiteAnswer a = SendHTTP(st->site, SiteRequest::kSendWin, world.address(), fields);
    ASSERT_TRUE(a.ok()) << Cp932ToUtf8(a.msg);
  }

  void ClickGet() { Find<QPushButton>(main, "BtGet")->click(); }
  Titles Fetched() const { return StoreColumn(MastCol::kTitle); }
  QString AccountLog() { return Find<QPlainTextEdit>(settei, "MemoAcLog")->toPlainText(); }
  int Rows(QWidget* w, const char* list) { return Find<QTreeView>(w, list)->model()->rowCount(); }

  SiteWorld world;
  TFormSettei* settei = nullptr;
  int sent_ = 0;
};

TEST_F(SiteWindowsTest, TheConnectionCheckResolvesTheHostAndRecordsTheAccount) {
  Check("広場", "はなこ", QStringLiteral("hana"));
  EXPECT_EQ(Find<QLabel>(settei, "LabelHost")->text(), QString::fromStdString(world.address()));
  EXPECT_EQ(ReadFileBytes(dir_ / "app" / "Data" / "KRList.dat"),
            J("広場\tはなこ\thana\t\t") + world.address() + "\thiroba\ton\t\r\n");
  EXPECT_EQ(st->cur.password, "hana");
  EXPECT_EQ(Find<QLineEdit>(main, "EdPassword")->text(), kMask);
  const QString ok = main->StatusText();
  EXPECT_FALSE(ok.isEmpty());
  EXPECT_EQ(settei->StatusText(), ok);

  // The mask checks with the stored password; the account is not recorded twice.
  Check("広場", "はなこ", kMask);
  EXPECT_EQ(main->StatusText(), ok);
  EXPECT_EQ(Rows(settei, "ListU"), 1);

  // A wrong password is reported, but not recorded.
  Check("広場", "はなこ", QStringLiteral("wrong"));
  EXPECT_NE(main->StatusText(), ok);
  EXPECT_FALSE(main->StatusText().isEmpty());
  EXPECT_EQ(Find<QTreeWidget>(settei, "ListU")->topLevelItem(0)->text(2), QStringLiteral("hana"));
}

TEST_F(SiteWindowsTest, ASaveThatFailsIsShownInAMessageBox) {
  Check("広場", "はなこ", QStringLiteral("hana"));
  Send(kTaro, kHanako, "こんにちは");
  const std::filesystem::path data = st->master.data_dir;
  WriteFileBytes(dir_ / "blocked", "a file where a folder should be");
  st->master.data_dir = dir_ / "blocked" / "Data";
  ClickGet();
  auto* box = main->findChild<QMessageBox*>(QStringLiteral("SaveFailed"));
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->isVisible());
  EXPECT_TRUE(box->text().startsWith(QStringLiteral("保存失敗 : Not a directory (")))
      << box->text().toStdString();
  EXPECT_EQ(main->StatusText(), box->text());
  box->close();
  st->master.data_dir = data;
}

TEST_F(SiteWindowsTest, SingleFetchTakesOnlyTheSelectedRowAndTheButtonEveryEnabledOne) {
  Check("広場", "はなこ", QStringLiteral("hana"));
  Check("広場", "たろう", QString::fromStdString(kTaro.pass));
  ASSERT_EQ(Rows(settei, "ListU"), 2);
  Send(kHanako, kTaro, "たろうへ");
  Send(kTaro, kHanako, "はなこへ");

  ClickAccountRow(1);
  Find<QPushButton>(settei, "BtSingle")->click();
  EXPECT_EQ(Fetched(), Titles{"たろうへ"});
  EXPECT_TRUE(settei->StatusText().startsWith(QStringLiteral(" 受信箱 : 1 件")));
  EXPECT_EQ(Rows(main, "LViewData"), 1);

  ClickGet();  // every enabled row: only はなこ's message is new
  EXPECT_EQ(Fetched(), (Titles{"たろうへ", "はなこへ"}));
  EXPECT_TRUE(main->StatusText().startsWith(QStringLiteral(" 受信箱 : 2 件")))
      << main->StatusText().toStdString();
  EXPECT_EQ(Rows(main, "LViewData"), 2);
  EXPECT_TRUE(AccountLog().contains(QStringLiteral("GET  はなこ%新着メッセージ : 1 件")));
  EXPECT_FALSE(windows->message->isVisible());
  ClickGet();  // the site deleted what it delivered
  EXPECT_EQ(main->StatusText(), QStringLiteral("新着メッセージ無し"));
}

TEST_F(SiteWindowsTest, ARequestStartedWhileAnotherWaitsIsRefused) {
  // A host that takes the connection and says nothing until the test closes it.
  QTcpServer silent;
  ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
  const std::string host = "127.0.0.1:" + std::to_string(silent.serverPort());
  st->settei.rows.push_back(
      ParseAccountRow(JoinedRow({J("静か"), "me", "pw", "", host, "u", "on", ""})));
  settei->ShowValues();
  const SiteAccount before = st->cur;

  QString progress_caption, busy_get, busy_check, busy_kakunin;
  QObject::connect(&silent, &QTcpServer::newConnection, &silent, [&] {
    if (windows->message->isVisible()) progress_caption = windows->message->windowTitle();
    ClickGet();
    busy_get = main->StatusText();
    Check("広場", "はなこ", QStringLiteral("hana"));
    busy_check = main->StatusText();
    Find<QPushButton>(settei, "BtKakunin")->click();
    busy_kakunin = settei->StatusText();
    silent.nextPendingConnection()->abort();  // the waiting fetch ends
  });
  ClickGet();

  EXPECT_EQ(progress_caption, QStringLiteral("実行中　しばらくお待ちください"));
  const QString busy = Qs(BusyMessage());
  EXPECT_EQ(busy_get, busy);
  EXPECT_EQ(busy_check, busy);
  EXPECT_EQ(busy_kakunin, busy);
  EXPECT_EQ(st->cur.password, before.password);  // the refused check changed nothing

  EXPECT_EQ(main->StatusText(),
            QStringLiteral("新着メッセージ無し（取得できなかったアカウント : 1 件）"));
  EXPECT_FALSE(windows->message->isVisible());
  EXPECT_FALSE(st->busy.busy());
}

// New messages told to the desktop, through a private session bus whose notification service
// is a recorder.
TEST_F(SiteWindowsTest, AFetchThatBringsMessagesNotifiesTheDesktopOnce) {
  PrivateBus bus;
  ASSERT_FALSE(bus.address().isEmpty());
  NotificationRecorder recorder(bus.Connect(QStringLiteral("service")));
  ASSERT_TRUE(recorder.ok());
  const QDBusConnection app = bus.Connect(QStringLiteral("app"));
  windows->UseNotifier(std::make_unique<DesktopNotifier>(app));
  Check("広場", "はなこ", QStringLiteral("hana"));

  ClickGet();  // nothing waits on the site
  ASSERT_TRUE(recorder.Flush(app));
  EXPECT_TRUE(recorder.notifies.empty());

  Send(kTaro, kHanako, "こんにちは");
  ClickGet();
  ASSERT_TRUE(WaitFor([&] { return !recorder.notifies.empty(); }));
  ASSERT_TRUE(recorder.Flush(app));
  ASSERT_EQ(recorder.notifies.size(), 1u);
  const QList<QVariant> args = recorder.notifies[0].arguments();
  ASSERT_EQ(args.size(), 8);
  EXPECT_EQ(args[2].toString(), QStringLiteral("jp.hkw.sorami"));  // the menu entry's icon
  EXPECT_EQ(args[3].toString(), QStringLiteral("新着メッセージ 1 件"));
  EXPECT_EQ(args[4].toString(), QStringLiteral("たろう\nこんにちは"));
  EXPECT_TRUE(args[5].toStringList().contains(QStringLiteral("default")));
  EXPECT_TRUE(WaitFor([&] { return windows->notifier->unread() == 1; }));

  // Activating it brings the hidden window back on the inbox; another notification's action
  // does not.
  ASSERT_TRUE(WaitFor([&] { return windows->notifier->last_id() == recorder.last_id; }));
  main->browser().ShowFolder(Folder::kSent);
  main->hide();
  recorder.Activate(recorder.last_id + 7);
  ASSERT_TRUE(recorder.Flush(app));
  QCoreApplication::processEvents();
  EXPECT_FALSE(main->isVisible());
  recorder.Activate(recorder.last_id);
  EXPECT_TRUE(WaitFor([&] { return main->isVisible(); }));
  EXPECT_TRUE(main->browser().TreeNodeSelected(FolderNode(Folder::kInbox)));

  // Switched off in the option menu: nothing is told, and the choice is kept.
  Action(main, "MenuNotify")->trigger();
  Send(kTaro, kHanako, "またね");
  ClickGet();
  EXPECT_EQ(Fetched().size(), 2u);
  ASSERT_TRUE(recorder.Flush(app));
  EXPECT_EQ(recorder.notifies.size(), 1u);
  main->close();
  EXPECT_FALSE(Stored(kCommonKey).ReadBool("Setting", "fmKairo.Notify", true));
}

}  // namespace
}  // namespace sorami::test
