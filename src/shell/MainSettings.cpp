#include "shell/MainSettings.h"

#include <algorithm>

#include "base/MbText.h"

namespace sorami {

namespace {

std::string Name(std::string_view field) {
  std::string v(MainSettings::kName);
  v += '.';
  v += field;
  return v;
}

}  // namespace

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

void MainSettings::Load(const IniStore& ini, std::string_view default_doc_root) {
  const std::string_view s = kSettingSection;
  doc_root = ini.ReadString(s, Name("glDocRoot"), default_doc_root);
  window = ReadWindowGeometry(ini, kName, kDesignGeometry);
  ck_stop = ini.ReadBool(s, Name("CkStop"), true);
  sp_interval = ini.ReadInteger(s, Name("SpInterval"), 0);
  panel_list = ini.ReadInteger(s, Name("PanelList"), 180);
  panel_tree = ini.ReadInteger(s, Name("PanelTree"), 136);
  page_con = ini.ReadInteger(s, Name("PageCon"), 0);
  label_jikoku = ini.ReadString(s, Name("LabelJikoku"), "");
  site = ini.ReadString(s, Name("curSite"), "");
  account = ini.ReadString(s, Name("curAccount"), "");
  ck_nokosu = ini.ReadBool(s, Name("CkNokosu"), false);
  debug = ini.ReadBool(s, Name("Debug"), true);
  column_widths = ParseColumnWidths(ini.ReadString(s, Name("LViewWidth"), ""));
}

void MainSettings::Save(IniStore& ini) const {
  const std::string_view s = kSettingSection;
  WriteWindowGeometry(ini, kName, window);
  ini.WriteBool(s, Name("CkStop"), ck_stop);
  ini.WriteBool(s, Name("CkNokosu"), ck_nokosu);
  ini.WriteBool(s, Name("Debug"), debug);
  ini.WriteInteger(s, Name("SpInterval"), sp_interval);
  ini.WriteInteger(s, Name("PanelList"), panel_list);
  ini.WriteInteger(s, Name("PanelTree"), panel_tree);
  // Read as "PageCon", written as "PageCOn": value names are compared without regard to
  // case, so both name the same value.
  ini.WriteInteger(s, Name("PageCOn"), page_con);
  ini.WriteString(s, Name("LabelJikoku"), label_jikoku);
  ini.WriteString(s, Name("LViewWidth"), FormatColumnWidths(ApplyColumnWidths(column_widths)));
  ini.WriteString(s, Name("curHost"), host);
  ini.WriteString(s, Name("curSite"), site);
  ini.WriteString(s, Name("curAccount"), account);
  ini.WriteString(s, Name("curPass"), pass);
  ini.WriteString(s, Name("curUser"), user);
  ini.WriteString(s, Name("glDocRoot"), doc_root);
}

}  // namespace sorami
