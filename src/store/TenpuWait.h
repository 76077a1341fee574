// The attachments of fetched site messages still to be downloaded. A new message is stored at
// once, its record listing each file under the local name kept for it in the attachment
// directory; each file waits here until it has been downloaded, so a download that fails or is
// cut off is tried again at the next fetch. The list lives in a data file of its own
// (Data/TenpuWait.dat, one TAB-separated line per file), written atomically and private.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace sorami {

struct WaitingTenpu {
  std::string host;       // where the account's messages were fetched from
  std::string user;       // the recipient's system user
  std::string server_no;  // the message's number on the service
  std::string name;       // the file's name as the service gave it
  std::string local;      // the name the record lists, in the attachment directory
  bool operator==(const WaitingTenpu&) const = default;
};

class TenpuWaitList {
 public:
  explicit TenpuWaitList(std::filesystem::path file) : file_(std::move(file)) {}

  // The waiting files (read from the file at first use).
  const std::vector<WaitingTenpu>& entries();
  // Whether a local name is kept for a waiting file.
  bool Reserved(std::string_view local);
  void Add(WaitingTenpu entry);
  void Remove(const WaitingTenpu& entry);
  // Writes the list when it changed; false with "保存失敗 : " and the reason in msg.
  bool Save(std::string& msg);

 private:
  void Load();

  std::filesystem::path file_;
  std::vector<WaitingTenpu> entries_;
  bool loaded_ = false;
  bool dirty_ = false;
};

}  // namespace sorami
