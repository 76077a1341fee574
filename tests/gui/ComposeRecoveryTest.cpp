// A message being written is never lost: it comes back after the run ends and starts again,
// closing the window with it asks (draft / discard / back to it), a reply that would replace
// it asks first, and characters that would become "〓" are named before the send.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <csignal>

#include "compose/ComposeRecovery.h"
#include "compose/ui/TFormNewMsg.h"
#include "gui/BrowseFixture.h"
#include "shell/ui/SignalClose.h"
#include "support/FakeHttp.h"

namespace sorami::test {
namespace {

class ComposeRecoveryTest : public BrowseFixture {
 protected:
  TFormNewMsg* Window() { return windows->new_msg.get(); }
  QLineEdit* Edit(const char* name) { return Find<QLineEdit>(Window(), name); }
  QTextEdit* Body() { return Find<QTextEdit>(Window(), "MemoHonbun"); }
  std::filesystem::path Recovery() const { return RecoveryFile(dir_ / "app" / "Data"); }
  void Open() {
    Find<QPushButton>(main, "BtNew")->click();
    ASSERT_TRUE(Window()->isVisible());
  }
  // The next question of the compose window is answered with this button; its text is kept.
  void AnswerNext(const QString& button, const char* box_name = "AskUnsent") {
    QTimer::singleShot(0, Window(), [this, button, box_name] {
      auto* box = Window()->findChild<QMessageBox*>(QString::fromLatin1(box_name));
      ASSERT_NE(box, nullptr);
      asked = box->text();
      for (QAbstractButton* b : box->buttons()) {
        if (b->text() == button) b->click();
      }
    });
  }
  // The site answers through a fake that takes every send.
  FakeHttp* FakeSite() {
    FakeHttp* http = UseFakeHttp(*st);
    http->Answer("x\tOK(PGM)\r\n" + J("送信受付完了 1 件"));
    st->cur = {J("広場"), J("たろう"), "pw", "h:1", "sys", ""};
    return http;
  }
  void ClickSend() { Find<QPushButton>(Window(), "SpeedButton1")->click(); }
  QString asked;
};

TEST_F(ComposeRecoveryTest, AMessageBeingWrittenComesBackInTheNextRun) {
  Open();
  WriteFileBytes(dir_ / "한국어.txt", "file");
  st->site.send_attachments = {dir_ / "한국어.txt"};
  Edit("EditAtesaki")->setText(QStringLiteral("はなこ"));
  Edit("EditTitle")->setText(QStringLiteral("週末😀"));  // kept as typed, not as "〓"
  Body()->setPlainText(QStringLiteral("一行目\n\\二行目"));
  // Written once the typing pauses, without closing anything.
  QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(Recovery()), 10000);

  Body()->append(QStringLiteral("三行目"));
  {
    // SIGTERM closes the main window as the program wires it: the end of the run writes the
    // copy at once and asks nothing.
    SignalClose closer([this] { main->close(); });
    ASSERT_EQ(std::raise(SIGTERM), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!main->isVisible(), 10000);
  }
  EXPECT_EQ(Window()->findChild<QMessageBox*>(), nullptr);
  EndRun();
  Start();
  EXPECT_EQ(Edit("EditAtesaki")->text(), QStringLiteral("はなこ"));
  EXPECT_EQ(Edit("EditTitle")->text(), QStringLiteral("週末😀"));
  EXPECT_EQ(Body()->toPlainText(), QStringLiteral("一行目\n\\二行目\n三行目"));
  EXPECT_EQ(st->site.send_attachments, std::vector<std::filesystem::path>{dir_ / "한국어.txt"});
  EXPECT_TRUE(Window()->HoldsUnsent());

  // Sent: nothing is left to recover.
  main->show();
  FakeSite();
  Window()->ShowWindow();
  AnswerNext(QStringLiteral("送信"), "AskUnwritable");  // "😀" goes as "〓"
  ClickSend();
  EXPECT_FALSE(Window()->isVisible());
  EXPECT_FALSE(std::filesystem::exists(Recovery()));
}

TEST_F(ComposeRecoveryTest, ClosingWithAnUnsentMessageAsksDraftDiscardOrCancel) {
  Open();
  Body()->setPlainText(QStringLiteral("書きかけ"));
  AnswerNext(QStringLiteral("キャンセル"));
  Window()->close();
  EXPECT_TRUE(asked.startsWith(QStringLiteral("送信していないメッセージがあります")));
  EXPECT_TRUE(Window()->isVisible());
  EXPECT_EQ(Body()->toPlainText(), QStringLiteral("書きかけ"));

  // A draft without any recipient is stored and the window closes.
  Edit("EditAtesaki")->clear();
  AnswerNext(QStringLiteral("下書きに保存"));
  Window()->close();
  EXPECT_FALSE(Window()->isVisible());
  EXPECT_EQ(StoreColumn(MastCol::kFolder), std::vector<std::string>{"草稿"});
  EXPECT_EQ(StoreColumn(MastCol::kBody), std::vector<std::string>{"書きかけ"});
  Open();
  Window()->close();  // saved: nothing to ask
  EXPECT_FALSE(Window()->isVisible());

  Open();
  Edit("EditTitle")->setText(QStringLiteral("要らない"));
  st->site.send_attachments = {dir_ / "private.txt"};
  asked.clear();
  AnswerNext(QStringLiteral("破棄"));
  Window()->close();
  EXPECT_FALSE(asked.isEmpty());
  EXPECT_FALSE(Window()->isVisible());
  EXPECT_TRUE(Edit("EditTitle")->text().isEmpty());
  EXPECT_TRUE(st->site.send_attachments.empty());  // its files go with it
  EXPECT_FALSE(std::filesystem::exists(Recovery()));
  EXPECT_EQ(st->store.CtMaster(), 1);
}

TEST_F(ComposeRecoveryTest, AReplyAsksBeforeReplacingAHalfWrittenMessage) {
  Add({"議題", "受信箱", "2026/01/01 00:00:00", "元の本文", "一般連絡"});
  ClickNode(FolderNode(Folder::kInbox));
  ClickRow(0);
  Open();
  Body()->setPlainText(QStringLiteral("書きかけ"));
  AnswerNext(QStringLiteral("キャンセル"));
  Find<QPushButton>(main, "BtHenshin")->click();
  EXPECT_TRUE(asked.startsWith(QStringLiteral("書きかけのメッセージがあります")));
  EXPECT_EQ(Body()->toPlainText(), QStringLiteral("書きかけ"));
  EXPECT_TRUE(Edit("EditTitle")->text().isEmpty());

  AnswerNext(QStringLiteral("破棄"));
  Find<QPushButton>(main, "BtHenshin")->click();
  EXPECT_EQ(Edit("EditTitle")->text(), QStringLiteral("Re: 議題"));
  EXPECT_EQ(Body()->toPlainText(), QStringLiteral(">元の本文"));
}

TEST_F(ComposeRecoveryTest, CharactersTheCodePageCannotHoldAreNamedBeforeTheSend) {
  FakeHttp* http = FakeSite();
  Open();
  Edit("EditAtesaki")->setText(QStringLiteral("はなこ"));
  Edit("EditTitle")->setText(QStringLiteral("①の件"));  // held by the code page: not named
  Body()->setPlainText(QStringLiteral("乾杯🎉 𠮷 😀🎉"));
  AnswerNext(QStringLiteral("キャンセル"), "AskUnwritable");
  ClickSend();
  EXPECT_EQ(asked, QStringLiteral("この文字は送れないため〓になります : 🎉 𠮷 😀\n"
                                  "このまま送信しますか?"));
  EXPECT_TRUE(http->sent.empty());
  EXPECT_TRUE(Window()->isVisible());

  AnswerNext(QStringLiteral("送信"), "AskUnwritable");
  ClickSend();
  EXPECT_EQ(http->sent.size(), 1u);
  EXPECT_EQ(StoreColumn(MastCol::kBody), std::vector<std::string>{"乾杯〓 〓 〓〓"});
}

}  // namespace
}  // namespace sorami::test
