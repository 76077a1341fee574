// The texts of the folder tree's nodes: the seven system nodes in tree order, then the user
// folders. Node 1 reads "受信箱(未読)" and stands for the folder "受信箱".
#pragma once

#include <string>
#include <vector>

#include "store/Folders.h"

namespace sorami {

inline std::vector<std::string> SystemNodeTexts() {
  std::vector<std::string> nodes(FolderNames().begin(), FolderNames().end());
  nodes[FolderNode(Folder::kInbox)] += UnreadMark();
  return nodes;
}

}  // namespace sorami
