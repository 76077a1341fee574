// The values the main window keeps in the settings store (key "\SoftWare\HKW\Common"): its
// geometry in "Window" and the rest in "Setting", all under the persistence name "fmKairo".
// The window copies them into its controls at creation and back out when it closes.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "platform/IniStore.h"
#include "platform/WindowGeometry.h"
#include "views/MessageList.h"

namespace sorami {

// Widths of the message list's ten columns.
using ListColumnWidths = std::array<long, kListColumns>;
inline constexpr ListColumnWidths kDesignColumnWidths = {80, 100, 100, 100, 100,
                                                         40, 50,  50,  50,  40};

// "fmKairo.LViewWidth": the widths one after the other, each followed by ";". A piece that is
// not a number reads as 0.
std::vector<long> ParseColumnWidths(std::string_view text);
std::string FormatColumnWidths(const ListColumnWidths& widths);
// The design widths with the first stored entries put over them, in column order; entries
// beyond the last column are ignored.
ListColumnWidths ApplyColumnWidths(const std::vector<long>& stored,
                                   ListColumnWidths widths = kDesignColumnWidths);

struct MainSettings {
  static constexpr std::string_view kName = "fmKairo";
  static constexpr WindowGeometry kDesignGeometry{45, 48, 827, 561};

  WindowGeometry window = kDesignGeometry;
  bool polling_stopped = true;      // "停止": the polling timer is stopped
  long polling_minutes = 0;         // polling interval in minutes
  long panel_list = 180;            // height of the message-list panel
  long panel_tree = 136;            // height of the folder-tree panel
  long left_tab = 0;                // active tab of the left tab control
  std::string last_check;           // last check time as shown
  std::string site;                 // read into the site-name box, written from curSite
  std::string account;              // read into the nickname box, written from curAccount
  bool leave_on_site = false;       // "サイトに残す"
  bool debug_menus = true;          // debug menus visible (read: the debug arming flag)
  std::vector<long> column_widths;  // read: the stored entries; written: every column
  std::string doc_root;             // glDocRoot, the help directory
  bool notify_new = true;           // "新着通知": new messages are announced on the desktop

  // Written from the current account, never read back.
  std::string host;
  std::string pass;
  std::string user;

  // Reads every value, each falling back to its default when absent or unreadable;
  // default_doc_root is the application directory's "Help" folder.
  void Load(const IniStore& ini, std::string_view default_doc_root);
  // Writes the geometry, then the settings in the order the main window has always used.
  void Save(IniStore& ini) const;
};

}  // namespace sorami
