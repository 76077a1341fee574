// The values the log window keeps in the settings store under its own key "Sorami": its
// geometry ("fmFormMemo.Left" ... in "Window") and the suspend switch ("fmFormMemo.Yokushi"
// in "Setting").
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "base/DiagLog.h"
#include "platform/AtomicFile.h"
#include "platform/IniStore.h"
#include "platform/SettingsTable.h"
#include "platform/WindowGeometry.h"

namespace sorami {

struct LogWindowSettings {
  static constexpr std::string_view kName = "fmFormMemo";
  static constexpr WindowGeometry kDesignGeometry{429, 95, 415, 484};

  WindowGeometry window = kDesignGeometry;
  bool yokushi = false;  // logging suspended

  static constexpr SettingField<LogWindowSettings> kFields[] = {
      {"Yokushi", &LogWindowSettings::yokushi}};

  void Load(const IniStore& ini) {
    window = ReadWindowGeometry(ini, kName, kDesignGeometry);
    ReadSettings<LogWindowSettings>(ini, kSettingSection, kName, kFields, {}, *this);
  }
  void Save(IniStore& ini) const {
    WriteWindowGeometry(ini, kName, window);
    WriteSettings<LogWindowSettings>(ini, kSettingSection, kName, kFields, *this);
  }
};

// Writes every line of the log, each ended by CR LF, replacing the file. The status text is
// "OK " or "ERR " followed by the file name.
inline bool SaveDiagLog(const DiagLog& log, const std::filesystem::path& file,
                        std::string& status) {
  const bool ok = WriteFileAtomic(file, log.Text());
  status = (ok ? "OK " : "ERR ") + file.filename().string();
  return ok;
}

}  // namespace sorami
