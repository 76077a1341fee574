#include "platform/WindowGeometry.h"

#include <string>

namespace sorami {

namespace {

std::string ValueName(std::string_view name, std::string_view field) {
  std::string v(name);
  v += '.';
  v += field;
  return v;
}

}  // namespace

WindowGeometry ReadWindowPosition(const IniStore& ini, std::string_view name,
                                  const WindowGeometry& def) {
  WindowGeometry g = def;
  g.left = ini.ReadInteger(kWindowSection, ValueName(name, "Left"), def.left);
  g.top = ini.ReadInteger(kWindowSection, ValueName(name, "Top"), def.top);
  return g;
}

WindowGeometry ReadWindowGeometry(const IniStore& ini, std::string_view name,
                                  const WindowGeometry& def) {
  WindowGeometry g = ReadWindowPosition(ini, name, def);
  g.width = ini.ReadInteger(kWindowSection, ValueName(name, "Width"), def.width);
  g.height = ini.ReadInteger(kWindowSection, ValueName(name, "Height"), def.height);
  return g;
}

void WriteWindowGeometry(IniStore& ini, std::string_view name, const WindowGeometry& g) {
  ini.WriteInteger(kWindowSection, ValueName(name, "Left"), g.left);
  ini.WriteInteger(kWindowSection, ValueName(name, "Top"), g.top);
  ini.WriteInteger(kWindowSection, ValueName(name, "Width"), g.width);
  ini.WriteInteger(kWindowSection, ValueName(name, "Height"), g.height);
}

}  // namespace sorami
