#include "shell/Polling.h"

namespace sorami {

Polling::Polling(PollTimer& timer, bool stopped, long minutes)
    : timer_(timer), stopped_(stopped), minutes_(minutes) {}

void Polling::SpIntervalChange(long minutes) {
  minutes_ = minutes;
  const int64_t ms = static_cast<int64_t>(minutes) * 60 * 1000;
  if (ms == interval_ms_) return;
  interval_ms_ = ms;
  // A new interval restarts a running countdown.
  if (enabled_) StartCountdown();
}

void Polling::CkStopClick(bool stopped) {
  stopped_ = stopped;
  SetEnabled(!stopped);
  Timer1Timer();
}

void Polling::Timer1Timer() {
  SetEnabled(false);
  if (!stopped_ && minutes_ != 0) RunFetch();
}

void Polling::RunFetch() {
  // Armed again however the fetch ends, also when it throws.
  struct Rearm {
    Polling* self;
    ~Rearm() { self->SetEnabled(true); }
  } rearm{this};
  if (fetch) fetch();
}

void Polling::SetEnabled(bool on) {
  if (on == enabled_) return;
  enabled_ = on;
  if (on) {
    StartCountdown();
  } else {
    timer_.Stop();
  }
}

void Polling::StartCountdown() {
  if (interval_ms_ > 0) {
    timer_.Start(interval_ms_);
  } else {
    timer_.Stop();
  }
}

}  // namespace sorami
