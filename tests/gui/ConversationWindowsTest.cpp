// Reply and claim from the main window: the reply buttons fill the compose window from the
// clicked message, the claim window refuses an empty choice with its message box, reports the
// ticked one to the directory server and shows the result; cancelling changes nothing.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>

#include "compose/ui/TFormNewMsg.h"
#include "gui/BrowseFixture.h"
#include "site/SiteWire.h"
#include "site/ui/TFormClaim.h"
#include "support/FakeHttp.h"

namespace sorami::test {
namespace {

class ConversationWindowsTest : public BrowseFixture {
 protected:
  void SetUp() override {
    BrowseFixture::SetUp();
    http = UseFakeHttp(*st);
    Add({"議題", "受信箱", "2026/01/01 00:00:00", "一\r\n二", "一般連絡"});  // read before
    ClickNode(FolderNode(Folder::kInbox));
  }
  FakeHttp* http = nullptr;
};

TEST_F(ConversationWindowsTest, TheReplyButtonsFillTheComposeWindowFromTheClickedMessage) {
  Find<QPushButton>(main, "BtHenshin")->click();  // no row clicked yet: nothing happens
  EXPECT_FALSE(windows->new_msg->isVisible());
  ClickRow(0);
  Find<QPushButton>(main, "BtHenshin")->click();
  TFormNewMsg* w = windows->new_msg.get();
  ASSERT_TRUE(w->isVisible());
  EXPECT_EQ(Find<QLineEdit>(w, "EditAtesaki")->text(), QStringLiteral("s"));
  EXPECT_EQ(Find<QLineEdit>(w, "EditTitle")->text(), QStringLiteral("Re: 議題"));
  EXPECT_EQ(Find<QTextEdit>(w, "MemoHonbun")->toPlainText(), QStringLiteral(">一\n>二"));
}

TEST_F(ConversationWindowsTest, TheClaimNeedsATickAndReportsToTheDirectoryServer) {
  ClickRow(0);
  main->SetStatus(QStringLiteral("before"));
  Find<QPushButton>(main, "BtClaim")->click();
  TFormClaim* w = windows->claim.get();
  ASSERT_TRUE(w->isVisible());
  EXPECT_EQ(Find<QLineEdit>(w, "EditTitle")->text(), QStringLiteral("議題"));
  EXPECT_FALSE(Find<QLineEdit>(w, "EditTitle")->isEnabled());
  QString alerted;
  w->hooks.alert = [&](const QString& text) { alerted = text; };
  Find<QPushButton>(w, "Button1")->click();
  EXPECT_EQ(alerted, QStringLiteral("不正指定　未チェック"));
  EXPECT_TRUE(w->isVisible());
  EXPECT_TRUE(http->sent.empty());

  Find<QPushButton>(w, "Button2")->click();  // cancel: the status bar stays
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(main->StatusText(), QStringLiteral("before"));

  Find<QPushButton>(main, "BtClaim")->click();
  Find<QCheckBox>(w, "CkShubetsu")->setChecked(true);
  http->Answer("OK(PGM)\tOK(PGM)accepted");
  Find<QPushButton>(w, "Button1")->click();
  EXPECT_FALSE(w->isVisible());
  ASSERT_EQ(http->sent.size(), 1u);
  EXPECT_EQ(http->sent[0].url, "http://dir:1/bn/WbClaim.exe?");
  EXPECT_NE(http->sent[0].body.find("&CLAIM=%09" + UrlEncodeValue(J("種別不正")) + "&"),
            std::string::npos)
      << http->sent[0].body;
  EXPECT_EQ(main->StatusText(), QStringLiteral("報告完了"));
}

}  // namespace
}  // namespace sorami::test
