// The frame of a secondary window: created once at start, hidden rather than destroyed when
// closed, and keeping its position and size in the settings store ("\SoftWare\HKW\Common",
// section "Window", values "<name>.Left" ... under its persistence name).
#pragma once

#include <QMainWindow>
#include <string>
#include <string_view>

#include "base/DiagLog.h"
#include "platform/IniStore.h"
#include "platform/WindowGeometry.h"

namespace sorami {

class PersistedWindow : public QMainWindow {
  Q_OBJECT

 public:
  enum class Persist {
    // Geometry read at creation and written whenever the window is closed.
    kGeometry,
    // Only the position is read at creation; the window writes its geometry itself
    // (SaveGeometry) when it saves its other settings, not on close.
    kPositionOnly,
  };

  PersistedWindow(Registry& registry, DiagLog& log, std::string_view name,
                  const WindowGeometry& design, Persist mode = Persist::kGeometry,
                  QWidget* parent = nullptr);

  const std::string& persistence_name() const { return name_; }
  // Writes the window's current geometry under its persistence name.
  void SaveGeometry();

 protected:
  void closeEvent(QCloseEvent* event) override;

  Registry& registry_;
  DiagLog& log_;

 private:
  std::string name_;
  Persist mode_;
};

}  // namespace sorami
