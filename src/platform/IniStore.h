// The settings store ("registry"): one INI file per key, "[Section]" and "Name=Value" lines
// ended by CR LF. Section and value names are compared without regard to case; values are
// code page 932 text kept byte for byte. Reads take a default when a value is absent or
// unreadable; writes stay in memory until Save(), which replaces the file atomically.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace sorami {

class IniStore {
 public:
  IniStore() = default;
  // Loads the file; a missing or unreadable file gives an empty store.
  explicit IniStore(std::filesystem::path file);

  std::string ReadString(std::string_view section, std::string_view name,
                         std::string_view def) const;
  long ReadInteger(std::string_view section, std::string_view name, long def) const;
  bool ReadBool(std::string_view section, std::string_view name, bool def) const;
  bool Has(std::string_view section, std::string_view name) const;

  void WriteString(std::string_view section, std::string_view name, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view name, long value);
  void WriteBool(std::string_view section, std::string_view name, bool value);

  // Writes the file (creating its directory); false when it could not be written.
  bool Save() const;
  const std::filesystem::path& path() const { return file_; }

 private:
  struct Entry {
    std::string name;
    std::string value;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };
  const Entry* Find(std::string_view section, std::string_view name) const;

  std::filesystem::path file_;
  std::vector<Section> sections_;
};

// Parses a decimal integer with optional sign and surrounding blanks; false otherwise.
bool ParseInteger(std::string_view text, long& value);

// The keys of the user hive.
inline constexpr std::string_view kCommonKey = "\\SoftWare\\HKW\\Common";
inline constexpr std::string_view kMemoKey = "Sorami";

// The user hive: maps a key such as "\SoftWare\HKW\Common" to the file
// SoftWare/HKW/Common.ini under the configuration directory.
class Registry {
 public:
  explicit Registry(std::filesystem::path config_dir) : dir_(std::move(config_dir)) {}
  std::filesystem::path PathOf(std::string_view key) const;
  IniStore Open(std::string_view key) const { return IniStore(PathOf(key)); }
  const std::filesystem::path& dir() const { return dir_; }

 private:
  std::filesystem::path dir_;
};

}  // namespace sorami
