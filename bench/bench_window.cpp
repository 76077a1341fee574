// The start of the windows on a store: from the program's start to the main window shown with
// its message list painted, along the program's own start (the run begun, the Qt application,
// then DesktopRun). The clock stops once the list's first paint into the window is done, the
// paint a user sees. Prints the seconds, the records, and the seconds to a grab of the window
// made after that (a second paint of every visible row, into an image, which checks what the
// list drew). Run offscreen by scripts/bench-vs-tools:
//
//   QT_QPA_PLATFORM=offscreen bench_window APPDIR CONFIGDIR
#include <QAbstractItemModel>
#include <QApplication>
#include <QEvent>
#include <QPixmap>
#include <QTreeView>
#include <chrono>
#include <cstdio>
#include <utility>

#include "shell/AppState.h"
#include "shell/ui/AppWindows.h"
#include "shell/ui/DesktopRun.h"
#include "shell/ui/TFormMain.h"

namespace {

// Notes the first paint of the list's rows, and how many rows the list held then.
class FirstPaint : public QObject {
 public:
  explicit FirstPaint(QTreeView& list) : list_(list) { list.viewport()->installEventFilter(this); }
  bool painted() const { return rows_ >= 0; }
  int rows() const { return rows_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && rows_ < 0) rows_ = list_.model()->rowCount();
    return QObject::eventFilter(watched, event);
  }

 private:
  QTreeView& list_;
  int rows_ = -1;
};

}  // namespace

int main(int argc, char** argv) {
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  if (argc != 3) {
    std::fputs("usage: bench_window APPDIR CONFIGDIR\n", stderr);
    return 2;
  }
  sorami::CommonOptions options;
  options.paths.app_dir = argv[1];
  options.paths.config_dir = argv[2];
  sorami::EarlyStart early = sorami::BeginRun(options);
  int qt_argc = 1;
  QApplication app(qt_argc, argv);
  sorami::DesktopRun run;
  if (!run.Open(options, std::move(early))) return 1;
  sorami::TFormMain& main = *run.windows().main;
  auto* list = main.findChild<QTreeView*>(QStringLiteral("LViewData"));
  if (list == nullptr) return 1;
  FirstPaint first(*list);
  main.show();
  // The paint runs within the event processing that brings the window's exposure.
  while (!first.painted() && Clock::now() - start < std::chrono::seconds(30)) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const QPixmap shot = main.grab();
  const double grabbed = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("%.4f %d %.4f\n", seconds, run.state().store.CtMaster(), grabbed);
  // A list painted empty, or not at all, is not the measure.
  return first.rows() > 0 && !shot.isNull() ? 0 : 1;
}
