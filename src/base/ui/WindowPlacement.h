// Putting a window where its stored geometry says, and reading where it is now.
#pragma once

#include <QWidget>

#include "platform/WindowGeometry.h"

namespace sorami {

// Left and top place the window's frame; width and height are its size.
inline void ApplyGeometry(QWidget& w, const WindowGeometry& g) {
  w.move(static_cast<int>(g.left), static_cast<int>(g.top));
  w.resize(static_cast<int>(g.width), static_cast<int>(g.height));
}

// The geometry to store: a maximised or minimised window keeps its normal place.
inline WindowGeometry CurrentGeometry(const QWidget& w) {
  if (w.isMaximized() || w.isMinimized() || w.isFullScreen()) {
    const QRect r = w.normalGeometry();
    return {r.x(), r.y(), r.width(), r.height()};
  }
  return {w.pos().x(), w.pos().y(), w.width(), w.height()};
}

}  // namespace sorami
