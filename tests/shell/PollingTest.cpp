#include <gtest/gtest.h>

#include <stdexcept>

#include "shell/Polling.h"

namespace sorami {
namespace {

// Records what the polling asks of its countdown.
class FakeTimer : public PollTimer {
 public:
  void Start(int64_t ms) override {
    running = true;
    last_ms = ms;
    ++starts;
  }
  void Stop() override { running = false; }

  bool running = false;
  int64_t last_ms = 0;
  int starts = 0;
};

class PollingTest : public ::testing::Test {
 protected:
  PollingTest() {
    poll.fetch = [this] {
      ++fetches;
      enabled_during_fetch = poll.enabled();
      running_during_fetch = timer.running;
    };
  }
  // The countdown runs out.
  void Tick() {
    ASSERT_TRUE(timer.running) << "a tick without a running countdown";
    timer.running = false;
    poll.Timer1Timer();
  }

  FakeTimer timer;
  Polling poll{timer};
  int fetches = 0;
  bool enabled_during_fetch = true;
  bool running_during_fetch = true;
};

TEST_F(PollingTest, UncheckingStopFetchesAtOnceThenEveryIntervalAfterTheFetchEnds) {
  poll.SpIntervalChange(5);
  EXPECT_FALSE(timer.running);
  poll.CkStopClick(false);
  EXPECT_EQ(fetches, 1);
  // The timed fetch runs with the timer off, so no tick can come while it waits.
  EXPECT_FALSE(enabled_during_fetch);
  EXPECT_FALSE(running_during_fetch);
  EXPECT_TRUE(poll.enabled());
  EXPECT_TRUE(timer.running);
  EXPECT_EQ(timer.last_ms, 5 * 60 * 1000);

  Tick();
  EXPECT_EQ(fetches, 2);
  EXPECT_TRUE(timer.running);
  Tick();
  EXPECT_EQ(fetches, 3);
  EXPECT_TRUE(poll.enabled());
}

TEST_F(PollingTest, AButtonFetchWhilePollingIsOffArmsTheTimerAndTheNextTickOnlySwitchesItOff) {
  // Stop unchecked with interval 0: the polling never fetches by itself.
  poll.CkStopClick(false);
  EXPECT_EQ(fetches, 0);
  EXPECT_FALSE(poll.enabled());
  EXPECT_FALSE(timer.running);

  poll.RunFetch();  // the button
  EXPECT_EQ(fetches, 1);
  // Armed again, but an interval of 1000 ms is the only one known: the tick then finds the
  // interval box at 0 and does not fetch.
  EXPECT_TRUE(timer.running);
  Tick();
  EXPECT_EQ(fetches, 1);
  EXPECT_FALSE(poll.enabled());
  EXPECT_FALSE(timer.running);

  // Stopped with an interval: the same.
  poll.CkStopClick(true);
  poll.SpIntervalChange(2);
  poll.RunFetch();
  EXPECT_EQ(fetches, 2);
  EXPECT_TRUE(poll.enabled());
  Tick();
  EXPECT_EQ(fetches, 2);
  EXPECT_FALSE(poll.enabled());
  EXPECT_FALSE(timer.running);
}

TEST_F(PollingTest, ANewIntervalRestartsARunningCountdownOnlyWhenItDiffers) {
  poll.SpIntervalChange(5);
  poll.CkStopClick(false);
  const int starts = timer.starts;
  poll.SpIntervalChange(5);
  EXPECT_EQ(timer.starts, starts);
  poll.SpIntervalChange(7);
  EXPECT_EQ(timer.starts, starts + 1);
  EXPECT_EQ(timer.last_ms, 7 * 60 * 1000);
  poll.SpIntervalChange(100000);  // not cut to 32 bits
  EXPECT_EQ(timer.last_ms, int64_t{100000} * 60 * 1000);
}

TEST_F(PollingTest, ANegativeOrZeroIntervalNeverComesDueEvenWhenArmed) {
  poll.SpIntervalChange(-1);
  poll.CkStopClick(false);  // minutes is not 0: fetches once and arms
  EXPECT_EQ(fetches, 1);
  EXPECT_TRUE(poll.enabled());
  EXPECT_FALSE(timer.running);

  poll.SpIntervalChange(0);
  poll.RunFetch();
  EXPECT_TRUE(poll.enabled());
  EXPECT_FALSE(timer.running);
}

TEST_F(PollingTest, AFetchThatFailsWithAnExceptionStillArmsTheTimer) {
  poll.SpIntervalChange(1);
  poll.fetch = [] { throw std::runtime_error("network"); };
  EXPECT_THROW(poll.CkStopClick(false), std::runtime_error);
  EXPECT_TRUE(poll.enabled());
  EXPECT_TRUE(timer.running);
}

}  // namespace
}  // namespace sorami
