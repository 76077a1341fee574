#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>

#include "platform/Codepage.h"
#include "platform/LineSocket.h"
#include "support/ScriptedLineSocket.h"

namespace sorami {
namespace {

// The Qt socket against a loopback server whose side `on_connect_` plays; the server
// collects what it receives in `received_` and, with `echo_`, sends it straight back.
class QtLineSocketTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char* argv[] = {const_cast<char*>("platform_tests"), nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);  // for the event loops
  }
  void SetUp() override {
    ASSERT_TRUE(server_.listen(QHostAddress::LocalHost));
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
      QTcpSocket* peer = server_.nextPendingConnection();
      QObject::connect(peer, &QIODevice::readyRead, [this, peer] {
        const QByteArray data = peer->readAll();
        received_ += data;
        if (echo_) peer->write(data);
      });
      if (on_connect_) on_connect_(peer);
    });
  }
  bool Connect(SocketSecurity security = SocketSecurity::kPlain) {
    return socket_->Connect("127.0.0.1", server_.serverPort(), security, error_);
  }
  // The next line, or the error when there is none.
  std::string Next() { return socket_->ReadLine(line_, error_) ? line_ : "failed: " + error_; }

  QTcpServer server_;
  std::function<void(QTcpSocket*)> on_connect_;
  QByteArray received_;
  bool echo_ = false;
  std::unique_ptr<LineSocket> socket_ = MakeQtLineSocket();
  std::string line_, error_;
};

TEST_F(QtLineSocketTest, LinesEndAtCrLfOrLoneLfAndBytesPassUnchangedBothWays) {
  QByteArray bulk;  // more than one read's worth, and a line longer than any buffer chunk
  for (int i = 0; i < 3000; ++i) bulk += "line " + QByteArray::number(i) + "\r\n";
  bulk += QByteArray(200000, 'x') + "\r\n";
  on_connect_ = [&](QTcpSocket* p) {
    p->write("+OK ready\r\nlone\n\x82\xA0\x80\xFF\r\n\r\nmid\rcr\r\n");
    p->write(bulk);
  };
  ASSERT_TRUE(Connect()) << error_;
  for (const char* want : {"+OK ready", "lone", "\x82\xA0\x80\xFF", "", "mid\rcr"}) {
    EXPECT_EQ(Next(), want);
  }
  for (int i = 0; i < 3000; ++i) ASSERT_EQ(Next(), "line " + std::to_string(i));
  EXPECT_EQ(Next(), std::string(200000, 'x'));

  echo_ = true;
  ASSERT_TRUE(socket_->WriteLine("USER \x82\xA0\xFF", error_)) << error_;
  ASSERT_TRUE(socket_->Write("raw\n", error_)) << error_;
  EXPECT_EQ(Next(), "USER \x82\xA0\xFF");
  EXPECT_EQ(Next(), "raw");
  EXPECT_EQ(received_, "USER \x82\xA0\xFF\r\nraw\n");
}

TEST_F(QtLineSocketTest, APeerClosingMidDialogueIsAFailureNotAnEmptyLine) {
  on_connect_ = [](QTcpSocket* p) {
    p->write("+OK\r\nhalf a li");
    p->disconnectFromHost();
  };
  socket_->SetTimeouts({15000, 10000});
  ASSERT_TRUE(Connect()) << error_;
  EXPECT_EQ(Next(), "+OK");  // what came before the close
  EXPECT_FALSE(socket_->ReadLine(line_, error_));
  EXPECT_FALSE(error_.empty());
  // Noticed, not waited out.
  EXPECT_FALSE(error_.starts_with("タイムアウト"_cp932)) << Cp932ToUtf8(error_);
  error_.clear();
  EXPECT_FALSE(socket_->WriteLine("QUIT", error_));
  EXPECT_FALSE(error_.empty());
}

TEST_F(QtLineSocketTest, ASilentPeerTimesOutWhileTimersKeepTicking) {
  socket_->SetTimeouts({15000, 200});
  ASSERT_TRUE(Connect()) << error_;
  bool ticked = false;
  QTimer::singleShot(50, [&] { ticked = true; });
  EXPECT_FALSE(socket_->ReadLine(line_, error_));
  EXPECT_TRUE(error_.starts_with("タイムアウト"_cp932)) << Cp932ToUtf8(error_);
  EXPECT_TRUE(ticked);  // the wait ran an event loop, so windows would repaint
}

TEST_F(QtLineSocketTest, StartTlsRefusesDataSentBeforeTheNegotiation) {
  on_connect_ = [](QTcpSocket* p) { p->write("220 ready for TLS\r\n250 injected\r\n"); };
  socket_->SetTimeouts({300, 3000});
  ASSERT_TRUE(Connect()) << error_;
  EXPECT_EQ(Next(), "220 ready for TLS");
  EXPECT_FALSE(socket_->StartTls(error_));
  QEventLoop pump;
  QTimer::singleShot(100, &pump, &QEventLoop::quit);
  pump.exec();
  EXPECT_TRUE(received_.isEmpty());  // no handshake was begun
  EXPECT_FALSE(socket_->ReadLine(line_, error_)) << "left open: " << line_;
}

// A peer that sends an endless line is cut off at the line limit instead of filling memory;
// one that trickles a byte at a time is cut off at the deadline although it never falls idle.
TEST_F(QtLineSocketTest, AnEndlessLineOrATrickleEndsTheReadInsteadOfGrowingOrWaiting) {
  on_connect_ = [](QTcpSocket* p) {
    p->write("+OK\r\n");
    p->write(QByteArray(static_cast<qsizetype>(LineSocket::kMaxLineBytes) + 4096, 'x'));
  };
  socket_->SetTimeouts({15000, 20000});
  ASSERT_TRUE(Connect()) << error_;
  EXPECT_EQ(Next(), "+OK");
  EXPECT_FALSE(socket_->ReadLine(line_, error_));
  EXPECT_TRUE(error_.starts_with("サーバーから届いた行が長すぎます"_cp932)) << Cp932ToUtf8(error_);
  EXPECT_TRUE(line_.empty());

  // 200 bytes, 40 ms apart, then the line end: the 300 ms deadline comes long before.
  QTimer trickle;
  int sent = 0;
  on_connect_ = [&](QTcpSocket* p) {
    QObject::connect(&trickle, &QTimer::timeout, p, [&sent, &trickle, p] {
      p->write(++sent < 200 ? "x" : "\r\n");
      if (sent == 200) trickle.stop();
    });
    trickle.start(40);
  };
  ASSERT_TRUE(Connect()) << error_;
  socket_->SetDeadline(300);
  EXPECT_FALSE(socket_->ReadLine(line_, error_)) << "read whole: " << line_.size() << " bytes";
  EXPECT_TRUE(error_.starts_with("タイムアウト : 受信に時間がかかりすぎています"_cp932))
      << Cp932ToUtf8(error_);
  trickle.stop();
}

// The scripted server fails the test when the client leaves the dialogue.
TEST(ScriptedLineSocket, CatchesAClientThatLeavesTheDialogue) {
  std::string line, error;
  const char* script = "S: +OK\nC: USER taro\nS: +OK\n";
  test::ScriptedLineSocket wrong(script), bare_lf(script), early_read(script);
  for (auto* s : {&wrong, &bare_lf, &early_read}) {
    ASSERT_TRUE(s->Connect("h", 1, SocketSecurity::kPlain, error));
    ASSERT_TRUE(s->ReadLine(line, error));
  }
  EXPECT_NONFATAL_FAILURE(wrong.WriteLine("USER jiro", error),
                          "sent \"USER jiro\" where the script expects C: USER taro");
  EXPECT_FALSE(wrong.ReadLine(line, error));  // the dialogue stays broken
  EXPECT_NONFATAL_FAILURE(bare_lf.Write("USER taro\n", error), "bare LF");
  EXPECT_NONFATAL_FAILURE(early_read.ReadLine(line, error), "reads where the script expects C:");
  EXPECT_FALSE(early_read.Finished());
}

}  // namespace
}  // namespace sorami
