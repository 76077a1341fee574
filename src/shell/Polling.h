// The polling timer of the main window: a one-shot timer that fetches new messages every
// few minutes while "停止" is unchecked. A tick first switches the timer off; the fetch switches
// it on again when it ends, so the next tick comes one interval after the end of the previous
// fetch, and a timed fetch never overlaps the next tick.
//
//   off   (stopped, or interval 0)  --uncheck "停止" / fetch ends-->  armed
//   armed --tick--> off, fetching when allowed --fetch ends--> armed
#pragma once

#include <cstdint>
#include <functional>

namespace sorami {

// The countdown behind the polling. When a started countdown runs out, its owner calls
// Polling::Timer1Timer().
class PollTimer {
 public:
  virtual ~PollTimer() = default;
  // Starts the countdown afresh (restarting one that runs).
  virtual void Start(int64_t ms) = 0;
  virtual void Stop() = 0;
};

class Polling {
 public:
  // The timer's interval until the interval box first changes.
  static constexpr int64_t kInitialIntervalMs = 1000;

  // stopped and minutes: the design state of "停止" and of the interval box.
  explicit Polling(PollTimer& timer, bool stopped = true, long minutes = 0);

  // Runs one fetch of new messages for every enabled account, as the button "最新取得(&G)"
  // does. Whatever it does, the timer is armed again when it returns.
  std::function<void()> fetch;

  // The interval box changed: the interval becomes minutes x 60 x 1000 ms (no bounds; an
  // interval of 0 or less never comes due).
  void SpIntervalChange(long minutes);
  // "停止" changed: the timer is enabled when unchecked, then the tick runs at once, so
  // unchecking fetches immediately (when the interval is not 0).
  void CkStopClick(bool stopped);
  // The tick: the timer goes off; unless stopped or the interval is 0, a fetch runs.
  void Timer1Timer();
  // A fetch (the button, or a tick): runs the fetch hook and then arms the timer.
  void RunFetch();

  bool enabled() const { return enabled_; }
  bool stopped() const { return stopped_; }
  long minutes() const { return minutes_; }
  int64_t interval_ms() const { return interval_ms_; }

 private:
  void SetEnabled(bool on);
  void StartCountdown();

  PollTimer& timer_;
  bool stopped_;
  long minutes_;
  int64_t interval_ms_ = kInitialIntervalMs;
  bool enabled_ = false;
};

}  // namespace sorami
