// The polling countdown on a single-shot QTimer ("Timer1", a child of the main window).
#pragma once

#include <QTimer>
#include <algorithm>
#include <climits>

#include "shell/Polling.h"

namespace sorami {

class QtPollTimer : public PollTimer {
 public:
  explicit QtPollTimer(QObject* owner) : timer_(new QTimer(owner)) {
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setSingleShot(true);
  }
  // QTimer counts in int milliseconds: longer intervals (over 24 days) are cut to the
  // longest it can wait.
  void Start(int64_t ms) override {
    timer_->start(static_cast<int>(std::min<int64_t>(ms, INT_MAX)));
  }
  void Stop() override { timer_->stop(); }
  QTimer* timer() const { return timer_; }

 private:
  QTimer* timer_;
};

}  // namespace sorami
