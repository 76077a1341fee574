// The windows' site requests against the real site service on a loopback port: the main
// window's connection check, the fetch by button (the polling's own fetch) and for one account
// row, the progress window during a request, and a second request refused while one waits.
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include "base/ui/QtText.h"
#include "gui/GuiFixture.h"
#include "server/ServerProcess.h"
#include "settings/ui/TFormSettei.h"
#include "site/SendHttp.h"
#include "site/ui/TFormMessage.h"
#include "store/Folders.h"

namespace sorami::test {
namespace {

const QString kMask = QStringLiteral("＊＊＊＊＊");

class SiteWindowsTest : public GuiFixture {
 protected:
  // 広場 holds はなこ (password "hana") and たろう ("taro").
  void SetUp() override {
    db_ = (dir_ / "site.db").string();
    Admin({"init"});
    server_ = std::make_unique<sitetest::ServerProcess>(
        std::vector<std::string>{"--db", db_, "--listen", "127.0.0.1:0"}, dir_ / "server.log");
    Admin({"addsite", "広場", "--host", server_->address(), "--user", "hiroba", "--public"});
    Admin({"adduser", "広場", "はなこ", "hana"});
    Admin({"adduser", "広場", "たろう", "taro"});

    StartAndShow();
    st->site.http = MakeQtHttpClient({3000, 5000});
    st->site.directory_host = server_->address();
    main->polling().fetch = run_fetch;  // the run's own fetch
    settei = windows->settei.get();
  }

  void Admin(std::vector<std::string> args) {
    args.push_back("--db");
    args.push_back(db_);
    const auto r = sitetest::RunServerCommand(args, dir_.path());
    ASSERT_EQ(r.exitCode, 0) << args[0] << ": " << r.err;
  }

  // "接続確認" in the main window with what the user typed.
  void Check(const char* site, const char* nick, const QString& pass) {
    Find<QLineEdit>(main, "EdSiteName")->setText(QString::fromUtf8(site));
    Find<QLineEdit>(main, "EdNickname")->setText(QString::fromUtf8(nick));
    Find<QLineEdit>(main, "EdPassword")->setText(pass);
    Find<QPushButton>(main, "BtSetsuzoku")->click();
  }

  // A message of 広場 from one member to another, as a client's send posts it.
  void Send(const char* from, const char* pass, const char* to, const char* title,
            const std::string& date) {
    const std::vector<std::string> fields = {"COMMAND=SENDWIN",
                                             "FROMSITE=" + J("広場"),
                                             "FROMNAME=" + J(from),
                                             "USERPASS=" + J(pass),
                                             "TONAME=" + J(to) + "%" + J("広場"),
                                             "TITLE=" + J(title),
                                             "HONBUN=" + J("本文"),
                                             "FROMDATE=" + date};
    std::string value, msg;
    ASSERT_TRUE(SendHTTP(st->site, SiteRequest::kSendWin, server_->address(), fields, value, msg))
        << Cp932ToUtf8(msg);
  }

  void ClickGet() { Find<QPushButton>(main, "BtGet")->click(); }

  void ClickRow(int row) {
    settei->show();
    auto* list = Find<QTreeWidget>(settei, "ListU");
    const QRect r = list->visualItemRect(list->topLevelItem(row));
    ASSERT_TRUE(r.isValid()) << row;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
  }

  std::vector<std::string> Titles() const {
    std::vector<std::string> titles;
    for (int32_t i = 0; i < st->store.CtMaster(); ++i) {
      titles.push_back(Cp932ToUtf8(st->store.Get(i, MastCol::kTitle)));
    }
    return titles;
  }
  QString AccountLog() { return Find<QPlainTextEdit>(settei, "MemoAcLog")->toPlainText(); }

  std::string db_;
  std::unique_ptr<sitetest::ServerProcess> server_;
  TFormSettei* settei = nullptr;
};

TEST_F(SiteWindowsTest, TheConnectionCheckResolvesTheHostAndRecordsTheAccount) {
  Check("広場", "はなこ", QStringLiteral("hana"));
  const QString addr = QString::fromStdString(server_->address());
  EXPECT_EQ(Find<QLabel>(settei, "LabelHost")->text(), addr);
  EXPECT_EQ(Find<QLabel>(settei, "LabelSysUser")->text(), QStringLiteral("hiroba"));
  auto* list = Find<QTreeWidget>(settei, "ListU");
  ASSERT_EQ(list->topLevelItemCount(), 1);
  EXPECT_EQ(list->topLevelItem(0)->text(4), addr);
  EXPECT_EQ(list->topLevelItem(0)->text(6), QStringLiteral("on"));
  EXPECT_EQ(ReadFileBytes(dir_ / "app" / "Data" / "KRList.dat"),
            J("広場\tはなこ\thana\t\t") + server_->address() + "\thiroba\ton\t\r\n");
  EXPECT_EQ(Stored(kCommonKey).ReadString("Setting", "fmKairoSettei.EdAccount", ""), J("はなこ"));
  EXPECT_EQ(st->cur.pass, "hana");
  EXPECT_EQ(Find<QLineEdit>(main, "EdPassword")->text(), kMask);
  const QString ok = main->StatusText();
  EXPECT_FALSE(ok.isEmpty());
  EXPECT_EQ(settei->StatusText(), ok);
  EXPECT_FALSE(windows->message->isVisible());

  // The mask checks with the stored password; the account is not recorded twice.
  Check("広場", "はなこ", kMask);
  EXPECT_EQ(main->StatusText(), ok);
  EXPECT_EQ(list->topLevelItemCount(), 1);

  // A wrong password is reported and used, but not recorded.
  Check("広場", "はなこ", QStringLiteral("wrong"));
  EXPECT_NE(main->StatusText(), ok);
  EXPECT_FALSE(main->StatusText().isEmpty());
  EXPECT_EQ(st->cur.pass, "wrong");
  EXPECT_EQ(list->topLevelItem(0)->text(2), QStringLiteral("hana"));
  EXPECT_EQ(Find<QLineEdit>(main, "EdPassword")->text(), kMask);
  EXPECT_FALSE(AccountLog().isEmpty());  // the refused request is in the account log
}

TEST_F(SiteWindowsTest, FetchByButtonStoresTheMessageAndShowsTheInbox) {
  Check("広場", "はなこ", QStringLiteral("hana"));
  Send("たろう", "taro", "はなこ", "こんにちは", "2030/01/02 03:04:05");
  ClickGet();
  ASSERT_EQ(Titles(), std::vector<std::string>{"こんにちは"});
  EXPECT_TRUE(main->StatusText().startsWith(QStringLiteral(" 受信箱 : 1 件")))
      << main->StatusText().toStdString();
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d$"))
                  .match(Find<QLabel>(main, "LabelJikoku")->text())
                  .hasMatch());
  auto* tree = Find<QTreeWidget>(main, "TreeV");
  ASSERT_NE(tree->currentItem(), nullptr);
  EXPECT_EQ(tree->currentItem()->text(0), QStringLiteral("受信箱(未読)"));
  const QAbstractItemModel* rows = Find<QTreeView>(main, "LViewData")->model();
  ASSERT_EQ(rows->rowCount(), 1);
  EXPECT_EQ(rows->data(rows->index(0, 1)).toString(), QStringLiteral("こんにちは"));
  EXPECT_TRUE(AccountLog().contains(QStringLiteral("GET  はなこ%新着メッセージ : 1 件")));
  EXPECT_FALSE(windows->message->isVisible());

  // "サイトに残す" unchecked: the site deleted what it delivered.
  ClickGet();
  EXPECT_EQ(main->StatusText(), QStringLiteral("新着メッセージ無し"));

  // Checked: what arrives stays on the site, and comes again into an emptied store.
  Find<QCheckBox>(main, "CkNokosu")->setChecked(true);
  Send("たろう", "taro", "はなこ", "二通目", "2030/01/02 03:04:06");
  ClickGet();
  EXPECT_EQ(Titles(), (std::vector<std::string>{"こんにちは", "二通目"}));
  st->store.Clear();
  ClickGet();
  EXPECT_EQ(Titles(), std::vector<std::string>{"二通目"});
  // Unchecked again: delivered once more, then gone from the site.
  Find<QCheckBox>(main, "CkNokosu")->setChecked(false);
  st->store.Clear();
  ClickGet();
  st->store.Clear();
  ClickGet();
  EXPECT_TRUE(Titles().empty());

  // With the sent folder on screen a fetch lists it again, for the receipts it brought.
  tree->clearSelection();
  tree->topLevelItem(0)->child(FolderNode(Folder::kSent) - 1)->setSelected(true);
  st->log.Clear();
  ClickGet();
  EXPECT_NE(LogText().find("MessageListHyouji 3 送信箱"), std::string::npos);
  EXPECT_EQ(main->StatusText(), QString());
}

TEST_F(SiteWindowsTest, SingleFetchTakesOnlyTheSelectedAccountRow) {
  Check("広場", "はなこ", QStringLiteral("hana"));
  Check("広場", "たろう", QStringLiteral("taro"));
  ASSERT_EQ(Find<QTreeWidget>(settei, "ListU")->topLevelItemCount(), 2);
  Send("はなこ", "hana", "たろう", "たろうへ", "2030/01/02 03:04:05");
  Send("たろう", "taro", "はなこ", "はなこへ", "2030/01/02 03:04:06");

  ClickRow(1);
  EXPECT_EQ(Find<QLineEdit>(main, "EdNickname")->text(), QStringLiteral("たろう"));
  Find<QPushButton>(settei, "BtSingle")->click();
  EXPECT_EQ(Titles(), std::vector<std::string>{"たろうへ"});
  EXPECT_TRUE(settei->StatusText().startsWith(QStringLiteral(" 受信箱 : 1 件")));
  EXPECT_EQ(main->StatusText(), settei->StatusText());
  EXPECT_EQ(Find<QTreeView>(main, "LViewData")->model()->rowCount(), 1);

  ClickGet();  // every enabled row: only はなこ's message is new
  EXPECT_EQ(Titles(), (std::vector<std::string>{"たろうへ", "はなこへ"}));
}

TEST_F(SiteWindowsTest, ARequestStartedWhileAnotherWaitsIsRefused) {
  // A host that takes the connection and says nothing until the test closes it.
  QTcpServer silent;
  ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
  const std::string host = "127.0.0.1:" + std::to_string(silent.serverPort());
  st->settei.rows.push_back({{J("静か"), "me", "pw", "", host, "u", "on", ""}});
  settei->ShowValues();
  const CurrentAccount before = st->cur;

  bool waited = false;
  QString progress_caption, busy_get, busy_check, busy_kakunin;
  QObject::connect(&silent, &QTcpServer::newConnection, &silent, [&] {
    waited = true;
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

  ASSERT_TRUE(waited);
  EXPECT_EQ(progress_caption, QStringLiteral("実行中　しばらくお待ちください"));
  const QString busy = Qs(BusyMessage());
  EXPECT_EQ(busy_get, busy);
  EXPECT_EQ(busy_check, busy);
  EXPECT_EQ(busy_kakunin, busy);
  // The refused check changed nothing; the password box keeps what was typed.
  EXPECT_EQ(st->cur.site, before.site);
  EXPECT_EQ(st->cur.pass, before.pass);
  EXPECT_EQ(Find<QLineEdit>(main, "EdPassword")->text(), QStringLiteral("hana"));

  EXPECT_EQ(main->StatusText(),
            QStringLiteral("新着メッセージ無し（取得できなかったアカウント : 1 件）"));
  EXPECT_FALSE(windows->message->isVisible());
  EXPECT_TRUE(AccountLog().contains(QStringLiteral("接続エラー")));
  EXPECT_FALSE(st->site.busy);
  EXPECT_TRUE(Titles().empty());
}

}  // namespace
}  // namespace sorami::test
