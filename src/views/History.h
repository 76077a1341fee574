// The navigation history: every message or help page the user opened, never shortened;
// "戻る" and "進む" move through it in a circle.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/DiagLog.h"

namespace sorami {

struct History {
  std::vector<std::string> entries;  // "M" TAB row for a record, TAB topic for a help page
  int pos = 0;
};

// Appends "M" TAB key for a message, TAB key for a help topic.
void AddHistory(History& h, bool message, std::string_view key);

struct HistoryEntry {
  bool message = false;  // a record (key = its row) or a help topic (key = its name)
  std::string key;
};
// The entry at the history position.
HistoryEntry CurrentHistoryEntry(const History& h);

// Moves the position one back / forward, wrapping around; false when the history is empty.
bool HistoryBack(History& h);
bool HistoryForward(History& h);

// The recipient names shown for a record: to and to-list joined, "％" read as "%" and "、"
// as ",", split at ",", sorted and without duplicates (letter case ignored), joined by ",".
std::string SetToName(DiagLog& log, std::string_view to, std::string_view to_list);

}  // namespace sorami
