// Ends the run as the main window's close does when the session ends the program: SIGTERM
// (logout, shutdown), SIGINT (Ctrl+C in a terminal) and SIGHUP (the terminal went away).
// The signal handler only writes a byte to a pipe; the event loop reads it and runs the
// close, so the settings and the store are saved by the same code as a normal close.
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace sorami {

class SignalClose : public QObject {
  Q_OBJECT

 public:
  // Installs the handlers; on_signal runs in the event loop, once per signal received.
  explicit SignalClose(std::function<void()> on_signal, QObject* parent = nullptr);
  ~SignalClose() override;

 private:
  std::function<void()> on_signal_;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace sorami
