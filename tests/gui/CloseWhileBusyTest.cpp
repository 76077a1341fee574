// Closing the main window while an exchange with a server runs: a site request waiting for its
// answer, or a POP3 receive from a real Dovecot.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "gui/GuiFixture.h"
#include "shell/MailReceive.h"
#include "store/Folders.h"
#include "support/Dovecot.h"

namespace sorami::test {
namespace {

class CloseWhileBusyTest : public GuiFixture {};

TEST_F(CloseWhileBusyTest, TheCloseWaitsForTheRequestThenSavesWhatItBrought) {
  PresetMaster("");
  StartAndShow();
  bool ended = false;
  QObject::connect(main, &TFormMain::closed, [&] { ended = true; });
  {
    BusyGuard request(st->busy);  // a fetch waits for its answer
    main->close();
    EXPECT_FALSE(ended);
    EXPECT_TRUE(main->isVisible());
    // The answer arrives: its message is stored while the close waits.
    std::array<std::string_view, 25> cols{};
    cols[3] = "fetched during the close";
    cols[13] = FolderName(Folder::kInbox);
    st->store.Append(cols);
  }
  QElapsedTimer t;
  t.start();
  while (!ended && t.elapsed() < 3000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  ASSERT_TRUE(ended);
  EXPECT_NE(ReadFileBytes(MasterDat()).find("fetched during the close"), std::string::npos);
}

TEST_F(CloseWhileBusyTest, TheCloseDuringAPop3ReceiveWaitsForItThenSavesTheMail) {
  if (!Dovecot::Installed()) GTEST_SKIP() << "Dovecot is not installed";
  Dovecot server(false);
  ASSERT_TRUE(server.running()) << server.why_not();
  for (int i = 0; i < 3; ++i) {
    server.AddMail("From: a@example.jp\nSubject: mail " + std::to_string(i) + "\n\nbody\n");
  }
  PresetMaster("");
  StartAndShow();
  SetteiValues& v = st->settei.v;
  v.pop_host = "127.0.0.1";
  v.pop_port_text = std::to_string(server.port());
  v.pop_tls_index = static_cast<long>(MailSecurity::kNone);
  v.pop_user = Dovecot::kUser;
  v.pop_password = Dovecot::kPassword;

  bool received = false, closed_after_receive = false, ended = false;
  QObject::connect(main, &TFormMain::closed, [&] {
    ended = true;
    closed_after_receive = received;
  });
  // The close comes from the receive's own event loop, while it waits for the server.
  QTimer::singleShot(0, main, [this] { main->close(); });
  const MailReceiveReport out = ReceiveStoredMail(*st);
  received = true;
  ASSERT_TRUE(out.ok) << Cp932ToUtf8(out.status);
  EXPECT_EQ(out.stored, 3);
  EXPECT_FALSE(ended);                // the close waited for the receive
  EXPECT_EQ(server.MailCount(), 0u);  // the server has deleted them: only our store holds them

  QElapsedTimer t;
  t.start();
  while (!ended && t.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  ASSERT_TRUE(ended);
  EXPECT_TRUE(closed_after_receive);
  const std::string saved = ReadFileBytes(MasterDat());
  for (int i = 0; i < 3; ++i) {
    EXPECT_NE(saved.find("mail " + std::to_string(i)), std::string::npos) << i;
  }
}

}  // namespace
}  // namespace sorami::test
