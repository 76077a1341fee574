// The mail page's "受信方式" and IMAP folders: persisted, the port box following the protocol,
// and the receive job naming IMAP.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "gui/GuiFixture.h"
#include "settings/ui/MailPage.h"

namespace sorami::test {
namespace {

class ImapPageTest : public GuiFixture {
 protected:
  void StartPage() {
    Start();
    settei = windows->settei.get();
    settei->show();
  }
  QComboBox* Combo(const char* name) { return Find<QComboBox>(settei, name); }

  TFormSettei* settei = nullptr;
};

TEST_F(ImapPageTest, TheProtocolAndFoldersPersistAndThePortFollowsTheProtocol) {
  StartPage();
  EXPECT_EQ(Combo("CbJushinHoushiki")->currentText(), QStringLiteral("POP3"));
  Combo("ComboPop")->setCurrentIndex(1);  // "995"
  Combo("CbJushinHoushiki")->setCurrentIndex(1);
  EXPECT_EQ(Combo("ComboPop")->currentText(), QStringLiteral("993"));
  Find<QLineEdit>(settei, "EditImapFolders")->setText(QStringLiteral("INBOX, 仕事"));
  Find<QPushButton>(settei, "Button1")->click();

  const IniStore ini = Stored(kCommonKey);
  EXPECT_EQ(ini.ReadInteger("Setting", "fmKairoSettei.CbJushinHoushiki", -1), 1);
  EXPECT_EQ(Cp932ToUtf8(ini.ReadString("Setting", "fmKairoSettei.ImapFolders", "")), "INBOX, 仕事");

  EndRun();
  StartPage();
  EXPECT_EQ(Combo("CbJushinHoushiki")->currentText(), QStringLiteral("IMAP"));
  MailReceiveJob job;
  std::string msg;
  ASSERT_TRUE(MakeReceiveJob(st->settei.v, job, msg));
  EXPECT_TRUE(job.imap);
  EXPECT_EQ(job.port, 993);
  EXPECT_EQ(Cp932ToUtf8(job.folders), "INBOX, 仕事");

  // Back to POP3: the port follows; a typed port would stay.
  Combo("CbJushinHoushiki")->setCurrentIndex(0);
  EXPECT_EQ(Combo("ComboPop")->currentText(), QStringLiteral("995"));
  Combo("ComboPop")->setEditText(QStringLiteral("10143"));
  Combo("CbJushinHoushiki")->setCurrentIndex(1);
  EXPECT_EQ(Combo("ComboPop")->currentText(), QStringLiteral("10143"));
}

}  // namespace
}  // namespace sorami::test
