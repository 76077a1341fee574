// A settings struct's persisted values as one table: each row names a value of the settings
// store and the field that holds it, so one list drives both the reading and the writing
// (in the table's order) and no value name is written twice. The design value of a field is
// the one a default-made struct has; the reader may give other defaults (values known only
// at run time).
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "platform/IniStore.h"

namespace sorami {

// A value kept in another form than its field (read and written by the two functions).
template <typename S>
struct SettingCodec {
  void (*read)(const IniStore& ini, std::string_view section, std::string_view name,
               const S& defaults, S& s);
  void (*write)(IniStore& ini, std::string_view section, std::string_view name, const S& s);
};

template <typename S>
struct SettingField {
  std::string_view name;  // the value name after the struct's prefix and "."
  std::variant<std::string S::*, long S::*, int S::*, bool S::*, SettingCodec<S>> field;
  bool read = true;  // false: written only (a value another struct reads)
};

// "<prefix>.<name>"
inline std::string SettingName(std::string_view prefix, std::string_view name) {
  std::string v(prefix);
  v += '.';
  v += name;
  return v;
}

// Reads every readable row into s; an absent or unreadable value takes the defaults' field.
template <typename S>
void ReadSettings(const IniStore& ini, std::string_view section, std::string_view prefix,
                  std::span<const SettingField<S>> table, const S& defaults, S& s) {
  for (const SettingField<S>& f : table) {
    if (!f.read) continue;
    const std::string name = SettingName(prefix, f.name);
    if (auto* text = std::get_if<std::string S::*>(&f.field)) {
      s.*(*text) = ini.ReadString(section, name, defaults.*(*text));
    } else if (auto* number = std::get_if<long S::*>(&f.field)) {
      s.*(*number) = ini.ReadInteger(section, name, defaults.*(*number));
    } else if (auto* small = std::get_if<int S::*>(&f.field)) {
      s.*(*small) = static_cast<int>(ini.ReadInteger(section, name, defaults.*(*small)));
    } else if (auto* flag = std::get_if<bool S::*>(&f.field)) {
      s.*(*flag) = ini.ReadBool(section, name, defaults.*(*flag));
    } else {
      std::get<SettingCodec<S>>(f.field).read(ini, section, name, defaults, s);
    }
  }
}

// Writes every row of the table, in its order.
template <typename S>
void WriteSettings(IniStore& ini, std::string_view section, std::string_view prefix,
                   std::span<const SettingField<S>> table, const S& s) {
  for (const SettingField<S>& f : table) {
    const std::string name = SettingName(prefix, f.name);
    if (auto* text = std::get_if<std::string S::*>(&f.field)) {
      ini.WriteString(section, name, s.*(*text));
    } else if (auto* number = std::get_if<long S::*>(&f.field)) {
      ini.WriteInteger(section, name, s.*(*number));
    } else if (auto* small = std::get_if<int S::*>(&f.field)) {
      ini.WriteInteger(section, name, s.*(*small));
    } else if (auto* flag = std::get_if<bool S::*>(&f.field)) {
      ini.WriteBool(section, name, s.*(*flag));
    } else {
      std::get<SettingCodec<S>>(f.field).write(ini, section, name, s);
    }
  }
}

}  // namespace sorami
