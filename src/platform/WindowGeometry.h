// Position and size of a window as the settings store keeps them: section "Window", values
// "<name>.Left", "<name>.Top", "<name>.Width" and "<name>.Height" under the window's
// persistence name ("fmKairo", "fmTenpu", ...).
#pragma once

#include <string_view>

#include "platform/IniStore.h"

namespace sorami {

struct WindowGeometry {
  long left = 0;
  long top = 0;
  long width = 0;
  long height = 0;

  bool operator==(const WindowGeometry&) const = default;
};

inline constexpr std::string_view kWindowSection = "Window";
inline constexpr std::string_view kSettingSection = "Setting";

// Each value read on its own: an absent or unreadable value takes the design value of def.
WindowGeometry ReadWindowGeometry(const IniStore& ini, std::string_view name,
                                  const WindowGeometry& def);
// Only the position; the size stays as given (for windows that never read their size back).
WindowGeometry ReadWindowPosition(const IniStore& ini, std::string_view name,
                                  const WindowGeometry& def);
void WriteWindowGeometry(IniStore& ini, std::string_view name, const WindowGeometry& g);

}  // namespace sorami
