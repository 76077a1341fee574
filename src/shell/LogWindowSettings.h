// The values the log window keeps in the settings store under its own key "Sorami": its
// geometry ("fmFormMemo.Left" ... in "Window") and the suspend switch ("fmFormMemo.Yokushi"
// in "Setting").
#pragma once

#include <string_view>

#include "platform/IniStore.h"
#include "shell/WindowGeometry.h"

namespace sorami {

struct LogWindowSettings {
  static constexpr std::string_view kName = "fmFormMemo";
  static constexpr WindowGeometry kDesignGeometry{429, 95, 415, 484};

  WindowGeometry window = kDesignGeometry;
  bool yokushi = false;  // logging suspended

  void Load(const IniStore& ini) {
    window = ReadWindowGeometry(ini, kName, kDesignGeometry);
    yokushi = ini.ReadBool(kSettingSection, "fmFormMemo.Yokushi", false);
  }
  void Save(IniStore& ini) const {
    WriteWindowGeometry(ini, kName, window);
    ini.WriteBool(kSettingSection, "fmFormMemo.Yokushi", yokushi);
  }
};

}  // namespace sorami
