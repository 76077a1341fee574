// The start of the windows' run once the Qt application exists, as the program makes it:
// the program's name and icon, Qt's texts in Japanese, the state of the run from its files,
// the data folder's lock, the leftovers of a killed run removed, the store's read begun on a
// worker thread, then (while it reads) the HTTP client, the password vault and the windows,
// wired to end the run. The caller shows the main window; its first showing takes the read.
// The program begins the run (BeginRun) before it makes the Qt application, so the read runs
// beside the application's set-up too. The benchmark of the start goes this same way.
#pragma once

#include <QTranslator>
#include <memory>

#include "platform/DataLock.h"
#include "shell/AppState.h"
#include "shell/Startup.h"
#include "shell/ui/FontConfigAhead.h"

namespace sorami {

struct AppWindows;
class SignalClose;

// What a run does before the Qt application exists, so that the slow reads start sooner: the
// font configuration's load begun, the state of the run from its files and, when the data
// folder's lock is free at once, the lock, the leftovers of a killed run removed and the
// store's read begun. DesktopRun::Open takes it over and does the rest (a lock held
// elsewhere is waited for there, as without it).
struct EarlyStart {
  std::unique_ptr<FontConfigAhead> fonts;
  std::unique_ptr<DataLock> lock;  // let go last: a read still running is waited for first
  std::unique_ptr<AppState> st;
};
EarlyStart BeginRun(const CommonOptions& options);

class DesktopRun {
 public:
  DesktopRun();
  // The windows go first, then the state (a read still running is waited for), then the lock.
  ~DesktopRun();
  DesktopRun(const DesktopRun&) = delete;
  DesktopRun& operator=(const DesktopRun&) = delete;

  // Makes the run, from what BeginRun did if it was called. False when another program holds
  // the data folder; the user has been told then, and nothing was read or built.
  bool Open(const CommonOptions& options, EarlyStart early = {});

  AppState& state() { return *st_; }
  AppWindows& windows() { return *windows_; }

 private:
  QTranslator qt_japanese_;
  std::unique_ptr<DataLock> lock_;
  std::unique_ptr<AppState> st_;
  std::unique_ptr<AppWindows> windows_;
  std::unique_ptr<SignalClose> signal_close_;
};

}  // namespace sorami
