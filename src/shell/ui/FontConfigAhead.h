// The desktop's font configuration read on a thread of its own while the program starts. The
// first window asks Qt for a font, and Qt then loads the font configuration (its files and
// the font caches) unless it is loaded already: begun before the Qt application is made, that
// load runs beside the application's and the store's set-up instead of inside the first
// window's. The windows wait for it (Wait) rather than load it a second time beside it.
#pragma once

#include <thread>

namespace sorami {

class FontConfigAhead {
 public:
  // Begins the load.
  FontConfigAhead();
  // Waits for a load still running (a start that ended early).
  ~FontConfigAhead();
  // Waits for the load to end.
  void Wait();
  FontConfigAhead(const FontConfigAhead&) = delete;
  FontConfigAhead& operator=(const FontConfigAhead&) = delete;

 private:
  std::thread loader_;
};

}  // namespace sorami
