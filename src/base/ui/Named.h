// Gives a widget (or action) its control name, by which tests and the settings find it.
#pragma once

#include <QString>

namespace sorami {

template <typename T>
T* Named(T* w, const char* name) {
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

}  // namespace sorami
