// The mail step of "最新取得(&G)": with "有効" of the mail page checked, the fetch receives the
// POP3 mailbox (a scripted server here) into the inbox and shows it; unchecked, it does not.
#include <QPushButton>
#include <QTreeView>

#include "gui/GuiFixture.h"
#include "mail/MailFixture.h"
#include "settings/ui/TFormSettei.h"
#include "support/ScriptedLineSocket.h"

namespace sorami::test {
namespace {

using MailFetchTest = GuiFixture;

TEST_F(MailFetchTest, TheFetchReceivesMailIntoTheInboxOnlyWhenMailReceiveIsEnabled) {
  StartAndShow();
  main->polling().fetch = run_fetch;
  st->settei.v.pop_host = "pop.example.jp";
  st->settei.v.pop_user = "taro";
  st->settei.v.pop_password = "himitsu";
  const std::string script = "S: +OK\nC: CAPA\nS: +OK\nS: UIDL\nS: .\n" +
                             std::string("C: USER taro\nS: +OK\nC: PASS himitsu\nS: +OK\n") +
                             Stat(2) + Uidl({"a", "b"}) + Retr(1, Mail("one", "1\n")) +
                             Retr(2, Mail("two", "2\n")) + Dele(1) + Dele(2) + Quit();
  int connections = 0;
  st->mail.make_socket = [&connections, script] {
    ++connections;
    return std::make_unique<ScriptedLineSocket>(script);
  };
  st->settei.v.pop_enabled = false;
  Find<QPushButton>(main, "BtGet")->click();
  EXPECT_EQ(connections, 0);
  EXPECT_EQ(main->StatusText(), QStringLiteral("新着メッセージ無し"));

  st->settei.v.pop_enabled = true;
  Find<QPushButton>(main, "BtGet")->click();
  EXPECT_EQ(connections, 1);
  EXPECT_EQ(StoreColumn(MastCol::kTitle), (std::vector<std::string>{"one", "two"}));
  EXPECT_TRUE(main->StatusText().startsWith(QStringLiteral(" 受信箱 : 2 件")))
      << main->StatusText().toStdString();
  EXPECT_EQ(windows->settei->StatusText(), QStringLiteral(" 2 件"));
  EXPECT_EQ(Find<QTreeView>(main, "LViewData")->model()->rowCount(), 2);

  // A receive that fails says so in the main window too, not only in the settings window.
  st->mail.make_socket = [] {
    auto socket = std::make_unique<ScriptedLineSocket>("");
    socket->FailConnect("サーバーが接続を拒否しました"_cp932);
    return socket;
  };
  Find<QPushButton>(main, "BtGet")->click();
  EXPECT_EQ(main->StatusText(), QStringLiteral("サーバーが接続を拒否しました"));
}

}  // namespace
}  // namespace sorami::test
