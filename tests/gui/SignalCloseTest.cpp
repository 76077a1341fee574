#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <csignal>

#include "shell/ui/SignalClose.h"

namespace sorami {
namespace {

TEST(SignalClose, EachEndingSignalRunsTheCloseInTheEventLoop) {
  int closes = 0;
  {
    SignalClose closer([&closes] { ++closes; });
    for (const int sig : {SIGTERM, SIGINT, SIGHUP}) {
      const int before = closes;
      ASSERT_EQ(std::raise(sig), 0);
      EXPECT_EQ(closes, before);  // not inside the signal handler
      QElapsedTimer t;
      t.start();
      while (closes == before && t.elapsed() < 2000) QCoreApplication::processEvents();
      EXPECT_EQ(closes, before + 1) << sig;
    }
  }
  // Once the closer is gone the signals have their default action again.
  struct sigaction now {};
  ::sigaction(SIGHUP, nullptr, &now);
  EXPECT_EQ(now.sa_handler, SIG_DFL);
}

}  // namespace
}  // namespace sorami
