#include "shell/MainSettings.h"

#include <algorithm>

#include "base/MbText.h"
#include "platform/SettingsTable.h"

namespace sorami {

std::vector<long> ParseColumnWidths(std::string_view text) {
  std::vector<long> widths;
  std::string rest(text);
  std::string token;
  while (!rest.empty()) {
    SplitToken(";", rest, token);
    long w = 0;
    if (!ParseInteger(token, w)) w = 0;
    widths.push_back(w);
  }
  return widths;
}

std::string FormatColumnWidths(const ListColumnWidths& widths) {
  std::string text;
  for (long w : widths) {
    text += std::to_string(w);
    text += ';';
  }
  return text;
}

ListColumnWidths ApplyColumnWidths(const std::vector<long>& stored, ListColumnWidths widths) {
  const size_t n = std::min(stored.size(), widths.size());
  for (size_t i = 0; i < n; ++i) widths[i] = stored[i];
  return widths;
}

namespace {

using Field = SettingField<MainSettings>;

// "fmKairo.LViewWidth": the stored entries when read; every column's width when written.
constexpr SettingCodec<MainSettings> kColumnWidths{
    [](const IniStore& ini, std::string_view section, std::string_view name, const MainSettings&,
       MainSettings& m) { m.column_widths = ParseColumnWidths(ini.ReadString(section, name, "")); },
    [](IniStore& ini, std::string_view section, std::string_view name, const MainSettings& m) {
      ini.WriteString(section, name, FormatColumnWidths(ApplyColumnWidths(m.column_widths)));
    }};

// In the order the main window writes them. "PageCOn" is read as "PageCon" too: value names
// are compared without regard to case.
constexpr Field kFields[] = {
    {"CkStop", &MainSettings::polling_stopped},
    {"CkNokosu", &MainSettings::leave_on_site},
    {"Debug", &MainSettings::debug_menus},
    {"SpInterval", &MainSettings::polling_minutes},
    {"PanelList", &MainSettings::panel_list},
    {"PanelTree", &MainSettings::panel_tree},
    {"PageCOn", &MainSettings::left_tab},
    {"LabelJikoku", &MainSettings::last_check},
    {"LViewWidth", kColumnWidths},
    {"curHost", &MainSettings::host, false},
    {"curSite", &MainSettings::site},
    {"curAccount", &MainSettings::account},
    {"curPass", &MainSettings::pass, false},
    {"curUser", &MainSettings::user, false},
    {"glDocRoot", &MainSettings::doc_root},
    {"Notify", &MainSettings::notify_new},
};

}  // namespace

void MainSettings::Load(const IniStore& ini, std::string_view default_doc_root) {
  MainSettings defaults;
  defaults.doc_root = default_doc_root;
  window = ReadWindowGeometry(ini, kName, kDesignGeometry);
  ReadSettings<MainSettings>(ini, kSettingSection, kName, kFields, defaults, *this);
}

void MainSettings::Save(IniStore& ini) const {
  WriteWindowGeometry(ini, kName, window);
  WriteSettings<MainSettings>(ini, kSettingSection, kName, kFields, *this);
}

}  // namespace sorami
