// Folder counts: the count list of the "件数" tab and the status-bar summary.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/DiagLog.h"
#include "store/MastStore.h"

namespace sorami {

struct CountRow {
  std::string caption;  // folder name
  std::string count;    // "%d 件"
};

// "%d 件" of n.
std::string CountText(long n);

// The count list for the tree's node texts (node 0 the root): one row per node from 1 on,
// captioned "受信箱" for node 1 and the node text for the others, counting the records whose
// folder equals that name exactly.
std::vector<CountRow> CountKensuu(const TArMastd& store, DiagLog& log,
                                  const std::vector<std::string>& node_texts);

// The index of folder in names, when present.
bool CheckFolder(std::string_view folder, const std::vector<std::string>& names, int& index);

// A count text moved by delta: the number before the first blank (0 when it is not one)
// plus delta, as "%d 件".
std::string AdjustCountText(std::string_view count_text, long delta);

// Moves one from the inbox row (0) to the "既読" row (1) of the count list.
void MidokuToKidoku(DiagLog& log, std::vector<CountRow>& rows);

// The status-bar summary " 受信箱 : n 件 既読 : n 件 ..." over the six system folders;
// fills counts (per folder; 32-bit: stores exceed 32767).
using FolderCountArray = std::array<int32_t, 7>;
bool SetDisplay(const TArMastd& store, DiagLog& log, FolderCountArray& counts,
                std::string& summary);

}  // namespace sorami
